// Splitting a command file into its lines, piece by piece.
#include "console/CommandFileLines.h"

#include <algorithm>
#include <cstring>
#include <utility>

CCommandFileLines::CCommandFileLines(size_t maxLine, Sink sink) : m_nMaxLine(maxLine), m_Sink(std::move(sink)) {
    m_strLine.reserve(m_nMaxLine + 1);
}

void CCommandFileLines::Feed(const char* data, size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char* stop = lf ? static_cast<const char*>(lf) : end;
        const size_t span = static_cast<size_t>(stop - p);
        if (span > 0) {
            m_bPending = true;
            if (std::memchr(p, '\0', span))
                m_bHasNul = true;
            // One byte beyond the limit is kept so that a CR before the LF can still be told apart.
            const size_t room = m_nMaxLine + 1 - std::min(m_strLine.size(), m_nMaxLine + 1);
            if (span > room)
                m_bTooLong = true;
            m_strLine.append(p, std::min(span, room));
        }
        if (!lf)
            return;
        EndLine();
        p = stop + 1;
    }
}

void CCommandFileLines::Finish() {
    if (m_bPending)
        EndLine();
}

void CCommandFileLines::EndLine() {
    ++m_nNumber;
    if (!m_bTooLong && !m_strLine.empty() && m_strLine.back() == '\r')
        m_strLine.pop_back();
    CommandFileLine::Fault fault = CommandFileLine::Fault::None;
    if (m_bTooLong || m_strLine.size() > m_nMaxLine)
        fault = CommandFileLine::Fault::TooLong;
    else if (m_bHasNul)
        fault = CommandFileLine::Fault::HasNul;
    m_Sink(CommandFileLine{m_nNumber, fault, m_strLine});
    m_strLine.clear();
    m_bPending = m_bTooLong = m_bHasNul = false;
}
