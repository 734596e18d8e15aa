// The console pane's model: wrapping, scrolling, following the end, selecting.
#include "console/LogView.h"

#include <algorithm>
#include <limits>

#include "base/KeyCodes.h"

namespace {

constexpr size_t kRowCacheLines = 256;

size_t LowBit(size_t i) { return i & (~i + 1); }

}  // namespace

// ------------------------------------------------------------------------------------------------ row index

void CRowIndex::Assign(const std::vector<uint32_t>& rows) {
    m_Tree.assign(rows.begin(), rows.end());
    const size_t n = m_Tree.size();
    for (size_t i = 1; i <= n; ++i) {
        const size_t parent = i + LowBit(i);
        if (parent <= n)
            m_Tree[parent - 1] += m_Tree[i - 1];
    }
}

void CRowIndex::Append(uint32_t rows) {
    const size_t n = m_Tree.size() + 1;
    m_Tree.push_back(rows + (Before(n - 1) - Before(n - LowBit(n))));
}

void CRowIndex::Add(size_t line, int64_t delta) {
    for (size_t i = line + 1; i <= m_Tree.size(); i += LowBit(i))
        m_Tree[i - 1] += static_cast<uint64_t>(delta);
}

uint64_t CRowIndex::Before(size_t line) const {
    uint64_t sum = 0;
    for (size_t i = std::min(line, m_Tree.size()); i > 0; i -= LowBit(i))
        sum += m_Tree[i - 1];
    return sum;
}

size_t CRowIndex::LineOfRow(uint64_t row) const {
    const size_t n = m_Tree.size();
    if (n == 0)
        return 0;
    size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    size_t pos = 0;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && m_Tree[pos + step - 1] <= row) {
            pos += step;
            row -= m_Tree[pos - 1];
        }
    }
    return std::min(pos, n - 1);
}

// ------------------------------------------------------------------------------------------------ the view

CLogView::CLogView(ITextMeasure& measure) : m_Measure(measure) { SetFont(1, 8); }

void CLogView::SetFont(int lineHeight, int tabStop) {
    m_nLineHeight = std::max(1, lineHeight);
    m_nTabStop = std::max(1, tabStop);
    m_PairWidths.clear();
    long sum = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        m_bLead[b] = m_Measure.IsLeadByte(static_cast<unsigned char>(b));
        m_nWidths[b] = m_bLead[b] ? 0 : std::max(0, m_Measure.CharWidth(std::string_view(&c, 1)));
        if (b >= 'a' && b <= 'z')
            sum += m_nWidths[b];
    }
    m_nAverageWidth = std::max(1L, sum / 26);
    ResetWrapping();
}

void CLogView::SetSize(int width, int height) {
    m_nHeight = std::max(0, height);
    width = std::max(1, width);
    if (width != m_nWidth) {
        m_nWidth = width;
        ResetWrapping();
    }
}

void CLogView::Restart(const CConsoleText& text, size_t logStart) {
    m_pText = &text;
    m_nLogStart = std::min(logStart, text.Size());
    m_nFirstLine = text.LineOf(m_nLogStart);
    m_Rows.clear();
    m_Index.Clear();
    m_LastRowStarts.clear();
    m_RowCache.clear();
    m_nUnwrapped = 0;
    m_nWrapNext = 0;
    m_bFollow = true;
    m_nTopOffset = m_nLogStart;
    m_nAnchor = m_nCaret = 0;
    Appended();
}

void CLogView::Appended() {
    if (!m_pText)
        return;
    if (!m_Rows.empty()) {
        // The last line may have grown, or lost the CR of a line end written in two pieces; either may change where
        // its last two rows break (the character that did not fit on the one before the last is on the last),
        // never where those before them do.
        const size_t last = Lines() - 1;
        if (m_LastRowStarts.size() > 1)
            m_LastRowStarts.pop_back();
        const size_t from = m_LastRowStarts.back();
        m_LastRowStarts.pop_back();
        Wrap(LineEnd(last), from, &m_LastRowStarts);
        Learn(last, static_cast<uint32_t>(m_LastRowStarts.size()));
    }
    const size_t lines = m_pText->LineCount() - m_nFirstLine;
    for (size_t line = Lines(); line < lines; ++line) {
        const bool last = line + 1 == lines;
        m_LastRowStarts.clear();
        // m_Rows grows first: LineBegin and LineEnd ask how many lines there are.
        m_Rows.push_back(0);
        m_Rows.back() = Wrap(LineEnd(line), LineBegin(line), last ? &m_LastRowStarts : nullptr);
        m_Index.Append(m_Rows.back());
    }
}

size_t CLogView::Length() const { return m_pText ? m_pText->Size() - m_nLogStart : 0; }

