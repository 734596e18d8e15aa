// The in-game console's model and its frame.
#include "assistant/GameConsole.h"

#include <utility>

namespace {

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

void CGameConsole::AddLine(std::string line) { m_Lines.push_front(std::move(line)); }

bool CGameConsole::Scroll(int delta) {
    const int before = m_nScroll;
    const int lines = static_cast<int>(m_Lines.size());
    m_nScroll += delta;
    if (m_nScroll > lines - kVisibleLines)
        m_nScroll = lines - kVisibleLines;
    if (m_nScroll < 0)
        m_nScroll = 0;
    return m_nScroll != before;
}

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
        if (first >= m_Lines.size())
            first = 0;
        for (int k = 0; k < kVisibleLines && first + k < m_Lines.size(); ++k)
            WriteRow(canvas, kTextArea.bottom - 40 - kLineStep * k, m_Lines[first + k]);
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
            if (static_cast<size_t>(k) < m_Lines.size())
                WriteRow(canvas, kFirstRecentY + kLineStep * (n - k), m_Lines[static_cast<size_t>(k)]);
    }
    canvas.Flush();
}
