// The command line's edit control: text access for the model, and completion after every typed character.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

#include "console/CommandEdit.h"

class CCommandEditBox : public IEditBox {
public:
    CCommandEditBox() = default;
    ~CCommandEditBox() override;
    CCommandEditBox(const CCommandEditBox&) = delete;
    CCommandEditBox& operator=(const CCommandEditBox&) = delete;

    // Subclasses the edit control; model.CompleteWord runs after the control has handled each WM_CHAR.
    bool Attach(HWND edit, CCommandEdit& model);
    void Detach();
    HWND Get() const { return m_hEdit; }

    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void SetSel(int start, int end) override;

    static constexpr const char* kFaultName = "command line";
    LRESULT HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnControlDestroyed(HWND hwnd);

private:
    HWND m_hEdit = nullptr;
    CCommandEdit* m_pModel = nullptr;
};
