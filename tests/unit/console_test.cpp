// Tests of the console: writing and the log, the command tables, the interpreter, command files and the saved log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/ShellCommands.h"
#include "assistant/GameCommands.h"
#include "console/CommandEdit.h"
#include "console/CommandTables.h"
#include "console/Console.h"
#include "gamemon/GameMonitorModule.h"
#include "peer/PeerCommands.h"
#include "tests/unit/ControllerFixture.h"

namespace fs = std::filesystem;

// The main command table as the program registers it: every subsystem's rows, by id.
static const std::vector<ConsoleCommand> MainCommands = kvltest::RegisteredCommandRows();

namespace {

using kvltest::FakePane;

const std::string kRefused = "Command refused: text longer than 255 characters";

class FakeOverlay : public IOverlaySink {
public:
    void AddOverlayText(const std::string& text, const CConsoleText& all) override {
        EXPECT_EQ(all.Bytes(all.Size() - text.size(), all.Size()), text) << "the text is the end of everything";
        m_Texts.push_back(text);
    }
    std::vector<std::string> m_Texts;
};

struct Sent {
    uint32_t id;
    std::string args;
    bool operator==(const Sent& o) const { return id == o.id && args == o.args; }
};
void PrintTo(const Sent& s, std::ostream* os) { *os << "{" << s.id << ", \"" << s.args << "\"}"; }

// Records what the console hands to the main window, and checks that each request was made zeroed.
class FakeOwner : public IConsoleOwner {
public:
    void SendConsoleCommand(std::unique_ptr<CommandRequest> request) override {
        const size_t len = strnlen(request->args, sizeof(request->args));
        EXPECT_LT(len, sizeof(request->args)) << "args not terminated";
        for (size_t i = len; i < sizeof(request->args); ++i)
            if (request->args[i] != '\0') {
                ADD_FAILURE() << "request not zeroed at byte " << i;
                break;
            }
        m_Sent.push_back({request->id, std::string(request->args, len)});
    }
    std::vector<Sent> m_Sent;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < text.size())
                lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A console wired as the main window wires it: built-in commands, then the main window's, chat to command 0.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_Console.Init(&m_Owner, &m_Edit, &m_Pane, &m_Overlay), 0);
        ASSERT_EQ(m_Console.RegisterCommands(MainCommands.data(), MainCommands.size()), 0);
        m_Console.SetDefaultCommand(CMD_A);
    }
    void TearDown() override { EXPECT_EQ(m_Pane.text, m_Console.Log()) << "pane and log differ"; }

    // Runs a line; returns its result and leaves what it wrote in m_Out and what it sent in m_Owner.m_Sent.
    int Run(const std::string& line) {
        const size_t before = m_Console.Log().size();
        m_Owner.m_Sent.clear();
        const int result = m_Console.Execute(line);
        m_Out = m_Console.Log().size() >= before ? m_Console.Log().substr(before) : m_Console.Log();
        return result;
    }

    FakeOwner m_Owner;
    FakePane m_Pane;
    FakeOverlay m_Overlay;
    CCommandEdit m_Edit;
    CConsole m_Console;
    std::string m_Out;
};

// The same, in a fresh temporary directory that is the current directory while the test runs.
class ConsoleFileTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        m_OldDir = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "kvl_console_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Dir = fs::canonical(pattern);
        fs::current_path(m_Dir);
    }
    void TearDown() override {
        fs::current_path(m_OldDir);
        std::error_code ec;
        fs::remove_all(m_Dir, ec);
        ConsoleTest::TearDown();
    }
    std::string Full(const std::string& name) const { return (m_Dir / name).string(); }

    fs::path m_OldDir;
    fs::path m_Dir;
};

// ------------------------------------------------------------------------------------------------ tables

struct TableRow {
    uint32_t id;
    const char* name;
    const char* help;
};

void ExpectTable(const ConsoleCommand* table, const std::vector<TableRow>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(table[i].id, rows[i].id);
        EXPECT_STREQ(table[i].name, rows[i].name);
        EXPECT_STREQ(table[i].help, rows[i].help);
        // The fields are created zeroed: nothing but NULs after each text.
        for (size_t k = strlen(table[i].name); k < sizeof(table[i].name); ++k)
            ASSERT_EQ(table[i].name[k], '\0');
        for (size_t k = strlen(table[i].help); k < sizeof(table[i].help); ++k)
            ASSERT_EQ(table[i].help[k], '\0');
    }
}

