// The splitting of a command file into lines: line ends, CRs, NUL bytes and the length limit, each file fed whole and
// in pieces of many sizes, so that every line end, and every CR of a CR LF, also falls at the end of a piece (as at
// the end of one of the console's 64 KiB reads).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/CommandFileLines.h"
#include "console/Console.h"

namespace {

const size_t kMax = CConsole::kMaxFileLine;

// Each line as "number text", "number too long" or "number NUL".
std::vector<std::string> Split(const std::string& bytes, size_t piece) {
    std::vector<std::string> out;
    CCommandFileLines lines(kMax, [&out](const CommandFileLine& line) {
        const char* faults[] = {"", "too long", "NUL"};
        out.push_back(std::to_string(line.number) + " " +
                      (line.fault == CommandFileLine::Fault::None ? line.text : faults[static_cast<int>(line.fault)]));
    });
    for (size_t at = 0; at < bytes.size(); at += piece)
        lines.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    lines.Finish();
    return out;
}

const char kNul[] = "/echo a\0b\n/echo c\r\n\0\n/echo d\0";

// A line of exactly n bytes.
std::string Line(size_t n) { return "/echo" + std::string(n - 7, ' ') + "ok"; }

}  // namespace

TEST(CommandFileLines, SplitsAtLineEndsWhateverThePieces) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF, LF, empty lines, no final line end", "a\r\n\r\nb\nc", {"1 a", "2 ", "3 b", "4 c"}},
        {"only the CR before the LF goes", "a\rb\r\r\n\r", {"1 a\rb\r", "2 "}},
        {"nothing", "", {}},
        {"NUL bytes", std::string(kNul, sizeof kNul - 1), {"1 NUL", "2 /echo c", "3 NUL", "4 NUL"}},
        {"4096 bytes, LF", "1\n" + Line(4096) + "\n3\n", {"1 1", "2 " + Line(4096), "3 3"}},
        {"4096 bytes, CR LF", "1\n" + Line(4096) + "\r\n3\n", {"1 1", "2 " + Line(4096), "3 3"}},
        {"4096 bytes, last line", "1\n" + Line(4096), {"1 1", "2 " + Line(4096)}},
        {"4096 bytes, CR, last line", "1\n" + Line(4096) + "\r", {"1 1", "2 " + Line(4096)}},
        {"4097 bytes, LF", "1\n" + Line(4097) + "\n3\n", {"1 1", "2 too long", "3 3"}},
        {"4097 bytes, CR LF", "1\n" + Line(4097) + "\r\n3\n", {"1 1", "2 too long", "3 3"}},
        {"4095 bytes and two CRs", "1\n" + Line(4095) + "\r\r\n3\n", {"1 1", "2 " + Line(4095) + "\r", "3 3"}},
        {"4096 bytes and two CRs", "1\n" + Line(4096) + "\r\r\n3\n", {"1 1", "2 too long", "3 3"}},
        {"4097 bytes, last line", "1\n" + Line(4097), {"1 1", "2 too long"}},
        {"100000 bytes", "1\n" + Line(100000) + "\n3\n", {"1 1", "2 too long", "3 3"}},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, kMax, kMax + 1, c.bytes.size() + 1}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            EXPECT_EQ(Split(c.bytes, piece), c.lines);
        }
    }
}
