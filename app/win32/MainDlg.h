// The main window: dialog template 102 run by its own message loop, translating messages into calls on the
// main window's logic (CMainController).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/MainController.h"
#include "app/WindowActions.h"
#include "app/win32/RegistryStore.h"
#include "app/win32/TreeViewAdapter.h"
#include "app/win32/Win32Platform.h"
#include "base/AppContext.h"
#include "base/win32/WinHandle.h"
#include "config/win32/ConfigDlg.h"
#include "console/win32/CommandEditBox.h"
#include "console/win32/LogViewWindow.h"
#include "widgets/win32/AboutDlg.h"
#include "widgets/win32/IconButton.h"
#include "widgets/win32/ResizableLayout.h"
#include "widgets/win32/SystemTray.h"

class CMainDlg : public IMainView, public IConsoleOwner, private IGameLauncher, private IConfigurationHost {
public:
    explicit CMainDlg(CAppContext& context);
    ~CMainDlg() override;
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // Creates the window and runs it until it ends; the dialog's result, or -1 when it could not be created.
    int DoModal();

    // IMainView
    uintptr_t SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void EnableRefreshButton(bool enable) override;
    void SetTrayTip(const std::string& text) override;
    void EndDialog(int result) override;
    void LaunchGame() override;
    void Configure() override;
    bool IsWindowOnScreen() const override;
    void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                         unsigned seconds) override;

    // IConsoleOwner
    void SendConsoleCommand(std::unique_ptr<CommandRequest> request) override;

    // The dialog procedure's forwarding (see ForwardDialogProc).
    static constexpr const char* kFaultName = "main window";
    void OnAttach(HWND hwnd);
    void OnDetach();
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // IGameLauncher
    void HideToTray() override;
    void RestoreFromTray() override;
    LaunchOutcome OpenGame(const std::string& file, const std::string& folder) override;
    void ShowLaunchFailure() override;
    void ShowLaunchCancelled() override;
    // IConfigurationHost
    int RunConfigDialog() override;
    void SaveSettings() override;
    void ShowOpenConfigDialog() override;
    void ShowAbout();

    // Returns a message's result from the dialog procedure.
    INT_PTR Result(LRESULT value);

    BOOL OnInitDialog();
    void OnDestroy();
    void OnCommand(int id, int code);
    bool OnSysCommand(WPARAM command);
    bool OnPaintMinimised();
    // The keys the main window routes before its controls see them; true when the message was handled here.
    bool PreTranslateMessage(MSG& message);

    void Decorate();
    void SetAnchors();
    void BuildTreeImages();
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

    HWND m_hWnd = nullptr;
    bool m_bEnded = false;
    int m_nResult = 0;

    CAppContext& m_Context;
    CIconHandle m_hIcon;
    CIconHandle m_hSmallIcon;
    CRegistryStore m_SettingsStore;
    // The platform's services outlive the controller, whose modules own sockets made by the factory and use the
    // hook library and the keystroke worker's platform.
    CWin32Platform m_Platform{m_hWnd};
    CLogViewWindow m_OutputPane;
    CCommandEditBox m_CommandBox;
    CTreeViewAdapter m_TreeView;
    CMainController m_Controller;
    CResizableLayout m_Layout;
    CToolTips m_ToolTips;
    CIconButton m_btnLaunch;
    CIconButton m_btnRefresh;
    CIconButton m_btnConfigure;
    CIconButton m_btnHelp;
    CIconButton m_btnQuit;
    CCaptionLabels m_Labels;
    CImageListHandle m_TreeImages;
    CSystemTray m_Tray;
    CConfigureAction m_Configure;
    CConfigDlg* m_pConfigDlg = nullptr;  // while the configuration dialog runs
    CAboutDlg* m_pAboutDlg = nullptr;    // while the About box runs
};