TEST(ConsoleTables, BuiltinCommandsByteForByte) {
    ExpectTable(BuiltinCommands, {
                                     {100, "help", "Shows list of commands or help on specific command"},
                                     {101, "savelog", "Saves console log to file\r\nSyntax: /savelog [file]"},
                                     {102, "clear", "Clears all console output"},
                                     {103, "exec", "Executes command file\r\nSyntax: /exec <file>"},
                                     {104, "echo", "Writes string to console\r\nSyntax: /echo [string]"},
                                     {105, "time", "Shows current system date and time\r\nSyntax: /time"},
                                 });
}

TEST(ConsoleTables, MainCommandsByteForByte) {
    ASSERT_EQ(MainCommands.size(), 19u);
    ExpectTable(MainCommands.data(),
                {
                    {0, "a", "Broadcasts message\r\nSyntax: /a [message]"},
                    {1, "quit", "Terminates program"},
                    {2, "refresh", "Refreshes network status"},
                    {3, "w", "Sends message to KVL user\r\nSyntax: /w <name | ip> [message]"},
                    {4, "history", "Shows command history"},
                    {5, "keywords", "Shows current keywords"},
                    {6, "name", "Sets/shows your KVL name\r\nSyntax: /name [newname]"},
                    {7, "r", "Replies to last message\r\nSyntax: /r [message]"},
                    {8, "configure", "Shows configure dialog"},
                    {9, "bw", "Runs BroodWar"},
                    {10, "sign", "Sets/shows your sign\r\nSyntax: /sign [newsign]"},
                    {11, "bind", "Assigns/shows command binded to key(s)\r\nSyntax: /bind [key] [command]"},
                    {12, "unbind", "Removes binding from key(s)\r\nSyntax: /unbind <key | ALL>"},
                    {13, "games", "Lists current games\r\nSyntax: /games"},
                    {14, "players", "Lists current idle players\r\nSyntax: /players"},
                    {15, "users", "Lists current users\r\nSyntax: /users"},
                    {16, "bw_keys", "Sends keystroke to BW window\r\nSyntax: /bw_keys <keystroke>"},
                    {17, "bw_sayteam", "Sends message to allies in BW game\r\nSyntax: /bw_sayteam <message>"},
                    {18, "bw_sayall", "Sends message to all in BW game\r\nSyntax: /bw_sayall <message>"},
                });
}

