// The in-game console's model, its line editing and its frame.
#include "assistant/GameConsole.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "base/KeyCodes.h"

namespace {

// Character codes of the editing characters.
constexpr char kEscape = 0x1B, kTab = 0x09, kBackspace = 0x08, kReturn = 0x0D;
constexpr int kPageLines = 5;

constexpr int kTextX = 5;
constexpr int kInputY = 185;
constexpr int kLineStep = 15;
constexpr int kFirstRecentY = 9;

}  // namespace

constexpr OverlayRect CGameConsole::kConsoleArea;
constexpr OverlayRect CGameConsole::kTextArea;
constexpr OverlayRect CGameConsole::kTitleBox;
constexpr OverlayPoint CGameConsole::kFrame[7];

int CGameConsole::Toggle() {
    m_nOpen = m_nOpen ? 0 : 1;
    return m_nOpen;
}

int CGameConsole::TakeInLines(const CConsoleText& text) {
    m_pText = &text;
    const size_t complete = text.LineCount() - 1;
    const size_t added = complete > m_nLines ? complete - m_nLines : 0;
    m_nLines = std::max(m_nLines, complete);
    return static_cast<int>(std::min<size_t>(added, INT_MAX));
}

std::string_view CGameConsole::Line(size_t newest) const {
    return m_pText && newest < m_nLines ? m_pText->Line(m_nLines - 1 - newest) : std::string_view();
}

bool CGameConsole::Scroll(int delta) {
    const int before = m_nScroll;
    const int lines = static_cast<int>(std::min<size_t>(m_nLines, INT_MAX));
    m_nScroll += delta;
    if (m_nScroll > lines - kVisibleLines)
        m_nScroll = lines - kVisibleLines;
    if (m_nScroll < 0)
        m_nScroll = 0;
    return m_nScroll != before;
}

ConsoleAction CGameConsole::OnCharacter(char c, const std::vector<std::string>& keywords) {
    ConsoleAction action = ConsoleAction::Repaint;
    switch (c) {
    case kEscape:
        m_strInput.clear();
        m_nCaret = 0;
        break;
    case kTab: {
        std::string completed = m_strInput;
        if (Complete(completed, keywords)) {
            m_strInput = completed;
            m_nCaret = completed.size();
        } else {
            action = ConsoleAction::BeepAndRepaint;
        }
        break;
    }
    case kBackspace:
        if (m_nCaret > 0) {
            m_strInput.erase(m_nCaret - 1, 1);
            --m_nCaret;
        }
        break;
    case kReturn:
        return ConsoleAction::RunLine;  // the recall ends in LineRun, once the line has run
    default:
        m_strInput.insert(m_nCaret, 1, c);
        ++m_nCaret;
        break;
    }
    m_nHistoryPos = -1;
    return action;
}

ConsoleAction CGameConsole::OnEditingKey(uint32_t vk) {
    switch (vk) {
    case KEY_PAGE_UP:
    case KEY_PAGE_DOWN:
        return Scroll(vk == KEY_PAGE_UP ? kPageLines : -kPageLines) ? ConsoleAction::Repaint : ConsoleAction::Beep;
    case KEY_LEFT:
        if (m_nCaret > 0)
            --m_nCaret;
        return ConsoleAction::Repaint;
    case KEY_RIGHT:
        if (m_nCaret < m_strInput.size())
            ++m_nCaret;
        return ConsoleAction::Repaint;
    case KEY_UP:
        if (m_nHistoryPos < static_cast<int>(m_History.size()) - 1) {
            m_strInput = m_History[static_cast<size_t>(++m_nHistoryPos)];
            m_nCaret = m_strInput.size();
            return ConsoleAction::Repaint;
        }
        return ConsoleAction::None;
    case KEY_DOWN:
        if (m_nHistoryPos > 0) {
            m_strInput = m_History[static_cast<size_t>(--m_nHistoryPos)];
            m_nCaret = m_strInput.size();
            return ConsoleAction::Repaint;
        }
        if (m_nHistoryPos == 0) {
            // Past the newest entry: an empty line, and the position stays on the newest.
            m_strInput.clear();
            m_nCaret = 0;
            return ConsoleAction::Repaint;
        }
        return ConsoleAction::None;
    case KEY_DELETE:
        if (m_nCaret < m_strInput.size()) {
            m_strInput.erase(m_nCaret, 1);
            return ConsoleAction::Repaint;
        }
        return ConsoleAction::None;
    default:
        return ConsoleAction::None;
    }
}

void CGameConsole::LineRun(const std::string& line) {
    m_History.push_front(line);
    m_strInput.clear();
    m_nCaret = 0;
    m_nHistoryPos = -1;
}

bool CGameConsole::Complete(std::string& input, const std::vector<std::string>& keywords) {
    const size_t space = input.rfind(' ');
    const std::string word = space == std::string::npos ? input : input.substr(space + 1);
    if (word.empty())
        return false;
    for (const std::string& keyword : keywords) {
        const size_t at = keyword.find(word);
        if (at != std::string::npos) {
            input += keyword.substr(at + word.size()) + " ";
            return true;
        }
    }
    return false;
}

void CGameConsole::ShowRecent(int added) { m_nRecent = std::min(kMaxRecent, m_nRecent + added); }

void CGameConsole::WriteRow(IOverlayCanvas& canvas, int y, const std::string& text) {
    canvas.WriteText(kTextX + 1, y + 1, text, OVERLAY_BLACK);
    canvas.WriteText(kTextX, y, text, OVERLAY_WHITE);
}

void CGameConsole::Paint(IOverlayCanvas& canvas) const {
    canvas.SelectWhiteBrushAndPen();
    canvas.SetTransparentText();
    canvas.SelectFont(OverlayFont::Console);
    if (m_nOpen) {
        // From the line the view is scrolled to (the newest when there is no such line), older ones upwards.
        size_t first = static_cast<size_t>(m_nScroll);
        if (first >= m_nLines)
            first = 0;
        for (int k = 0; k < kVisibleLines && first + k < m_nLines; ++k)
            WriteRow(canvas, kTextArea.bottom - 40 - kLineStep * k, std::string(Line(first + k)));
        WriteRow(canvas, kInputY, "> " + m_strInput);
        // In the fixed-width font the underscore stands under the caret's character.
        canvas.WriteText(kTextX, kInputY, "> " + std::string(m_nCaret, ' ') + "_", OVERLAY_WHITE);
        canvas.SelectFont(OverlayFont::Title);
        canvas.WriteText(kTitleBox.left + 2, kTitleBox.top, kTitle, OVERLAY_WHITE);
        canvas.DrawLines(kFrame, 7);
    } else if (m_nRecent >= 0) {
        // The newest recent+1 lines, from the oldest of them at the top down to the newest.
        const int n = m_nRecent;
        for (int k = n; k >= 0; --k)
            if (static_cast<size_t>(k) < m_nLines)
                WriteRow(canvas, kFirstRecentY + kLineStep * (n - k), std::string(Line(static_cast<size_t>(k))));
    }
    canvas.Flush();
}
