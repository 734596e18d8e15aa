// The "Console output" pane: a read-only multi-line edit control that the console appends to.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "console/Console.h"

class CEditOutputPane : public IOutputPane {
public:
    // Lifts the edit control's default 32K text limit: the console never trims its text.
    void Attach(HWND edit);
    HWND Get() const { return m_hEdit; }

    void AppendText(const std::string& text) override;
    void SetAllText(const std::string& text) override;

private:
    HWND m_hEdit = nullptr;
};