TEST_F(ConsoleTest, RegistersOwnedCopiesInOrderAndOffersKeywords) {
    const auto& commands = m_Console.Commands();
    ASSERT_EQ(commands.size(), 25u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(std::memcmp(&commands[i], &BuiltinCommands[i], sizeof(ConsoleCommand)), 0) << i;
    for (size_t i = 0; i < 19; ++i)
        EXPECT_EQ(std::memcmp(&commands[6 + i], &MainCommands[i], sizeof(ConsoleCommand)), 0) << i;

    // Every name became a "/" keyword; the keyword list keeps its own (sorted) order.
    const auto& keywords = m_Edit.Keywords();
    ASSERT_EQ(keywords.size(), 25u);
    for (const ConsoleCommand& c : commands)
        EXPECT_NE(std::find(keywords.begin(), keywords.end(), "/" + std::string(c.name)), keywords.end()) << c.name;
    EXPECT_TRUE(std::is_sorted(keywords.begin(), keywords.end()));
    EXPECT_EQ(keywords.front(), "/a");
    EXPECT_TRUE(m_Console.Log().empty());
}

TEST(ConsoleInit, WorksWithoutCommandEditPaneOrAssistant) {
    FakeOwner owner;
    CConsole console;
    ASSERT_EQ(console.Init(&owner, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(console.Commands().size(), 6u);
    EXPECT_EQ(console.Execute("/echo x;hi"), 0);
    EXPECT_EQ(console.Log(), "x\r\n");
    ASSERT_EQ(owner.m_Sent.size(), 1u);
    EXPECT_EQ(owner.m_Sent[0], (Sent{0, "hi"}));
}

// ------------------------------------------------------------------------------------------------ writing

TEST_F(ConsoleTest, WriteGoesToLogPaneAndOverlayUnchanged) {
    EXPECT_EQ(m_Console.Write("KVL SE"), 0);
    m_Console.WriteLine(" [OK]");
    m_Console.WriteLine("");
    m_Console.Write("a\x01\xE9");
    m_Console.Write("b");
    m_Console.WriteList({"one", "two"});
    m_Console.WriteList({});

    EXPECT_EQ(m_Console.Log(),
              "KVL SE [OK]\r\n\r\na\x01\xE9"
              "bone\r\ntwo\r\n");
    // The in-game console receives each piece as one call, a line together with its line end, and a list as
    // one call.
    EXPECT_EQ(m_Overlay.m_Texts,
              (std::vector<std::string>{"KVL SE", " [OK]\r\n", "\r\n", "a\x01\xE9", "b", "one\r\ntwo\r\n"}));
}

TEST_F(ConsoleTest, ClearEmptiesLogAndPaneButNotTheOverlay) {
    m_Console.WriteLine("before");
    const size_t overlayCalls = m_Overlay.m_Texts.size();
    EXPECT_EQ(Run("/clear"), 0);
    EXPECT_EQ(m_Console.Log(), "");
    EXPECT_EQ(m_Pane.text, "");
    EXPECT_EQ(m_Pane.cleared, 1);
    EXPECT_EQ(m_Overlay.m_Texts.size(), overlayCalls);
    EXPECT_EQ(Run("/clear;/echo after"), 0);
    EXPECT_EQ(m_Console.Log(), "after\r\n");
}

// ------------------------------------------------------------------------------------------------ cleaning

TEST(ConsoleClean, TrimsAndStripsEnclosingQuotes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {" \t\r\n\v\fx\f\v\n\r\t ", "x"},
        {"\"a\"", "a"},
        {"\"a", "a"},
        {"a\"", "a\""},
        {"\" spaced out \"", "spaced out"},
        {"\"\"\"a\"\"\"", "a"},
        {"\"\"", ""},
        {"\"", ""},
        {"\"\"\"", ""},
        {"\" \" \"", ""},
        {"a \"b\" c", "a \"b\" c"},
        {"\"a\" \"b\"", "a\" \"b"},
        {" \" \"x\" \" ", "x"},
        {"\xA0x\xA0", "\xA0x\xA0"},  // only the standard white space is trimmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(CConsole::CleanArgument(c.in), c.out);
    }
}

// ------------------------------------------------------------------------------------------------ lines

struct LineCase {
    const char* line;
    int result;
    std::string written;
    std::vector<Sent> sent;
};

TEST_F(ConsoleTest, RunsCommandLines) {
    const LineCase cases[] = {
        // ";" splits, quotes protect it, and each part is cleaned again when its turn comes.
        {"/echo a;/echo b", 0, "a\r\nb\r\n", {}},
        {"/echo \"a;b\"", 0, "a;b\r\n", {}},
        {"/echo a ; /echo b", 0, "a\r\nb\r\n", {}},
        {"/echo a;\"/echo b\"", 0, "a\r\nb\r\n", {}},
        {"/echo \"a;b", 0, "a;b\r\n", {}},
        {"/echo a\"b;c\"d;/echo e", 0, "a\"b;c\"d\r\ne\r\n", {}},
        {"/echo a;", 0, "a\r\n", {}},
        {"/echo a; ", 0, "a\r\n", {}},  // the whole line is trimmed first: nothing follows the ";"
        {"/echo a; ;", -1, "a\r\n", {}},
        {"/echo a;;/echo b", -1, "a\r\n", {}},
        // Chat goes to the default command, whole.
        {"hello;world", 0, "", {{0, "hello"}, {0, "world"}}},
        {"hello world", 0, "", {{0, "hello world"}}},
        {"\"hello", 0, "", {{0, "hello"}}},
        {"\"hello\"", 0, "", {{0, "hello"}}},
        {"\"hello\" world", 0, "", {{0, "hello\" world"}}},
        {"# note", 0, "", {{0, "# note"}}},
        {"hi;/echo x;bye", 0, "x\r\n", {{0, "hi"}, {0, "bye"}}},
        // A whole line in quotes.
        {"\"/echo hi\"", 0, "hi\r\n", {}},
        {"  \"  /echo hi  \"  ", 0, "hi\r\n", {}},
        {"\"/echo x\" ; \"/echo y\"", 0, "x\" ; \"/echo y\r\n", {}},
        // Empty first commands and lines made only of quotes and blanks run nothing.
        {"", -1, "", {}},
        {"   ", -1, "", {}},
        {"\"", -1, "", {}},
        {"\"\"", -1, "", {}},
        {"\" \" \"", -1, "", {}},
        {"\" ; \"", -1, "", {}},
        {";/echo x", -1, "", {}},
        {"\"\";\"\";/echo x", -1, "", {}},
        {"  ;  ", -1, "", {}},
        // Unknown names stop the line.
        {"/nosuch;/echo x", -1, "Unknown command: 'nosuch'\r\n", {}},
        {"/foo bar", -1, "Unknown command: 'foo bar'\r\n", {}},
        {"/", -1, "Unknown command: ''\r\n", {}},
        {"/ help", -1, "Unknown command: ' help'\r\n", {}},
        {"/helpme", -1, "Unknown command: 'helpme'\r\n", {}},
        {"/HELP", -1, "Unknown command: 'HELP'\r\n", {}},
        {"/help\tw", -1, "Unknown command: 'help\tw'\r\n", {}},
        {"/echo x;/nosuch y;/echo z", -1, "x\r\nUnknown command: 'nosuch y'\r\n", {}},
        {"hi;/nosuch;bye", -1, "Unknown command: 'nosuch'\r\n", {{0, "hi"}}},
        // Echo.
        {"/echo", 0, "\r\n", {}},
        {"/echo \"  spaced  \"", 0, "spaced\r\n", {}},
        {"/echo \"\"", 0, "\r\n", {}},
        {"/echo \"\"\"\"", 0, "\r\n", {}},
        {"/echo a\x01\x1A\xE9z", 0, "a\x01\x1A\xE9z\r\n", {}},
        {"/exec", 0, "Wrong syntax\r\n", {}},
        {"/exec \"\"", 0, "Wrong syntax\r\n", {}},
        // Main-window commands are handed over with their cleaned argument.
        {"/w bob hi", 0, "", {{CMD_W, "bob hi"}}},
        {"/a", 0, "", {{CMD_A, ""}}},
        {"/bw", 0, "", {{CMD_BW, ""}}},
        {"/bw_sayall  \"gg wp\"  ", 0, "", {{CMD_BW_SAYALL, "gg wp"}}},
        {"/bind F1 \"/bw_sayall hi;/echo x\"", 0, "", {{CMD_BIND, "F1 \"/bw_sayall hi;/echo x\""}}},
        {"/quit;/refresh", 0, "", {{CMD_QUIT, ""}, {CMD_REFRESH, ""}}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Run(c.line), c.result);
        EXPECT_EQ(m_Out, c.written);
        EXPECT_EQ(m_Owner.m_Sent, c.sent);
    }
}

TEST_F(ConsoleTest, ChatUsesTheDefaultCommand) {
    m_Console.SetDefaultCommand(CMD_R);
    EXPECT_EQ(Run("hello"), 0);
    EXPECT_EQ(m_Owner.m_Sent, (std::vector<Sent>{{CMD_R, "hello"}}));
}

TEST_F(ConsoleTest, FindCommandMatchesNameFollowedByBlank) {
    const struct {
        const char* line;
        int result;
        uint32_t id;
        const char* args;
    } cases[] = {
        {"help", 0, CMD_HELP, ""},
        {"help x", 0, CMD_HELP, "x"},
        {"help   \"x y\"  ", 0, CMD_HELP, "x y"},
        {"bw", 0, CMD_BW, ""},
        {"bw_keys {ENTER}", 0, CMD_BW_KEYS, "{ENTER}"},
        {"bwx", -1, 0, ""},
        {"helpme", -1, 0, ""},
        {"HELP", -1, 0, ""},
        {"help\tx", -1, 0, ""},
        {"", -1, 0, ""},
        {" help", -1, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CommandRequest request{};
        EXPECT_EQ(m_Console.FindCommand(c.line, request), c.result);
        if (c.result == 0) {
            EXPECT_EQ(request.id, c.id);
            EXPECT_STREQ(request.args, c.args);
        }
    }
}

TEST_F(ConsoleTest, TenThousandCommandsOnOneLine) {
    std::string line;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        line += "/echo " + std::to_string(i) + ";";
        expected += std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(Run(line), 0);
    EXPECT_EQ(m_Out, expected);

    // The same chain with chat, and with an unknown command at the very end.
    std::string chat;
    for (int i = 0; i < 10000; ++i)
        chat += (i ? ";m" : "m") + std::to_string(i);
    EXPECT_EQ(Run(chat), 0);
    ASSERT_EQ(m_Owner.m_Sent.size(), 10000u);
    EXPECT_EQ(m_Owner.m_Sent.front(), (Sent{0, "m0"}));
    EXPECT_EQ(m_Owner.m_Sent.back(), (Sent{0, "m9999"}));

    EXPECT_EQ(Run(chat + ";/nosuch"), -1);
    EXPECT_EQ(m_Owner.m_Sent.size(), 10000u);
    EXPECT_EQ(m_Out, "Unknown command: 'nosuch'\r\n");

    // Ten thousand empty commands after the first: the first empty one ends the line.
    EXPECT_EQ(Run("/echo x" + std::string(10000, ';')), -1);
    EXPECT_EQ(m_Out, "x\r\n");
}

TEST_F(ConsoleTest, ArgumentsLongerThanTheFieldAreRefused) {
    const std::string s255(255, 'x');
    const std::string s256(256, 'x');
    EXPECT_EQ(Run("/echo " + s255), 0);
    EXPECT_EQ(m_Out, s255 + "\r\n");
    EXPECT_EQ(Run("/echo " + s256 + ";/echo after"), -1);
    EXPECT_EQ(m_Out, kRefused + "\r\n");
    // Enclosing quotes and blanks do not count: the cleaned argument is what must fit.
    EXPECT_EQ(Run("/echo   \"" + s255 + "\"  "), 0);
    EXPECT_EQ(m_Out, s255 + "\r\n");

    EXPECT_EQ(Run("/w " + s255), 0);
    ASSERT_EQ(m_Owner.m_Sent.size(), 1u);
    EXPECT_EQ(m_Owner.m_Sent[0].args, s255);
    EXPECT_EQ(Run("/w " + s256), -1);
    EXPECT_TRUE(m_Owner.m_Sent.empty());
    EXPECT_EQ(m_Out, kRefused + "\r\n");

    // Chat is the whole line.
    EXPECT_EQ(Run(s255), 0);
    EXPECT_EQ(m_Owner.m_Sent, (std::vector<Sent>{{0, s255}}));
    EXPECT_EQ(Run("hi;" + s256 + ";bye"), -1);
    EXPECT_EQ(m_Owner.m_Sent, (std::vector<Sent>{{0, "hi"}}));
    EXPECT_EQ(m_Out, kRefused + "\r\n");

    CommandRequest request{};
    EXPECT_EQ(m_Console.FindCommand("echo " + s256, request), -2);
    EXPECT_EQ(request.id, CMD_ECHO);
    EXPECT_STREQ(request.args, "");
}

// ------------------------------------------------------------------------------------------------ help and time

TEST_F(ConsoleTest, HelpListsEveryCommandInRegistrationOrder) {
    EXPECT_EQ(Run("/help"), 0);
    const auto lines = SplitLines(m_Out);
    ASSERT_EQ(lines.size(), 3u + 25u);
    EXPECT_EQ(lines[0], "Showing full list of commands");
    EXPECT_EQ(lines[1], "For specific help type: '/help <command>'");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], " help");
    EXPECT_EQ(lines[8], " time");
    EXPECT_EQ(lines[9], " a");
    EXPECT_EQ(lines.back(), " bw_sayall");
    for (size_t i = 0; i < 25; ++i)
        EXPECT_EQ(lines[3 + i], " " + std::string(m_Console.Commands()[i].name));
}

TEST(ConsoleHelp, BuiltinsAloneEndWithTime) {
    CConsole console;
    console.Init(nullptr, nullptr, nullptr, nullptr);
    console.Execute("/help");
    const auto lines = SplitLines(std::string(console.Log()));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[3], " help");
    EXPECT_EQ(lines.back(), " time");
}

