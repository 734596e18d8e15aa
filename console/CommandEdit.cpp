// The command line's model: sorted completion keywords, the history of executed lines, and the routing of its keys.
#include "console/CommandEdit.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Byte order: characters above 0x7F sort after ASCII whatever the signedness of char.
bool ByteLess(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    return c != 0 ? c < 0 : a.size() < b.size();
}

}  // namespace

bool CCommandEdit::AddKeyword(const std::string& text) {
    if (text.size() < 2)
        return false;
    // The list may reach kMaxKeywords entries: a new one is refused only once it holds more than kMaxKeywords - 1.
    if (m_Keywords.size() >= kMaxKeywords)
        return false;
    const auto at = std::lower_bound(m_Keywords.begin(), m_Keywords.end(), text, ByteLess);
    if (at != m_Keywords.end() && *at == text)
        return true;
    m_Keywords.insert(at, text);
    return true;
}

void CCommandEdit::AddHistory(const std::string& text) {
    const int found = FindHistory(text);
    if (found >= 0)
        m_History.erase(m_History.begin() + found);
    m_History.push_back(text);
}

int CCommandEdit::FindHistory(const std::string& text) const {
    for (size_t i = 0; i < m_History.size(); ++i)
        if (m_History[i] == text)
            return static_cast<int>(i);
    return -1;
}

void CCommandEdit::HistoryPrev() {
    if (!m_pBox)
        return;
    const int found = FindHistory(m_pBox->GetText());
    if (found > 0)
        Show(m_History[static_cast<size_t>(found) - 1]);
    else if (found < 0 && !m_History.empty())
        Show(m_History.back());
    m_pBox->SetSel(0, -1);
}

void CCommandEdit::HistoryNext() {
    if (!m_pBox)
        return;
    const int found = FindHistory(m_pBox->GetText());
    if (found >= 0) {
        const size_t next = static_cast<size_t>(found) + 1;
        Show(next < m_History.size() ? m_History[next] : std::string());
    }
    m_pBox->SetSel(0, -1);
}

void CCommandEdit::CompleteWord(int charCode) {
    // Backspace must be able to delete a completion without it coming straight back.
    if (charCode == 8 || !m_pBox)
        return;
    const std::string text = m_pBox->GetText();
    size_t white = std::string::npos;
    for (size_t i = text.size(); i-- > 0;) {
        if (IsWhite(text[i])) {
            white = i;
            break;
        }
    }
    const std::string word = (white == std::string::npos || white == 0) ? text : text.substr(white + 1);
    if (word.empty())
        return;
    for (const std::string& keyword : m_Keywords) {
        if (keyword.size() < word.size() || keyword.compare(0, word.size(), word) != 0)
            continue;
        // An exact keyword leaves the box (and its caret) alone.
        if (keyword.size() == word.size())
            return;
        Show(text + keyword.substr(word.size()));
        m_pBox->SetSel(static_cast<int>(text.size()), -1);
        return;
    }
}

void CCommandEdit::ClearText() { Show(std::string()); }

void CCommandEdit::Show(const std::string& text) {
    if (m_pBox)
        m_pBox->SetText(text);
}

KeyAction RouteKey(int virtualKey, bool inCommandBox) {
    switch (virtualKey) {
    case KEY_F5:
        return KeyAction::Refresh;
    case KEY_UP:
        return inCommandBox ? KeyAction::HistoryPrev : KeyAction::Swallow;
    case KEY_DOWN:
        return inCommandBox ? KeyAction::HistoryNext : KeyAction::Swallow;
    case KEY_ESCAPE:
        return inCommandBox ? KeyAction::ClearBox : KeyAction::Swallow;
    case KEY_TAB:
        return inCommandBox ? KeyAction::TabToRight : KeyAction::Swallow;
    default:
        return KeyAction::Pass;
    }
}
