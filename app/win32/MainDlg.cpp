// The main window: dialog template 102 run by its own message loop, translating messages into calls on the
// main window's logic (CMainController).
#include "app/win32/MainDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/AppSettings.h"
#include "app/Subsystems.h"
#include "base/KeyCodes.h"
#include "base/Timers.h"
#include "base/TreeImages.h"
#include "base/win32/MainWindow.h"
#include "base/win32/WindowProc.h"
#include "res/resource.h"
#include "widgets/win32/BalloonTip.h"

static_assert(WM_TRAY_NOTIFY == 0x800A && WM_ALREADY_RUNNING == 0x800B, "messages other copies and the shell use");
static_assert(WM_CONSOLE_COMMAND == 0x40A, "the console's command message");
static_assert(kShellErrorCancelled == ERROR_CANCELLED, "the shell's error for a start cancelled at its prompt");
static_assert(KEY_TAB == VK_TAB && KEY_ESCAPE == VK_ESCAPE && KEY_PAGE_UP == VK_PRIOR && KEY_PAGE_DOWN == VK_NEXT &&
                  KEY_LEFT == VK_LEFT && KEY_UP == VK_UP && KEY_RIGHT == VK_RIGHT && KEY_DOWN == VK_DOWN &&
                  KEY_DELETE == VK_DELETE && KEY_F5 == VK_F5,
              "the core's key codes are the platform's virtual keys");