TEST_F(ConsoleTest, HelpOnOneCommand) {
    const struct {
        const char* line;
        const char* written;
    } cases[] = {
        {"/help w", "Command: w\r\nInfo: Sends message to KVL user\r\nSyntax: /w <name | ip> [message]\r\n"},
        {"/help savelog", "Command: savelog\r\nInfo: Saves console log to file\r\nSyntax: /savelog [file]\r\n"},
        {"/help quit", "Command: quit\r\nInfo: Terminates program\r\n"},
        {"/help \"bw\"", "Command: bw\r\nInfo: Runs BroodWar\r\n"},
        {"/help nosuch", ""},
        {"/help /w", ""},
        {"/help W", ""},
        {"/help bw_", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Run(c.line), 0);
        EXPECT_EQ(m_Out, c.written);
    }
}

TEST_F(ConsoleTest, TimeFormatsTheClock) {
    const struct {
        int mday, mon, year, hour, min, sec;
        const char* written;
    } cases[] = {
        {3, 0, 124, 9, 7, 5, "Date: 03.01.2024\r\nTime: 09:07:05\r\n"},
        {31, 11, 99, 23, 59, 58, "Date: 31.12.1999\r\nTime: 23:59:58\r\n"},
        {1, 8, 100, 0, 0, 0, "Date: 01.09.2000\r\nTime: 00:00:00\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        m_Console.SetClock([&c] {
            std::tm t{};
            t.tm_mday = c.mday;
            t.tm_mon = c.mon;
            t.tm_year = c.year;
            t.tm_hour = c.hour;
            t.tm_min = c.min;
            t.tm_sec = c.sec;
            return t;
        });
        EXPECT_EQ(Run("/time"), 0);
        EXPECT_EQ(m_Out, c.written);
    }
}

