// The in-game console's model: open or closed, the lines received (newest first), the input line with its caret,
// the history of entered lines, the scroll position and the recent lines shown while closed, and how one frame of
// it is painted over the game.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "assistant/Overlay.h"

enum : unsigned {
    TIMER_CONSOLE_PAINT = 4001,  // repaints while drawing
    TIMER_CONSOLE_HIDE = 4002,   // ends the display of recent lines
    TIMER_CONSOLE_CLEAR = 4003,  // once after drawing stopped: the console area is repainted again
    TIMER_CONSOLE_TEXT = 4004,   // once the thread is idle: the console output written meanwhile is taken in
    CONSOLE_PAINT_PERIOD = 1,
    CONSOLE_HIDE_PERIOD = 5000,
    CONSOLE_CLEAR_DELAY = 100,
    CONSOLE_TIMER_FIRST = 4000,  // the main window hands every timer from here on to the assistant
};

class CGameConsole {
public:
    static constexpr OverlayRect kConsoleArea{0, 0, 640, 220};
    static constexpr OverlayRect kTextArea{0, 0, 640, 205};
    static constexpr OverlayRect kTitleBox{440, 204, 640, 220};
    static constexpr OverlayPoint kFrame[7] = {{0, 0}, {639, 0}, {639, 220}, {440, 220}, {424, 204}, {0, 204}, {0, 0}};
    static constexpr int kVisibleLines = 11;
    static constexpr int kMaxRecent = 10;
    static constexpr const char* kTitle = "KVL SE";

    // Flips open/closed; the new state (1 open).
    int Toggle();
    bool IsOpen() const { return m_nOpen != 0; }
    void AddLine(std::string line);
    // Moves the view by delta lines (positive: older), kept within the lines there are; whether it moved.
    bool Scroll(int delta);
    void Paint(IOverlayCanvas& canvas) const;

    const std::deque<std::string>& Lines() const { return m_Lines; }
    const std::deque<std::string>& History() const { return m_History; }
    const std::string& Input() const { return m_strInput; }
    size_t Caret() const { return m_nCaret; }
    int ScrollPosition() const { return m_nScroll; }
    int HistoryPosition() const { return m_nHistoryPos; }
    int Recent() const { return m_nRecent; }

private:
    friend class CGameAssistant;

    // A row of text with its black shadow one pixel down and right.
    static void WriteRow(IOverlayCanvas& canvas, int y, const std::string& text);

    int m_nOpen = 0;
    std::deque<std::string> m_Lines;    // newest first, never trimmed
    std::deque<std::string> m_History;  // newest first, never trimmed
    std::string m_strInput;
    size_t m_nCaret = 0;
    int m_nScroll = 0;
    int m_nHistoryPos = -1;
    int m_nRecent = -1;  // while closed: recent lines on show minus one; -1 none
};