namespace {

constexpr char kApplicationKey[] = KVL_MAIN_CAPTION;
constexpr char kTrayTip[] = "KVL SE";
constexpr UINT kBalloonSeconds = 10;

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

HICON LoadIconSized(int id, int size) {
    return static_cast<HICON>(::LoadImageA(Instance(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

struct ButtonDecoration {
    int controlId;
    int iconId;
    const char* tip;
    CIconButton CMainDlg::*member;
};

}  // namespace

CMainDlg::CMainDlg(CAppContext& context) : m_Context(context), m_Controller(*this, context) {
    RegisterSubsystems(m_Controller, m_Context, m_Platform.Services());
    m_Platform.AddMessageHandlers(m_Controller);
}

CMainDlg::~CMainDlg() {
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CMainDlg::OnAttach(HWND hwnd) {
    m_hWnd = hwnd;
    // The application's main window: what balloons without a parent of their own belong to.
    SetApplicationMainWindow(hwnd);
}

void CMainDlg::OnDetach() {
    if (ApplicationMainWindow() == m_hWnd)
        SetApplicationMainWindow(nullptr);
    m_hWnd = nullptr;
}

int CMainDlg::DoModal() {
    if (!CLogViewWindow::RegisterWindowClass())
        return -1;
    HWND window = ::CreateDialogParamA(Instance(), MAKEINTRESOURCEA(IDD_KVL_DIALOG), nullptr,
                                       &ForwardDialogProc<CMainDlg>, reinterpret_cast<LPARAM>(this));
    if (!window)
        return -1;
    // Like a modal dialog box: shown even when its initialisation stopped before showing it.
    if (!m_bEnded && !::IsWindowVisible(window))
        ::ShowWindow(window, SW_SHOWNORMAL);

    MSG message{};
    while (!m_bEnded && m_hWnd) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // Someone asked the thread to quit: leave, and let the outer loop (if any) see it too.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        try {
            if (PreTranslateMessage(message))
                continue;
            if (m_hWnd && ::IsDialogMessageA(m_hWnd, &message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        } catch (const std::exception& fault) {
            // A fault in one message's handling must not end the program's only window.
            ReportCaughtFault(kFaultName, &fault);
        } catch (...) {
            ReportCaughtFault(kFaultName, nullptr);
        }
    }
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    return m_nResult;
}

bool CMainDlg::PreTranslateMessage(MSG& message) {
    if (message.message != WM_KEYDOWN || !m_hWnd)
        return false;
    if (message.hwnd != m_hWnd && !::IsChild(m_hWnd, message.hwnd))
        return false;
    const bool inCommandBox = message.hwnd == m_CommandBox.Get();
    switch (m_Controller.PreTranslateKey(static_cast<int>(message.wParam), inCommandBox)) {
    case KeyAction::Pass:
        return false;
    case KeyAction::TabToRight:
        // Tab accepts a completion: the box sees a Right arrow instead (and the dialog never sees a Tab).
        message.wParam = VK_RIGHT;
        ::DispatchMessageA(&message);
        return true;
    default:
        return true;  // consumed, its action (if any) already taken
    }
}

INT_PTR CMainDlg::Result(LRESULT value) {
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_DESTROY:
        OnDestroy();
        return FALSE;  // the dialog manager has its own cleanup to do
    case WM_TIMER:
        if (wParam == TIMER_TREE_IMAGES) {
            ::KillTimer(m_hWnd, TIMER_TREE_IMAGES);
            BuildTreeImages();
            return TRUE;
        }
        m_Controller.OnTimer(static_cast<unsigned>(wParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam) ? TRUE : FALSE;
    case WM_SIZE:
        m_Layout.OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        m_Layout.OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // One of the few messages whose result a dialog procedure returns directly.
        return reinterpret_cast<INT_PTR>(
            m_Labels.OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_PAINT:
        return OnPaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon.Get());
    case WM_CONSOLE_COMMAND: {
        // The request was handed over by SendConsoleCommand; it is ours to free from here on.
        std::unique_ptr<CommandRequest> request(reinterpret_cast<CommandRequest*>(wParam));
        if (request)
            m_Controller.OnConsoleCommand(std::move(request));
        return Result(0);
    }
    case WM_TRAY_NOTIFY:
        return Result(m_Tray.OnTrayMessage(wParam, lParam));
    case WM_ALREADY_RUNNING:
        ShowTrayBalloon("Double-click to restore", "KVL already running", BalloonIcon::Info, kBalloonSeconds);
        return Result(0);
    default: {
        // A subsystem's notification (hook reports, peer notices, registered messages), or nobody's.
        intptr_t result = 0;
        if (m_Controller.OnWindowMessage(WindowMessage{message, wParam, lParam}, result))
            return Result(result);
        return FALSE;
    }
    }
}

BOOL CMainDlg::OnInitDialog() {
    m_OutputPane.Attach(Item(IDC_OUTPUT));
    m_CommandBox.Attach(Item(IDC_COMMAND), m_Controller.CommandEdit());
    m_TreeView.Attach(Item(IDC_STATUS_TREE));
    m_Layout.Init(m_hWnd);

    // Values that cannot be read keep their defaults.
    LoadSettings(m_Context.Settings(), kApplicationKey, m_SettingsStore);
    Decorate();
    SetAnchors();
    // Before the window is first shown, so that it never appears where it does not stay.
    m_Context.PlacementText() = m_Context.Settings().WindowPlacement;
    m_Layout.RestorePlacement(m_Context.PlacementText());

    TrayIconParams tray;
    tray.parent = m_hWnd;
    tray.callbackMessage = WM_TRAY_NOTIFY;
    tray.tooltip = kTrayTip;
    tray.icon = m_hSmallIcon.Get();
    tray.id = IDR_TRAYMENU;
    tray.balloonSeconds = kBalloonSeconds;
    // Without the tray icon nothing else starts; the window stays open, empty.
    if (!m_Tray.Create(tray))
        return TRUE;
    // Before the hook is set: an elevated copy hears a game that is not, and the taskbar.
    m_Platform.LetProcessesBelowIn(m_hWnd, m_Tray.Window());

    // Loading and converting a dozen icons is the dearest step of start-up, and the tree stays empty until the first
    // refresh ends, so the tree's image list is built once the window has been painted (a timer comes after the
    // first paint; a refresh's end comes after this timer, it being due later).
    ::SetTimer(m_hWnd, TIMER_TREE_IMAGES, TREE_IMAGES_DELAY, nullptr);

    m_Controller.Start(this, &m_OutputPane, &m_CommandBox, &m_TreeView);

    // Minimised first, then normal: whatever show state the restored placement applied (the window was closed
    // maximised or minimised), it ends up restored at the saved normal rectangle, neither maximised nor minimised.
    // The end-to-end tests' readiness waits for the normal state, since the minimised one comes first.
    ::ShowWindow(m_hWnd, SW_SHOWMINIMIZED);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    ::SetFocus(m_CommandBox.Get());
    m_Controller.RunStartupScript();
    return FALSE;
}

void CMainDlg::Decorate() {
    for (int id : {IDC_LBL_COMMAND, IDC_LBL_NETWORK, IDC_LBL_CONSOLE})
        m_Labels.Add(Item(id));

    m_ToolTips.Create(m_hWnd);
    static const ButtonDecoration buttons[] = {
        {IDC_LAUNCH, IDI_LAUNCH, "Launch BroodWar", &CMainDlg::m_btnLaunch},
        {IDC_REFRESH, IDI_REFRESH, "Refresh network status", &CMainDlg::m_btnRefresh},
        {IDC_CONFIGURE, IDI_CONFIGURE, "Configure", &CMainDlg::m_btnConfigure},
        {IDC_HELP, IDI_HELP, "Help", &CMainDlg::m_btnHelp},
        {IDC_QUIT, IDI_QUIT, "Quit", &CMainDlg::m_btnQuit},
    };
    for (const ButtonDecoration& button : buttons) {
        HWND control = Item(button.controlId);
        (this->*button.member).Attach(control, button.iconId);
        m_ToolTips.AddTool(control, button.tip);
    }

    if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, "&About KVL SE...");
    }

    m_hIcon.Reset(LoadIconSized(IDR_MAINFRAME, ::GetSystemMetrics(SM_CXICON)));
    m_hSmallIcon.Reset(LoadIconSized(IDR_MAINFRAME, ::GetSystemMetrics(SM_CXSMICON)));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.Get()));
}

void CMainDlg::SetAnchors() {
    static const struct {
        int id;
        AnchorPoint topLeft;
        std::optional<AnchorPoint> bottomRight;
    } anchors[] = {
        {IDC_LBL_NETWORK, ANCHOR_TOP_LEFT, ANCHOR_TOP_RIGHT},   {IDC_STATUS_TREE, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT},
        {IDC_LBL_CONSOLE, ANCHOR_TOP_RIGHT, std::nullopt},      {IDC_OUTPUT, ANCHOR_TOP_RIGHT, ANCHOR_BOTTOM_RIGHT},
        {IDC_LAUNCH, ANCHOR_BOTTOM_RIGHT, std::nullopt},        {IDC_REFRESH, ANCHOR_BOTTOM_RIGHT, std::nullopt},
        {IDC_CONFIGURE, ANCHOR_BOTTOM_RIGHT, std::nullopt},     {IDC_HELP, ANCHOR_BOTTOM_RIGHT, std::nullopt},
        {IDC_QUIT, ANCHOR_BOTTOM_RIGHT, std::nullopt},          {IDC_LBL_COMMAND, ANCHOR_BOTTOM_LEFT, std::nullopt},
        {IDC_COMMAND, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT}, {IDC_EXEC, ANCHOR_BOTTOM_RIGHT, std::nullopt},
    };
    for (const auto& anchor : anchors)
        m_Layout.AddAnchor(anchor.id, anchor.topLeft, anchor.bottomRight);
    // No size grip: the window's frame is the only handle for resizing.
}

void CMainDlg::BuildTreeImages() {
    m_TreeImages.Reset(::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (!m_TreeImages)
        return;
    for (int id : kTreeImageIcons) {
        CIconHandle icon(LoadIconSized(id, 16));
        ::ImageList_AddIcon(m_TreeImages.Get(), icon.Get());
    }
    ::SendMessageA(Item(IDC_STATUS_TREE), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_TreeImages.Get()));
}

void CMainDlg::OnDestroy() {
    // Timers first: nothing may fire into a window that is going away.
    m_Controller.Shutdown();
    // The layout support's last step: the placement, only if it can be read.
    m_Layout.StorePlacement(m_Context.PlacementText());
    m_Layout.RemoveAllAnchors();
    m_Context.Settings().WindowPlacement = m_Context.PlacementText();
    SaveSettings();
}

void CMainDlg::OnCommand(int id, int code) {
    if (code != BN_CLICKED)
        return;  // menu commands arrive with code 0 as well
    switch (id) {
    case IDC_REFRESH:
        m_Controller.RequestRefresh();
        break;
    case IDC_EXEC:
        m_Controller.OnExec();
        break;
    case IDC_QUIT:
    case ID_TRAY_QUIT:
        EndDialog(0);
        break;
    case ID_TRAY_KVL:
        m_Tray.RestoreFromTray(m_hWnd);
        break;
    case IDCANCEL:
        // The close box and the system menu's Close; Esc never gets here (it is consumed before the dialog).
        EndDialog(IDCANCEL);
        break;
    case IDC_LAUNCH:
        LaunchGame();
        break;
    case IDC_CONFIGURE:
        Configure();
        break;
    case IDC_HELP:
    default:
        // Help has no action.
        break;
    }
}

bool CMainDlg::OnSysCommand(WPARAM command) {
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
        m_Tray.HideToTray(m_hWnd);
        return true;
    case IDM_ABOUT:
        ShowAbout();
        return true;
    default:
        return false;
    }
}

