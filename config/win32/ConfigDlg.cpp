// The configuration dialog's window: the boxes, the bad-word and path balloons, the folder browser.
#include "config/win32/ConfigDlg.h"

#include <shlobj.h>

#include <vector>

#include "base/win32/WindowProc.h"
#include "config/BadWords.h"
#include "res/resource.h"
#include "widgets/win32/BalloonTip.h"

namespace {

constexpr unsigned kBalloonTimeout = 10000;
constexpr char kBrowseTitle[] = "Select your BroodWar folder";

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

// Lower case as the system's ANSI code page has it.
std::string SystemLowerCase(const std::string& text) {
    std::string lower(text);
    if (!lower.empty())
        ::CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

class CFileSystemProbe : public IFileProbe {
public:
    bool IsFile(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
};

HICON LoadSmallIcon(int id) {
    return static_cast<HICON>(::LoadImageA(Instance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

}  // namespace

INT_PTR CConfigDlg::DoModal(HWND parent) {
    m_Values = ConfigValues::From(m_Settings);
    m_bFilled = false;
    return ::DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_CONFIG), parent, &ForwardDialogProc<CConfigDlg>,
                             reinterpret_cast<LPARAM>(this));
}

std::string CConfigDlg::Text(int id) const {
    HWND control = Item(id);
    const int length = ::GetWindowTextLengthA(control);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 2, '\0');
    const int got = ::GetWindowTextA(control, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

BOOL CConfigDlg::OnInitDialog() {
    m_hIcon.Reset(LoadSmallIcon(IDI_CONFIGURE));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    m_hOkIcon.Reset(LoadSmallIcon(IDI_OK_BUTTON));
    m_hCancelIcon.Reset(LoadSmallIcon(IDI_CANCEL_BUTTON));
    ::SendMessageA(Item(IDOK), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_hOkIcon.Get()));
    ::SendMessageA(Item(IDCANCEL), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_hCancelIcon.Get()));
    m_hPicture.Reset(static_cast<HBITMAP>(
        ::LoadImageA(Instance(), MAKEINTRESOURCEA(IDB_CONFIG_PICTURE), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    ::SendMessageA(Item(IDC_CFG_PICTURE), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hPicture.Get()));
    for (int id : {IDC_CFG_LBL_NAME, IDC_CFG_LBL_SIGN, IDC_CFG_LBL_PATH, IDC_CFG_LBL_REFRESH, IDC_CFG_AUTO})
        m_Labels.Add(Item(id));

    // A longer text would not be read back from the registry at the next start.
    for (int id : {IDC_CFG_NAME, IDC_CFG_SIGN, IDC_CFG_PATH})
        ::SendMessageA(Item(id), EM_LIMITTEXT, kMaxSettingText, 0);
    ::SendMessageA(Item(IDC_CFG_TIMEOUT), EM_LIMITTEXT, 10, 0);
    ::SendMessageA(Item(IDC_CFG_PERIOD), EM_LIMITTEXT, 10, 0);

    ::SetDlgItemTextA(m_hWnd, IDC_CFG_NAME, m_Values.Name.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_CFG_SIGN, m_Values.Sign.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_CFG_PATH, m_Values.Path.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_CFG_TIMEOUT, std::to_string(m_Values.RefreshTimeout).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_CFG_PERIOD, std::to_string(m_Values.RefreshPeriod).c_str());
    ::CheckDlgButton(m_hWnd, IDC_CFG_AUTO, m_Values.RefreshAuto ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(Item(IDC_CFG_PERIOD), m_Values.RefreshAuto ? TRUE : FALSE);
    m_bFilled = true;
    return TRUE;
}

void CConfigDlg::OnNameChanged() {
    const std::string word = CheckBadWord(Text(IDC_CFG_NAME), &SystemLowerCase);
    if (word.empty())
        return;
    ShowBalloonTip(kBadWordTitle, BadWordText(word), WindowCentre(Item(IDC_CFG_NAME)), IDI_WARNING,
                   BalloonCloseOnMouseMove | BalloonCloseOnKey, m_hWnd, std::string(), kBalloonTimeout);
}

void CConfigDlg::OnAutoClicked() {
    m_Values.RefreshAuto = ::IsDlgButtonChecked(m_hWnd, IDC_CFG_AUTO) == BST_CHECKED ? 1 : 0;
    ::EnableWindow(Item(IDC_CFG_PERIOD), m_Values.RefreshAuto ? TRUE : FALSE);
}

void CConfigDlg::OnBrowse() {
    // The browser needs COM on this thread; a thread that has it already keeps it.
    const HRESULT com = ::CoInitialize(nullptr);
    BROWSEINFOA browse{};
    char display[MAX_PATH] = {};
    browse.hwndOwner = m_hWnd;
    browse.pidlRoot = nullptr;  // the desktop
    browse.pszDisplayName = display;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NONEWFOLDERBUTTON;
    if (LPITEMIDLIST picked = ::SHBrowseForFolderA(&browse)) {
        char path[MAX_PATH] = {};
        if (::SHGetPathFromIDListA(picked, path))
            ::SetDlgItemTextA(m_hWnd, IDC_CFG_PATH, WithoutTrailingBackslash(path).c_str());
        ::CoTaskMemFree(picked);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
}

void CConfigDlg::OnOK() {
    ConfigTexts texts;
    texts.Name = Text(IDC_CFG_NAME);
    texts.Sign = Text(IDC_CFG_SIGN);
    texts.Path = Text(IDC_CFG_PATH);
    texts.RefreshTimeout = Text(IDC_CFG_TIMEOUT);
    texts.RefreshAuto = m_Values.RefreshAuto != 0;
    texts.RefreshPeriod = Text(IDC_CFG_PERIOD);
    CFileSystemProbe files;
    const ConfigOutcome outcome = CheckConfig(texts, files);
    if (outcome.pathChanged)
        ::SetDlgItemTextA(m_hWnd, IDC_CFG_PATH, outcome.values.Path.c_str());

    switch (outcome.check) {
    case ConfigCheck::BadTimeout:
    case ConfigCheck::BadPeriod: {
        HWND box = Item(outcome.check == ConfigCheck::BadTimeout ? IDC_CFG_TIMEOUT : IDC_CFG_PERIOD);
        ::MessageBoxA(m_hWnd, kNotIntegerMessage, "KVL SE", MB_OK | MB_ICONEXCLAMATION);
        // The period box may be disabled: it takes the focus all the same, so that the user sees which value.
        ::EnableWindow(box, TRUE);
        ::SetFocus(box);
        ::SendMessageA(box, EM_SETSEL, 0, -1);
        return;
    }
    case ConfigCheck::PathTooLong:
        ShowBalloonTip(kPathTooLongTitle, PathTooLongText(outcome.values.Path), WindowCentre(Item(IDC_CFG_PATH)),
                       IDI_ERROR, BalloonCloseOnKey | BalloonCloseButton, m_hWnd, std::string(), kBalloonTimeout);
        return;
    case ConfigCheck::GameNotFound:
        ShowBalloonTip(kGameNotFoundTitle, GameNotFoundText(outcome.gameFile), WindowCentre(Item(IDC_CFG_PATH)),
                       IDI_ERROR, BalloonCloseOnKey | BalloonCloseButton, m_hWnd, std::string(), kBalloonTimeout);
        return;
    case ConfigCheck::Accept:
        break;
    }
    m_Values = outcome.values;
    m_Values.ApplyTo(m_Settings);
    ::EndDialog(m_hWnd, IDOK);
}

void CConfigDlg::OnCommand(int id, int code) {
    switch (id) {
    case IDC_CFG_NAME:
        if (code == EN_CHANGE && m_bFilled)
            OnNameChanged();
        break;
    case IDC_CFG_AUTO:
        if (code == BN_CLICKED)
            OnAutoClicked();
        break;
    case IDC_CFG_BROWSE:
        if (code == BN_CLICKED)
            OnBrowse();
        break;
    case IDOK:
        OnOK();
        break;
    case IDCANCEL:
        ::EndDialog(m_hWnd, IDCANCEL);
        break;
    default:
        break;  // the picture button does nothing
    }
}

INT_PTR CConfigDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<INT_PTR>(
            m_Labels.OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    default:
        return FALSE;
    }
}
