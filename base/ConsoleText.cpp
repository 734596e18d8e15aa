// The console's text and the index of its line starts.
#include "base/ConsoleText.h"

#include <algorithm>
#include <cstring>

void CConsoleText::Append(std::string_view text) {
    if (text.empty())
        return;
    const size_t old = m_Bytes.size();
    // A CR that ended the last write may be the first half of a line end.
    const size_t from = old > 0 && m_Bytes[old - 1] == '\r' ? old - 1 : old;
    m_Bytes.append(text.data(), text.size());
    const char* const base = m_Bytes.data();
    const char* p = base + from;
    const char* const end = base + m_Bytes.size();
    while (p + 1 < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - 1 - p)));
        if (!cr)
            break;
        if (cr[1] == '\n') {
            m_LineStarts.push_back(static_cast<size_t>(cr + 2 - base));
            p = cr + 2;
        } else {
            p = cr + 1;
        }
    }
}

std::string_view CConsoleText::Bytes(size_t from, size_t to) const {
    to = std::min(to, m_Bytes.size());
    from = std::min(from, to);
    return std::string_view(m_Bytes.data() + from, to - from);
}

size_t CConsoleText::LineEnd(size_t line) const {
    return line + 1 < m_LineStarts.size() ? m_LineStarts[line + 1] - 2 : m_Bytes.size();
}

size_t CConsoleText::LineOf(size_t offset) const {
    const auto after = std::upper_bound(m_LineStarts.begin(), m_LineStarts.end(), offset);
    return static_cast<size_t>(after - m_LineStarts.begin()) - 1;
}
