// A minimal Win32 dialog program: the baseline of the start-up benchmark, and a stand-in window on which the
// end-to-end driver is tried. It shows a fixed banner in its pane, a few tree items, and echoes what Exec runs.
// Built a second time as mindlg_libs (KVL_MINDLG_LIBS): the same dialog importing the system libraries that
// KVL_SE.exe imports, so that the start-up benchmark can tell their loading from the program's own work.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#ifdef KVL_MINDLG_LIBS
#include <shellapi.h>
#endif

#include <string>

namespace {

const int kTree = 1003, kCommand = 1004, kPane = 1006, kRefresh = 1010, kExec = 1012, kQuit = 1013;

void AppendPane(HWND dlg, const char* text) {
    HWND pane = GetDlgItem(dlg, kPane);
    SendMessageA(pane, EM_SETSEL, 0, -1);
    SendMessageA(pane, EM_SETSEL, -1, -1);
    SendMessageA(pane, EM_REPLACESEL, FALSE, (LPARAM)text);
}

HTREEITEM AddItem(HWND tree, HTREEITEM parent, const char* text, int image) {
    TVINSERTSTRUCTA ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char*>(text);
    ins.item.iImage = ins.item.iSelectedImage = image;
    return (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&ins);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        SendMessageA(GetDlgItem(dlg, kPane), EM_SETLIMITTEXT, 0, 0);
        AppendPane(dlg, "Minimal Dialog\r\nType '/help' to get list of commands\r\n\r\n");
        HWND tree = GetDlgItem(dlg, kTree);
        HTREEITEM games = AddItem(tree, TVI_ROOT, "Games", 6);
        HTREEITEM game = AddItem(tree, games, "[2/8] Ladder", 1);
        AddItem(tree, game, "Address: 10.77.0.5", 3);
        AddItem(tree, TVI_ROOT, "Waiting games", 7);
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)games);
        SetFocus(GetDlgItem(dlg, kCommand));
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kExec: {
            char line[512] = {0};
            GetDlgItemTextA(dlg, kCommand, line, sizeof line);
            std::string text = std::string("> ") + line + "\r\n";
            AppendPane(dlg, text.c_str());
            SetDlgItemTextA(dlg, kCommand, "");
            return TRUE;
        }
        case kRefresh:
            EnableWindow(GetDlgItem(dlg, kRefresh), FALSE);
            SetTimer(dlg, 1, 300, NULL);
            return TRUE;
        case kQuit:
        case IDCANCEL:
            EndDialog(dlg, 0);
            return TRUE;
        }
        break;
    case WM_TIMER:
        KillTimer(dlg, 1);
        EnableWindow(GetDlgItem(dlg, kRefresh), TRUE);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

#ifdef KVL_MINDLG_LIBS
// Never true: the calls only make the linker import one function of each library, which the loader then loads.
void ImportTheProgramsLibraries() {
    if (GetCommandLineA()[0] != '\x01')
        return;
    Shell_NotifyIconA(NIM_DELETE, nullptr);
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &key);
}
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef KVL_MINDLG_LIBS
    ImportTheProgramsLibraries();
#endif
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(102), NULL, DialogProc, 0);
}
