// The "Console output" pane: a read-only multi-line edit control that the console appends to.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "console/Console.h"

class CEditOutputPane : public IOutputPane {
public:
    CEditOutputPane() = default;
    CEditOutputPane(const CEditOutputPane&) = delete;
    CEditOutputPane& operator=(const CEditOutputPane&) = delete;
    ~CEditOutputPane() override;

    // Lifts the edit control's default 32K text limit: the console never trims its text.
    void Attach(HWND edit);
    HWND Get() const { return m_hEdit; }

    void AppendText(const std::string& text) override;
    void SetAllText(const std::string& text) override;

    static constexpr const char* kFaultName = "console output pane";
    LRESULT HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnControlDestroyed(HWND hwnd);

private:
    // Appends what waits: all of it, or one piece (the rest on the next turn of the message loop).
    void Flush(bool all);
    void Detach();

    HWND m_hEdit = nullptr;
    // Text written since the control was last brought up to date.
    std::string m_strPending;
    bool m_bFlushArmed = false;
    bool m_bFlushing = false;
    DWORD m_RepaintedAt = 0;  // tick count of the last repaint asked for
};