std::string_view CLogView::LogText() const {
    return m_pText ? m_pText->Bytes(m_nLogStart, m_pText->Size()) : std::string_view();
}

size_t CLogView::LineBegin(size_t line) const {
    return line == 0 ? m_nLogStart : m_pText->LineStart(m_nFirstLine + line);
}

size_t CLogView::LineEnd(size_t line) const {
    return std::max(LineBegin(line), m_pText->LineEnd(m_nFirstLine + line));
}

// ------------------------------------------------------------------------------------------------ wrapping

int CLogView::Width(size_t at, size_t end, int x, size_t& length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_pText->Data());
    const unsigned char c = bytes[at];
    length = 1;
    if (c == '\t')
        return m_nTabStop - x % m_nTabStop;
    if (!m_bLead[c] || at + 1 >= end)
        return m_nWidths[c];
    length = 2;
    const unsigned key = static_cast<unsigned>(c) << 8 | bytes[at + 1];
    const auto found = m_PairWidths.find(key);
    if (found != m_PairWidths.end())
        return found->second;
    const int width = std::max(0, m_Measure.CharWidth(std::string_view(m_pText->Data() + at, 2)));
    m_PairWidths.emplace(key, width);
    return width;
}

bool CLogView::IsBlank(size_t at) const {
    const char c = m_pText->Data()[at];
    return c == ' ' || c == '\t';
}

// Rows break after the last blank that fits, as an edit control breaks them; a word wider than the row is broken
// at the last character that fits (a row holds at least one character, and never half of a double-byte one).
// Blanks at the end of a row may reach beyond its edge.
uint32_t CLogView::Wrap(size_t end, size_t from, std::vector<size_t>* starts) {
    uint32_t rows = 0;
    size_t pos = from;
    for (;;) {
        if (starts)
            starts->push_back(pos);
        ++rows;
        int x = 0;
        size_t at = pos;
        size_t afterBlank = pos;
        while (at < end) {
            size_t length = 1;
            const int width = Width(at, end, x, length);
            if (IsBlank(at)) {
                x += width;
                at += length;
                afterBlank = at;
                continue;
            }
            if (x + width > m_nWidth && at > pos)
                break;
            x += width;
            at += length;
        }
        if (at >= end)
            return rows;
        pos = afterBlank > pos ? afterBlank : at;
    }
}

uint32_t CLogView::Estimate(size_t line) const {
    const uint64_t pixels = static_cast<uint64_t>(LineEnd(line) - LineBegin(line)) * m_nAverageWidth;
    const uint64_t rows = (pixels + m_nWidth - 1) / m_nWidth;
    return static_cast<uint32_t>(std::clamp<uint64_t>(rows, 1, std::numeric_limits<uint32_t>::max() / 2));
}

void CLogView::ResetWrapping() {
    m_RowCache.clear();
    if (!m_pText || m_Rows.empty())
        return;
    const size_t n = Lines();
    std::vector<uint32_t> estimates(n);
    for (size_t line = 0; line + 1 < n; ++line)
        estimates[line] = Estimate(line);
    m_Rows.assign(n, 0);
    m_LastRowStarts.clear();
    m_Rows[n - 1] = estimates[n - 1] = Wrap(LineEnd(n - 1), LineBegin(n - 1), &m_LastRowStarts);
    m_Index.Assign(estimates);
    m_nUnwrapped = n - 1;
    m_nWrapNext = 0;
}

void CLogView::Learn(size_t line, uint32_t rows) {
    // A line not wrapped yet stands in the index with its estimate.
    const uint32_t counted = m_Rows[line] != 0 ? m_Rows[line] : Estimate(line);
    if (m_Rows[line] == 0)
        --m_nUnwrapped;
    m_Index.Add(line, static_cast<int64_t>(rows) - counted);
    m_Rows[line] = rows;
}

uint32_t CLogView::RowsOf(size_t line) {
    if (m_Rows[line] == 0)
        Learn(line, Wrap(LineEnd(line), LineBegin(line), nullptr));
    return m_Rows[line];
}

std::vector<size_t> CLogView::RowStarts(size_t line) {
    if (line + 1 == Lines())
        return m_LastRowStarts;
    const auto cached = m_RowCache.find(line);
    if (cached != m_RowCache.end())
        return cached->second;
    std::vector<size_t> starts;
    const uint32_t rows = Wrap(LineEnd(line), LineBegin(line), &starts);
    if (m_Rows[line] == 0)
        Learn(line, rows);
    if (m_RowCache.size() >= kRowCacheLines)
        m_RowCache.clear();
    m_RowCache.emplace(line, starts);
    return starts;
}