bool CMainDlg::OnPaintMinimised() {
    if (!::IsIconic(m_hWnd))
        return false;
    CPaintScope paint(m_hWnd);
    ::SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()), 0);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.Get(), x, y, m_hIcon.Get());
    return true;
}

uintptr_t CMainDlg::SetTimer(unsigned id, unsigned milliseconds) {
    if (!m_hWnd)
        return 0;
    return static_cast<uintptr_t>(::SetTimer(m_hWnd, id, milliseconds, nullptr));
}

void CMainDlg::KillTimer(unsigned id) {
    if (m_hWnd)
        ::KillTimer(m_hWnd, id);
}

void CMainDlg::EnableRefreshButton(bool enable) {
    if (m_hWnd)
        ::EnableWindow(Item(IDC_REFRESH), enable ? TRUE : FALSE);
}

void CMainDlg::SetTrayTip(const std::string& text) { m_Tray.SetTooltip(text.c_str()); }

void CMainDlg::EndDialog(int result) {
    // Like the dialog manager's EndDialog: the window is destroyed by the loop, after the handler that asked for
    // the end has returned, never underneath it.
    m_nResult = result;
    m_bEnded = true;
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CMainDlg::LaunchGame() { LaunchGameFrom(m_Context.Settings(), *this); }

void CMainDlg::HideToTray() { m_Tray.HideToTray(m_hWnd); }

void CMainDlg::RestoreFromTray() { m_Tray.RestoreFromTray(m_hWnd); }

LaunchOutcome CMainDlg::OpenGame(const std::string& file, const std::string& folder) {
    // The extended call, as the plain one makes it (no error boxes of the shell's own), for its error: the plain
    // one answers a start cancelled at the elevation prompt as any refusal.
    SHELLEXECUTEINFOA execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_FLAG_NO_UI;
    execute.hwnd = m_hWnd;
    execute.lpVerb = "open";
    execute.lpFile = file.c_str();
    execute.lpParameters = "";
    execute.lpDirectory = folder.c_str();
    execute.nShow = SW_SHOWNORMAL;
    const bool started = ::ShellExecuteExA(&execute) != FALSE;
    return ShellLaunchOutcome(started, started ? 0 : ::GetLastError());
}

void CMainDlg::ShowLaunchFailure() {
    ShowBalloonTip(kLaunchFailedTitle, kLaunchFailedText, WindowCentre(Item(IDC_CONFIGURE)), IDI_ERROR,
                   kLaunchFailedOptions, m_hWnd, std::string(), kLaunchFailedTimeout);
}

void CMainDlg::ShowLaunchCancelled() {
    ShowBalloonTip(kLaunchCancelledTitle, kLaunchCancelledText, WindowCentre(Item(IDC_LAUNCH)), IDI_INFORMATION,
                   kLaunchFailedOptions, m_hWnd, std::string(), kLaunchCancelledTimeout);
}

void CMainDlg::Configure() { m_Configure.Run(m_Controller.Console(), m_Context, *this); }

int CMainDlg::RunConfigDialog() {
    CConfigDlg dialog(m_Context.Settings());
    m_pConfigDlg = &dialog;
    const INT_PTR result = dialog.DoModal(m_hWnd);
    m_pConfigDlg = nullptr;
    return static_cast<int>(result);
}

void CMainDlg::SaveSettings() { ::SaveSettings(m_Context.Settings(), kApplicationKey, m_SettingsStore); }

void CMainDlg::ShowOpenConfigDialog() {
    if (m_pConfigDlg && m_pConfigDlg->Get())
        ::SetForegroundWindow(m_pConfigDlg->Get());
}

void CMainDlg::ShowAbout() {
    if (m_pAboutDlg) {
        // Already open (the system menu of a disabled owner can still be reached by a posted command).
        m_pAboutDlg->DoModal(m_hWnd);
        return;
    }
    CAboutDlg about;
    m_pAboutDlg = &about;
    about.DoModal(m_hWnd);
    m_pAboutDlg = nullptr;
}

bool CMainDlg::IsWindowOnScreen() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }

void CMainDlg::ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon, unsigned seconds) {
    DWORD kind = NIIF_NONE;
    switch (icon) {
    case BalloonIcon::Info:
        kind = NIIF_INFO;
        break;
    case BalloonIcon::Warning:
        kind = NIIF_WARNING;
        break;
    case BalloonIcon::Error:
        kind = NIIF_ERROR;
        break;
    case BalloonIcon::None:
        break;
    }
    m_Tray.ShowTrayBalloon(text.c_str(), title.c_str(), kind, seconds);
}

void CMainDlg::SendConsoleCommand(std::unique_ptr<CommandRequest> request) {
    if (!request || !m_hWnd || !::IsWindow(m_hWnd))
        return;  // no window to run it: the request is freed here
    // Synchronous: the handler has run the command (and freed the request) when this returns.
    ::SendMessageA(m_hWnd, WM_CONSOLE_COMMAND, reinterpret_cast<WPARAM>(request.release()), 0);
}
