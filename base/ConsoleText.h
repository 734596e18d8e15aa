// Everything the console has written since start, held once and shared: the console's log and its pane show the part
// written since the last clear, the in-game console shows its lines. An evening of chat is tens of thousands of
// lines, so nobody keeps a second copy, and finding a line costs a look-up in the index of line starts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CConsoleText {
public:
    CConsoleText() = default;
    CConsoleText(const CConsoleText&) = delete;
    CConsoleText& operator=(const CConsoleText&) = delete;

    // Adds text at the end; time in proportion to the text added.
    void Append(std::string_view text);

    size_t Size() const { return m_Bytes.size(); }
    const char* Data() const { return m_Bytes.data(); }
    // The bytes from `from` to `to`, both kept within the text.
    std::string_view Bytes(size_t from, size_t to) const;

    // Lines end in CR LF. The last line is the one still being written: empty right after a line end, so there is
    // always one line more than there are line ends.
    size_t LineCount() const { return m_LineStarts.size(); }
    size_t LineStart(size_t line) const { return m_LineStarts[line]; }
    // Where the line's text ends: before its CR LF, or at the end of the text for the last line.
    size_t LineEnd(size_t line) const;
    std::string_view Line(size_t line) const { return Bytes(LineStart(line), LineEnd(line)); }
    // The line that holds the byte at `offset` (the last line for the end of the text).
    size_t LineOf(size_t offset) const;

private:
    std::string m_Bytes;
    std::vector<size_t> m_LineStarts{0};
};