bool CLogView::WrapSome(size_t bytes) {
    size_t done = 0;
    while (m_nUnwrapped > 0 && m_nWrapNext < Lines() && done < bytes) {
        const size_t line = m_nWrapNext++;
        if (m_Rows[line] == 0) {
            done += LineEnd(line) - LineBegin(line) + 1;
            RowsOf(line);
        }
    }
    return m_nUnwrapped > 0;
}

uint64_t CLogView::RowCount() {
    WrapSome(std::numeric_limits<size_t>::max());
    return m_Index.Total();
}

// ------------------------------------------------------------------------------------------------ scrolling

uint64_t CLogView::PageRows() const { return std::max(1, m_nHeight / m_nLineHeight); }

CLogView::RowPos CLogView::TopOfEnd() {
    if (Lines() == 0)
        return {};
    uint64_t wanted = PageRows();
    size_t line = Lines() - 1;
    for (;;) {
        const uint32_t rows = RowsOf(line);
        if (rows >= wanted)
            return {line, static_cast<uint32_t>(rows - wanted)};
        if (line == 0)
            return {};
        wanted -= rows;
        --line;
    }
}

CLogView::RowPos CLogView::Top() {
    if (m_bFollow || Lines() == 0)
        return TopOfEnd();
    const size_t line = std::min(m_pText->LineOf(m_nTopOffset) - m_nFirstLine, Lines() - 1);
    const std::vector<size_t> starts = RowStarts(line);
    const auto after = std::upper_bound(starts.begin(), starts.end(), m_nTopOffset);
    const size_t row = after == starts.begin() ? 0 : static_cast<size_t>(after - starts.begin()) - 1;
    return {line, static_cast<uint32_t>(row)};
}

void CLogView::SetTop(RowPos top) {
    const RowPos end = TopOfEnd();
    if (top.line > end.line || (top.line == end.line && top.row >= end.row)) {
        m_bFollow = true;
        return;
    }
    m_bFollow = false;
    m_nTopOffset = RowStarts(top.line)[top.row];
}

CLogView::RowPos CLogView::Step(RowPos at, int64_t rows, int64_t* moved) {
    int64_t went = 0;
    while (rows > 0 && Lines() > 0) {
        const int64_t below = static_cast<int64_t>(RowsOf(at.line)) - 1 - at.row;
        if (rows <= below) {
            at.row += static_cast<uint32_t>(rows);
            went += rows;
            break;
        }
        at.row += static_cast<uint32_t>(below);
        went += below;
        if (at.line + 1 >= Lines())
            break;
        rows -= below + 1;
        went += 1;
        ++at.line;
        at.row = 0;
    }
    while (rows < 0) {
        if (-rows <= static_cast<int64_t>(at.row)) {
            at.row -= static_cast<uint32_t>(-rows);
            went += rows;
            break;
        }
        went -= at.row;
        if (at.line == 0) {
            at.row = 0;
            break;
        }
        rows += static_cast<int64_t>(at.row) + 1;
        went -= 1;
        --at.line;
        at.row = RowsOf(at.line) - 1;
    }
    if (moved)
        *moved = went;
    return at;
}

CLogView::ScrollState CLogView::Scroll() {
    ScrollState state{m_Index.Total(), PageRows(), 0};
    const uint64_t last = state.rows > state.page ? state.rows - state.page : 0;
    if (m_bFollow) {
        state.top = last;
    } else {
        const RowPos top = Top();
        state.top = std::min(last, m_Index.Before(top.line) + top.row);
    }
    return state;
}

void CLogView::ScrollBy(int64_t rows) { SetTop(Step(Top(), rows)); }

void CLogView::ScrollToRow(uint64_t row) {
    if (Lines() == 0)
        return;
    const size_t line = m_Index.LineOfRow(row);
    const uint32_t rows = RowsOf(line);
    const uint64_t before = m_Index.Before(line);
    const uint64_t inLine = row > before ? row - before : 0;
    SetTop({line, static_cast<uint32_t>(std::min<uint64_t>(inLine, rows - 1))});
}

void CLogView::ScrollToTop() { SetTop({}); }

void CLogView::ScrollToEnd() { m_bFollow = true; }

// ------------------------------------------------------------------------------------------------ selection

void CLogView::Select(size_t anchor, size_t caret) {
    m_nAnchor = std::min(anchor, Length());
    m_nCaret = std::min(caret, Length());
}

std::string CLogView::SelectedText() const {
    const size_t from = std::min(m_nAnchor, m_nCaret), to = std::max(m_nAnchor, m_nCaret);
    return std::string(LogText().substr(from, to - from));
}

