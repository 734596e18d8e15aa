// The "Console output" pane's model: the console's log shown as rows wrapped at the pane's width, a scroll position
// that follows the end until the user scrolls away from it, and a selection. It keeps no copy of the text: the rows
// are worked out from the console's own text, and only the number of rows of each line is remembered, so that
// appending costs in proportion to what is appended and a frame in proportion to what it shows. After the width
// changes, lines are wrapped again as they come into view and in the background; until then their rows are
// estimated (only the scroll bar's thumb may move a little as the estimates are replaced).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/ConsoleText.h"

// How wide the pane's font draws characters, as the platform measures them.
class ITextMeasure {
public:
    virtual ~ITextMeasure() = default;
    // Whether the byte begins a double-byte character of the system's code page.
    virtual bool IsLeadByte(unsigned char value) = 0;
    // Width in pixels of one character: a single byte, or a lead byte and its trail byte.
    virtual int CharWidth(std::string_view character) = 0;
};

// Sums of the rows of every line, kept for appending at the end and changing one line at a time.
class CRowIndex {
public:
    void Clear() { m_Tree.clear(); }
    void Assign(const std::vector<uint32_t>& rows);
    void Append(uint32_t rows);
    void Add(size_t line, int64_t delta);
    size_t Size() const { return m_Tree.size(); }
    // Rows of the lines before `line`.
    uint64_t Before(size_t line) const;
    uint64_t Total() const { return Before(m_Tree.size()); }
    // The line that holds row `row` (counted over all lines); the last line when row is beyond them.
    size_t LineOfRow(uint64_t row) const;

private:
    // A Fenwick tree: entry i sums the lines (i - lowbit(i), i], counted from 1. There are never more rows than
    // bytes and lines, so 32 bits hold every sum a 32-bit program can reach.
    std::vector<uint32_t> m_Tree;
};

// One piece of a row as drawn: text from one colour, or the gap of a tab.
struct LogRun {
    int x = 0;
    int width = 0;
    size_t begin = 0, end = 0;  // offsets into the console's text
    bool selected = false;
    bool tab = false;
};

struct LogRow {
    int y = 0;
    std::vector<LogRun> runs;
};

// What a key pressed in the pane did.
enum class LogKeyResult { Ignored, Scrolled, SelectedAll, Copy };

class CLogView {
public:
    explicit CLogView(ITextMeasure& measure);
    CLogView(const CLogView&) = delete;
    CLogView& operator=(const CLogView&) = delete;

    // The font: the height of a row and the distance of tab stops, in pixels. Every line is wrapped anew.
    void SetFont(int lineHeight, int tabStop);
    // The area the text is drawn in, in pixels.
    void SetSize(int width, int height);

    // The log now begins at `logStart` of `text` (the first text shown, or the log emptied): the view is empty,
    // follows the end, and nothing is selected.
    void Restart(const CConsoleText& text, size_t logStart);
    // The text grew at its end.
    void Appended();

    bool Shows(const CConsoleText& text) const { return m_pText == &text; }
    // The bytes of the text from an offset of a run on.
    const char* TextAt(size_t offset) const { return m_pText->Data() + offset; }

    // Positions are offsets into the log (0 its first byte).
    size_t Length() const;
    std::string_view LogText() const;

    struct ScrollState {
        uint64_t rows;  // rows of the whole log (some of them estimated)
        uint64_t page;  // whole rows the pane shows
        uint64_t top;   // the row at the top
    };
    ScrollState Scroll();
    bool IsFollowing() const { return m_bFollow; }
    void ScrollBy(int64_t rows);
    void ScrollToRow(uint64_t row);
    void ScrollToTop();
    void ScrollToEnd();

    void Select(size_t anchor, size_t caret);
    void SelectAll() { Select(0, Length()); }
    // Anchor and caret, as set.
    std::pair<size_t, size_t> Selection() const { return {m_nAnchor, m_nCaret}; }
    bool HasSelection() const { return m_nAnchor != m_nCaret; }
    std::string SelectedText() const;
    // The position nearest to a point of the text area (rows above it: the top row; below: the last).
    size_t PositionAt(int x, int y);
    // The word, or run of blanks, around a position.
    std::pair<size_t, size_t> WordAt(size_t position);

    // The rows to draw, from the top of the area down to its bottom (a partly shown row last).
    std::vector<LogRow> VisibleRows();

    // Rows of the whole log with every line wrapped (no estimates left).
    uint64_t RowCount();
    // Wraps lines not yet wrapped at the current width, about `bytes` of text; whether any are left.
    bool WrapSome(size_t bytes);
    bool WrapPending() const { return m_nUnwrapped > 0; }

    LogKeyResult OnKey(int virtualKey, bool control);

private:
    struct RowPos {
        size_t line = 0;
        uint32_t row = 0;
    };

    size_t Lines() const { return m_Rows.size(); }
    size_t LineBegin(size_t line) const;
    size_t LineEnd(size_t line) const;
    // Where each row of the line begins (offsets into the text); the open last line's are kept.
    std::vector<size_t> RowStarts(size_t line);
    // Wraps a line's text from a row's start up to `end` (the line's end); how many rows, their starts if asked.
    uint32_t Wrap(size_t end, size_t from, std::vector<size_t>* starts);
    // The line has this many rows at the current width.
    void Learn(size_t line, uint32_t rows);
    uint32_t RowsOf(size_t line);
    uint32_t Estimate(size_t line) const;
    int Width(size_t at, size_t end, int x, size_t& length);
    void ResetWrapping();
    RowPos TopOfEnd();
    RowPos Top();
    void SetTop(RowPos top);
    // The row `rows` below (above, when negative) a row, kept within the log; `moved` tells how far it went.
    RowPos Step(RowPos from, int64_t rows, int64_t* moved = nullptr);
    uint64_t PageRows() const;
    bool IsBlank(size_t at) const;

    ITextMeasure& m_Measure;
    const CConsoleText* m_pText = nullptr;
    size_t m_nLogStart = 0;
    size_t m_nFirstLine = 0;  // the text's line that the log's first line is part of

    int m_nWidths[256] = {};
    bool m_bLead[256] = {};
    std::unordered_map<unsigned, int> m_PairWidths;
    int m_nAverageWidth = 1;
    int m_nLineHeight = 1;
    int m_nTabStop = 8;
    int m_nWidth = 1;
    int m_nHeight = 0;

    std::vector<uint32_t> m_Rows;  // rows of each line of the log at this width; 0 while not wrapped yet
    CRowIndex m_Index;             // the same, with estimates for lines not wrapped yet
    size_t m_nUnwrapped = 0;
    size_t m_nWrapNext = 0;              // where the background wrapping goes on
    std::vector<size_t> m_LastRowStarts;  // the rows of the last line, which may still grow
    std::unordered_map<size_t, std::vector<size_t>> m_RowCache;  // rows of lines drawn lately

    bool m_bFollow = true;
    size_t m_nTopOffset = 0;  // text offset of the top row's first byte, which stays in view over a new width

    size_t m_nAnchor = 0, m_nCaret = 0;
};
