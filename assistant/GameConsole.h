// The in-game console's model: open or closed, the lines received (newest first), the input line with its caret
// and its editing by the keys typed into the game, the history of entered lines, the scroll position and the recent
// lines shown while closed, and how one frame of it is painted over the game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "assistant/Overlay.h"
#include "base/ConsoleText.h"

// What the one who routes keys to the console is to carry out after a character or an editing key.
enum class ConsoleAction {
    None,            // nothing changed that shows
    Repaint,         // the input line or the view changed
    Beep,            // nothing to scroll to: the default beep
    BeepAndRepaint,  // nothing to complete: the default beep, then the repaint that follows every character
    // ENTER: Input() is to be run as it stands, then LineRun(line), the exclamation beep and a repaint. The console
    // is left untouched until LineRun: running the line may let further keys in, and they edit the line being run.
    RunLine,
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
    // Takes in every line of the text that its line end has completed since the last time (all of them the first
    // time); how many. The lines stay in the text, which outlives the console.
    int TakeInLines(const CConsoleText& text);
    // Moves the view by delta lines (positive: older), kept within the lines there are; whether it moved.
    bool Scroll(int delta);

    // A character typed while open: ESCAPE empties the input, TAB completes its last word from the keywords,
    // BACKSPACE deletes left of the caret, ENTER asks for the line to be run, any other is inserted at the caret.
    // Every character but ENTER ends a recall from the history.
    ConsoleAction OnCharacter(char c, const std::vector<std::string>& keywords);
    // A key pressed while open: PAGEUP/PAGEDOWN scroll, LEFT/RIGHT move the caret, UP/DOWN recall from the
    // history, DELETE deletes right of the caret; other keys do nothing.
    ConsoleAction OnEditingKey(uint32_t vk);
    // The line being typed, as ENTER leaves it to be run.
    const std::string& Input() const { return m_strInput; }
    // The line has been run: into the history; the input is emptied and a recall ends.
    void LineRun(const std::string& line);

    // While closed: added lines more are on show in the game's corner, at most kMaxRecent + 1.
    void ShowRecent(int added);
    void HideRecent() { m_nRecent = -1; }

    void Paint(IOverlayCanvas& canvas) const;

private:
    // Completes the input's last word with the first keyword that contains it (what follows it there, then a
    // blank); whether it did.
    static bool Complete(std::string& input, const std::vector<std::string>& keywords);
    // A line taken in, 0 the newest.
    std::string_view Line(size_t newest) const;
    // A row of text with its black shadow one pixel down and right.
    static void WriteRow(IOverlayCanvas& canvas, int y, const std::string& text);

    int m_nOpen = 0;
    const CConsoleText* m_pText = nullptr;
    size_t m_nLines = 0;                // the text's first m_nLines lines are the console's, never trimmed
    std::deque<std::string> m_History;  // newest first, never trimmed
    std::string m_strInput;
    size_t m_nCaret = 0;
    int m_nScroll = 0;
    int m_nHistoryPos = -1;
    int m_nRecent = -1;  // while closed: recent lines on show minus one; -1 none
};