size_t CLogView::PositionAt(int x, int y) {
    if (Lines() == 0)
        return 0;
    const int64_t down = y < 0 ? 0 : y / m_nLineHeight;
    int64_t moved = 0;
    const RowPos at = Step(Top(), down, &moved);
    if (moved < down)
        return Length();  // below the last row
    const std::vector<size_t> starts = RowStarts(at.line);
    const size_t lineEnd = LineEnd(at.line);
    const size_t end = at.row + 1 < starts.size() ? starts[at.row + 1] : lineEnd;
    size_t pos = starts[at.row];
    int left = 0;
    while (pos < end) {
        size_t length = 1;
        const int width = Width(pos, lineEnd, left, length);
        if (x < left + (width + 1) / 2)
            break;
        left += width;
        pos += length;
    }
    return std::min(pos, end) - m_nLogStart;
}

std::pair<size_t, size_t> CLogView::WordAt(size_t position) {
    if (!m_pText || Length() == 0)
        return {0, 0};
    const size_t at = m_nLogStart + std::min(position, Length());
    const size_t line = std::min(m_pText->LineOf(at) - m_nFirstLine, Lines() - 1);
    const size_t begin = LineBegin(line), end = LineEnd(line);
    if (at >= end)
        return {at - m_nLogStart, at - m_nLogStart};
    // Runs of blanks and of other characters, from the line's start (double-byte characters are only told apart
    // from their first byte on).
    size_t runStart = begin;
    bool runBlank = IsBlank(begin);
    size_t pos = begin;
    while (pos < end) {
        size_t length = 1;
        (void)Width(pos, end, 0, length);
        const bool blank = IsBlank(pos);
        if (blank != runBlank) {
            if (pos > at)
                break;
            runStart = pos;
            runBlank = blank;
        }
        pos += length;
    }
    return {runStart - m_nLogStart, pos - m_nLogStart};
}

// ------------------------------------------------------------------------------------------------ drawing

std::vector<LogRow> CLogView::VisibleRows() {
    std::vector<LogRow> result;
    if (Lines() == 0)
        return result;
    const size_t selFrom = m_nLogStart + std::min(m_nAnchor, m_nCaret);
    const size_t selTo = m_nLogStart + std::max(m_nAnchor, m_nCaret);
    RowPos at = Top();
    std::vector<size_t> starts = RowStarts(at.line);
    for (int y = 0; y < m_nHeight; y += m_nLineHeight) {
        const size_t lineEnd = LineEnd(at.line);
        const size_t end = at.row + 1 < starts.size() ? starts[at.row + 1] : lineEnd;
        LogRow row;
        row.y = y;
        int x = 0;
        for (size_t pos = starts[at.row]; pos < std::min(end, lineEnd);) {
            size_t length = 1;
            const int width = Width(pos, lineEnd, x, length);
            const bool selected = pos >= selFrom && pos < selTo;
            const bool tab = m_pText->Data()[pos] == '\t';
            if (row.runs.empty() || tab || row.runs.back().tab || row.runs.back().selected != selected) {
                LogRun run;
                run.x = x;
                run.begin = pos;
                run.selected = selected;
                run.tab = tab;
                row.runs.push_back(run);
            }
            row.runs.back().width += width;
            pos += length;
            row.runs.back().end = pos;
            x += width;
        }
        result.push_back(std::move(row));
        if (++at.row >= starts.size()) {
            if (at.line + 1 >= Lines())
                break;
            ++at.line;
            at.row = 0;
            starts = RowStarts(at.line);
        }
    }
    return result;
}

// ------------------------------------------------------------------------------------------------ keys

LogKeyResult CLogView::OnKey(int virtualKey, bool control) {
    const auto page = static_cast<int64_t>(PageRows());
    switch (virtualKey) {
    case KEY_PAGE_UP:
        ScrollBy(-page);
        return LogKeyResult::Scrolled;
    case KEY_PAGE_DOWN:
        ScrollBy(page);
        return LogKeyResult::Scrolled;
    case KEY_UP:
        ScrollBy(-1);
        return LogKeyResult::Scrolled;
    case KEY_DOWN:
        ScrollBy(1);
        return LogKeyResult::Scrolled;
    case KEY_HOME:
        ScrollToTop();
        return LogKeyResult::Scrolled;
    case KEY_END:
        ScrollToEnd();
        return LogKeyResult::Scrolled;
    case 'A':
        if (!control)
            return LogKeyResult::Ignored;
        SelectAll();
        return LogKeyResult::SelectedAll;
    case 'C':
    case KEY_INSERT:
        return control ? LogKeyResult::Copy : LogKeyResult::Ignored;
    default:
        return LogKeyResult::Ignored;
    }
}
