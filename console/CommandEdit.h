// The command line's model: completion keywords, history, and what its keys do.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/KeyCodes.h"

// The one-line text box the model works on.
class IEditBox {
public:
    virtual ~IEditBox() = default;
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
    // Selects [start, end) and scrolls the caret (at end) into view; end -1 means the end of the text.
    virtual void SetSel(int start, int end) = 0;
};

class CCommandEdit {
public:
    static constexpr size_t kMaxKeywords = 257;

    void Attach(IEditBox* box) { m_pBox = box; }
    IEditBox* Box() const { return m_pBox; }

    bool AddKeyword(const std::string& text);
    void AddHistory(const std::string& text);
    void HistoryPrev();
    void HistoryNext();
    // Index of the first history entry equal to text, or -1.
    int FindHistory(const std::string& text) const;
    // Called after the box has processed a typed character.
    void CompleteWord(int charCode);
    // Esc: the box is emptied.
    void ClearText();

    const std::vector<std::string>& Keywords() const { return m_Keywords; }
    const std::vector<std::string>& History() const { return m_History; }

private:
    void Show(const std::string& text);

    IEditBox* m_pBox = nullptr;
    std::vector<std::string> m_Keywords;
    std::vector<std::string> m_History;
};

// What the main window does with a key-down before its controls see it.
enum class KeyAction {
    Pass,         // not ours: the control gets the key
    HistoryPrev,  // consumed
    HistoryNext,  // consumed
    ClearBox,     // consumed
    Refresh,      // consumed: StartRefresh
    TabToRight,   // Tab becomes Right and goes on to the command box
    Swallow,      // consumed without effect
};

KeyAction RouteKey(int virtualKey, bool inCommandBox);
