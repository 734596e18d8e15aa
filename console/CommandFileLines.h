// The lines of a command file, split as its bytes come in pieces of any size: a line ends at LF and a CR just before
// the LF is dropped; a line too long to run or holding a NUL byte is reported as such instead of by its text, and
// only a bounded part of any line is ever kept, so a file of any size (or one huge line) is split in little memory.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct CommandFileLine {
    enum class Fault { None, TooLong, HasNul };
    unsigned long number;  // from 1
    Fault fault;
    const std::string& text;  // without its line end; meaningful only when fault is None
};

class CCommandFileLines {
public:
    using Sink = std::function<void(const CommandFileLine& line)>;

    // Lines longer than maxLine bytes (without their line end) are TooLong; each line goes to sink as it ends.
    CCommandFileLines(size_t maxLine, Sink sink);

    void Feed(const char* data, size_t size);
    // The end of the file: a last line without a line end is handed over too.
    void Finish();

private:
    void EndLine();

    const size_t m_nMaxLine;
    Sink m_Sink;
    std::string m_strLine;
    bool m_bPending = false;  // bytes seen since the last line end
    bool m_bTooLong = false;
    bool m_bHasNul = false;
    unsigned long m_nNumber = 0;
};