TEST_F(ConsoleTest, TimeDefaultsToTheLocalClock) {
    EXPECT_EQ(Run("/time"), 0);
    EXPECT_TRUE(std::regex_match(m_Out, std::regex("Date: \\d\\d\\.\\d\\d\\.\\d{4}\r\nTime: \\d\\d:\\d\\d:\\d\\d\r\n")))
        << m_Out;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    EXPECT_NE(m_Out.find("." + std::to_string(local->tm_year + 1900) + "\r\n"), std::string::npos) << m_Out;
}

// ------------------------------------------------------------------------------------------------ command files

TEST_F(ConsoleFileTest, ExecRunsEveryLineWhateverTheLineEnds) {
    const struct {
        const char* what;
        std::string bytes;
    } files[] = {
        {"CR LF", "/echo one\r\n\r\n/echo two\r\nhello\r\n"},
        {"LF", "/echo one\n\n/echo two\nhello\n"},
        {"no final line end", "/echo one\n\n/echo two\r\nhello"},
        {"0x1A inside", "/echo one\n\x1A\n/echo two\nhello"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        WriteBytes("cmds.cfg", f.bytes);
        EXPECT_EQ(Run("/exec cmds.cfg"), 0);
        EXPECT_EQ(SplitLines(m_Out), (std::vector<std::string>{"one", "two"}));
        // The lone 0x1A line is not white space: it is chat, and the line after it still runs.
        std::vector<Sent> sent{{0, "hello"}};
        if (f.bytes.find('\x1A') != std::string::npos)
            sent.insert(sent.begin(), Sent{0, "\x1A"});
        EXPECT_EQ(m_Owner.m_Sent, sent);
    }
}

TEST_F(ConsoleFileTest, ExecFileLinesAreCommandLines) {
    WriteBytes("inner.cfg", "/echo inner\n");
    WriteBytes("outer.cfg",
               "# note\n/echo a;/echo b\n/nosuch;/echo skipped\n/exec inner.cfg\n\"/echo quoted\"\n  \n/echo last");
    WriteBytes("my file.cfg", "/echo spaced name\n");
    EXPECT_EQ(Run("/exec outer.cfg;/exec \"my file.cfg\""), 0);
    EXPECT_EQ(SplitLines(m_Out), (std::vector<std::string>{"a", "b", "Unknown command: 'nosuch'", "inner", "quoted",
                                                           "last", "spaced name"}));
    EXPECT_EQ(m_Owner.m_Sent, (std::vector<Sent>{{0, "# note"}}));
}

TEST_F(ConsoleFileTest, ExecReportsMissingFiles) {
    EXPECT_EQ(Run("/exec autoexec.cfg;/echo after"), 0);
    EXPECT_EQ(m_Out, "Error opening 'autoexec.cfg'\r\nafter\r\n");
    EXPECT_EQ(Run("/exec \"no such dir/x.cfg\""), 0);
    EXPECT_EQ(m_Out, "Error opening 'no such dir/x.cfg'\r\n");
    WriteBytes("empty.cfg", "");
    EXPECT_EQ(Run("/exec empty.cfg"), 0);
    EXPECT_EQ(m_Out, "");
}

TEST_F(ConsoleFileTest, ExecRefusesLinesWithNulBytes) {
    static const char nul[] = "/echo a\0b\n/echo c\r\n\0\n/echo d\0";
    WriteBytes("nul.cfg", std::string(nul, sizeof(nul) - 1));
    EXPECT_EQ(Run("/exec nul.cfg"), 0);
    EXPECT_EQ(SplitLines(m_Out), (std::vector<std::string>{"Error: line 1 of 'nul.cfg' holds a NUL byte, not run", "c",
                                                           "Error: line 3 of 'nul.cfg' holds a NUL byte, not run",
                                                           "Error: line 4 of 'nul.cfg' holds a NUL byte, not run"}));
}

TEST_F(ConsoleFileTest, ExecStreamsAGiganticFile) {
    // 10 MB on one line, then 2000 lines of 5000 bytes: 20 MB in all, every line refused, and the last one runs.
    {
        std::FILE* f = std::fopen("big.cfg", "wb");
        ASSERT_NE(f, nullptr);
        const std::string mb(1 << 20, 'x');
        for (int i = 0; i < 10; ++i)
            std::fwrite(mb.data(), 1, mb.size(), f);
        std::fputc('\n', f);
        const std::string line = std::string(4999, 'y') + "\n";
        for (int i = 0; i < 2000; ++i)
            std::fwrite(line.data(), 1, line.size(), f);
        std::fputs("/echo after", f);
        std::fclose(f);
    }
    EXPECT_EQ(Run("/exec big.cfg"), 0);
    const auto lines = SplitLines(m_Out);
    ASSERT_EQ(lines.size(), 2002u);
    EXPECT_EQ(lines[0], "Error: line 1 of 'big.cfg' is longer than 4096 bytes, not run");
    EXPECT_EQ(lines[2000], "Error: line 2001 of 'big.cfg' is longer than 4096 bytes, not run");
    EXPECT_EQ(lines[2001], "after");
    EXPECT_TRUE(m_Owner.m_Sent.empty());
}

TEST_F(ConsoleFileTest, ExecNestingIsBounded) {
    WriteBytes("self.cfg", "/echo in\n/exec self.cfg\n/echo out\n");
    for (int round = 0; round < 2; ++round) {  // the depth is given back: a second run behaves the same
        SCOPED_TRACE(round);
        EXPECT_EQ(Run("/exec self.cfg"), 0);
        std::vector<std::string> expected(CConsole::kMaxExecDepth, "in");
        expected.push_back("Error: command files nested too deep, 'self.cfg' not run");
        expected.insert(expected.end(), CConsole::kMaxExecDepth, "out");
        EXPECT_EQ(SplitLines(m_Out), expected);
    }

    WriteBytes("a.cfg", "/echo a\n/exec b.cfg\n");
    WriteBytes("b.cfg", "/echo b\n/exec a.cfg\n");
    EXPECT_EQ(Run("/exec a.cfg"), 0);
    std::vector<std::string> expected;
    for (int i = 0; i < CConsole::kMaxExecDepth; ++i)
        expected.push_back(i % 2 ? "b" : "a");
    expected.push_back("Error: command files nested too deep, 'a.cfg' not run");
    EXPECT_EQ(SplitLines(m_Out), expected);
}

TEST_F(ConsoleFileTest, ExecChainsUpToTheDepthLimit) {
    for (int files : {CConsole::kMaxExecDepth, CConsole::kMaxExecDepth + 1}) {
        SCOPED_TRACE(files);
        std::vector<std::string> expected;
        for (int i = 1; i <= files; ++i) {
            const std::string next = i < files ? "/exec f" + std::to_string(i + 1) + ".cfg\n" : "";
            WriteBytes("f" + std::to_string(i) + ".cfg", "/echo " + std::to_string(i) + "\n" + next);
            if (i <= CConsole::kMaxExecDepth)
                expected.push_back(std::to_string(i));
        }
        if (files > CConsole::kMaxExecDepth)
            expected.push_back("Error: command files nested too deep, 'f" + std::to_string(files) + ".cfg' not run");
        EXPECT_EQ(Run("/exec f1.cfg"), 0);
        EXPECT_EQ(SplitLines(m_Out), expected);
    }
}

// ------------------------------------------------------------------------------------------------ saved log

TEST_F(ConsoleFileTest, SavelogWritesCrCrLfAndEndsWithTheSavingText) {
    m_Console.WriteLine("one");
    m_Console.WriteLine("");
    m_Console.Write("two");
    EXPECT_EQ(Run("/savelog out.log"), 0);
    const std::string saving = "Saving to '" + Full("out.log") + "'... ";
    EXPECT_EQ(ReadBytes("out.log"), "one\r\r\n\r\r\ntwo" + saving);
    EXPECT_EQ(m_Out, saving + "done");
    EXPECT_EQ(m_Console.Log(), "one\r\n\r\ntwo" + saving + "done");
    // The next output continues on the same line.
    m_Console.WriteLine("next");
    EXPECT_EQ(m_Console.Log().substr(m_Console.Log().size() - 10), "donenext\r\n");
}

TEST_F(ConsoleFileTest, SavelogCases) {
    // Default name, in the current directory.
    m_Console.WriteLine("x");
    EXPECT_EQ(Run("/savelog"), 0);
    EXPECT_EQ(ReadBytes("console.log"), "x\r\r\nSaving to '" + Full("console.log") + "'... ");

    // Clear, then two saves: the first holds only its own text, the second the first's and "done" before its own.
    EXPECT_EQ(Run("/clear;/savelog first.log;/savelog \"second file.log\""), 0);
    const std::string first = "Saving to '" + Full("first.log") + "'... ";
    const std::string second = "Saving to '" + Full("second file.log") + "'... ";
    EXPECT_EQ(ReadBytes("first.log"), first);
    EXPECT_EQ(ReadBytes("second file.log"), first + "done" + second);
    EXPECT_EQ(m_Console.Log(), first + "done" + second + "done");

    // An existing file is overwritten, not appended to.
    WriteBytes("old.log", std::string(1000, 'z'));
    EXPECT_EQ(Run("/clear;/savelog old.log"), 0);
    EXPECT_EQ(ReadBytes("old.log"), "Saving to '" + Full("old.log") + "'... ");

    // Bytes that are not line ends are written as they are, CR included.
    EXPECT_EQ(Run("/clear;/echo a\rb\x1A\xFF"), 0);
    m_Console.Write("\n");
    EXPECT_EQ(Run("/savelog raw.log"), 0);
    EXPECT_EQ(ReadBytes("raw.log"), "a\rb\x1A\xFF\r\r\n\r\nSaving to '" + Full("raw.log") + "'... ");
}

TEST_F(ConsoleFileTest, SavelogReportsAFileThatCannotBeOpened) {
    m_Console.WriteLine("keep");
    fs::create_directory("adir");
    const struct { const char* line; } cases[] = {{"/savelog nodir/x.log"}, {"/savelog adir"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string before(m_Console.Log());
        EXPECT_EQ(Run(c.line), 0);
        EXPECT_EQ(m_Out, "Error opening file\r\n");
        EXPECT_EQ(m_Console.Log(), before + "Error opening file\r\n");
    }
    EXPECT_FALSE(fs::exists("nodir"));
}

TEST_F(ConsoleFileTest, ExecAndSavelogTogether) {
    WriteBytes("save.cfg", "/clear\n/echo saved\n/savelog from_file.log\n");
    EXPECT_EQ(Run("/exec save.cfg"), 0);
    EXPECT_EQ(ReadBytes("from_file.log"), "saved\r\r\nSaving to '" + Full("from_file.log") + "'... ");
    EXPECT_EQ(m_Console.Log(), "saved\r\nSaving to '" + Full("from_file.log") + "'... done");
}

}  // namespace
