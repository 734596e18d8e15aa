// The configuration dialog (template 104): edits the six values of the settings record, warns about bad words in
// the name and refuses a game folder without the game. The record is written only when OK succeeds.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "base/AppContext.h"
#include "base/win32/WinHandle.h"
#include "config/ConfigRules.h"
#include "widgets/win32/IconButton.h"

class CConfigDlg {
public:
    static constexpr const char* kFaultName = "configuration dialog";

    explicit CConfigDlg(SettingsRecord& settings) : m_Settings(settings) {}
    CConfigDlg(const CConfigDlg&) = delete;
    CConfigDlg& operator=(const CConfigDlg&) = delete;

    // 1 after the record was updated, 2 cancelled (record unchanged), -1 when the dialog could not be made.
    INT_PTR DoModal(HWND parent);
    HWND Get() const { return m_hWnd; }

    void OnAttach(HWND hwnd) { m_hWnd = hwnd; }
    void OnDetach() { m_hWnd = nullptr; }
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    BOOL OnInitDialog();
    void OnCommand(int id, int code);
    void OnNameChanged();
    void OnAutoClicked();
    void OnBrowse();
    void OnOK();
    std::string Text(int id) const;
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

    SettingsRecord& m_Settings;
    ConfigValues m_Values;
    HWND m_hWnd = nullptr;
    bool m_bFilled = false;  // the boxes hold the settings: later changes are the user's
    CCaptionLabels m_Labels;
    CIconHandle m_hIcon;
    CIconHandle m_hOkIcon;
    CIconHandle m_hCancelIcon;
    CBitmapHandle m_hPicture;
};
