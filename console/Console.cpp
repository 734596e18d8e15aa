// The console: writes text to the pane, the log and the in-game console, and runs command lines and command files.
#include "console/Console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/CommandEdit.h"
#include "console/CommandFileLines.h"
#include "console/CommandTables.h"

namespace {

constexpr size_t kMaxArgs = sizeof(CommandRequest::args) - 1;
const char kRefusedTooLong[] = "Command refused: text longer than 255 characters";

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsWhite(s.back()))
        s.remove_suffix(1);
    while (!s.empty() && IsWhite(s.front()))
        s.remove_prefix(1);
    return s;
}

// Cleaning only ever cuts characters off the ends, so the result is a piece of the input.
std::string_view Clean(std::string_view s) {
    for (;;) {
        s = Trim(s);
        if (s.empty() || s.front() != '"')
            return s;
        s.remove_prefix(1);
        if (!s.empty() && s.back() == '"')
            s.remove_suffix(1);
    }
}

// Position of the first ";" outside double quotes, or npos.
size_t FindSeparator(std::string_view s) {
    unsigned quotes = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"')
            ++quotes;
        else if (s[i] == ';' && quotes % 2 == 0)
            return i;
    }
    return std::string_view::npos;
}

std::string_view NameOf(const ConsoleCommand& command) {
    return std::string_view(command.name, strnlen(command.name, sizeof(command.name)));
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm result{};
#ifdef _WIN32
    localtime_s(&result, &now);
#else
    localtime_r(&now, &result);
#endif
    return result;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The full path of a file that has just been opened; the name itself when it cannot be worked out.
std::string FullPath(const std::string& name) {
#ifdef _WIN32
    char* full = _fullpath(nullptr, name.c_str(), 0);
#else
    char* full = realpath(name.c_str(), nullptr);
#endif
    if (!full)
        return name;
    std::string result(full);
    std::free(full);
    return result;
}

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : m_Depth(depth) { ++m_Depth; }
    ~DepthGuard() { --m_Depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_Depth;
};

}  // namespace

CConsole::CConsole() : m_Clock(LocalNow) {}

CConsole::~CConsole() = default;

int CConsole::Init(IConsoleOwner* owner, CCommandEdit* commandEdit, IOutputPane* outputPane, IOverlaySink* assistant) {
    m_pOwner = owner;
    m_pCommandEdit = commandEdit;
    m_pOutputPane = outputPane;
    m_pAssistant = assistant;
    return RegisterCommands(BuiltinCommands, sizeof(BuiltinCommands) / sizeof(BuiltinCommands[0]));
}

int CConsole::RegisterCommands(const ConsoleCommand* table, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        ConsoleCommand copy = table[i];
        copy.name[sizeof(copy.name) - 1] = '\0';
        copy.help[sizeof(copy.help) - 1] = '\0';
        m_Commands.push_back(copy);
        if (m_pCommandEdit)
            (void)m_pCommandEdit->AddKeyword("/" + std::string(NameOf(copy)));
    }
    return 0;
}

int CConsole::Write(const std::string& text) {
    m_Text.Append(text);
    if (m_pAssistant)
        m_pAssistant->AddOverlayText(text, m_Text);
    if (m_pOutputPane)
        m_pOutputPane->LogAppended(m_Text, m_nLogStart);
    return 0;
}

void CConsole::WriteLine(const std::string& text) { Write(text + "\r\n"); }

// One write for the whole list: the pane and the in-game console take a listing of thousands of lines at once.
void CConsole::WriteList(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& entry : list)
        text += entry + "\r\n";
    if (!text.empty())
        Write(text);
}

std::string CConsole::CleanArgument(const std::string& text) { return std::string(Clean(text)); }

int CConsole::Execute(const std::string& line) {
    // A command may change whatever the caller's string lives in, so the line is copied once. Each pass runs the
    // first command of what is left and carries the rest on by position: a line of thousands of commands needs
    // neither deep recursion nor a copy of its tail per command.
    const std::string text = line;
    std::string_view rest(text);
    for (;;) {
        std::string_view command = Clean(rest);
        const size_t separator = FindSeparator(command);
        if (separator != std::string_view::npos) {
            rest = command.substr(separator + 1);
            command = command.substr(0, separator);
        } else {
            rest = std::string_view();
        }
        if (command.empty())
            return -1;
        if (RunCommand(std::string(Trim(command))) != 0)
            return -1;
        if (rest.empty())
            return 0;
    }
}

int CConsole::RunCommand(const std::string& command) {
    auto request = std::make_unique<CommandRequest>();
    if (command[0] != '/') {
        if (command.size() > kMaxArgs) {
            WriteLine(kRefusedTooLong);
            return -1;
        }
        request->id = m_nDefaultCommand;
        std::memcpy(request->args, command.data(), command.size());
        if (m_pOwner)
            m_pOwner->SendConsoleCommand(std::move(request));
        return 0;
    }

    const std::string body = command.substr(1);
    const int found = FindCommand(body, *request);
    if (found == -1) {
        WriteLine("Unknown command: '" + body + "'");
        return -1;
    }
    if (found != 0) {
        WriteLine(kRefusedTooLong);
        return -1;
    }
    if (request->id >= CMD_HELP && request->id <= CMD_TIME)
        RunBuiltin(*request);
    else if (m_pOwner)
        m_pOwner->SendConsoleCommand(std::move(request));
    return 0;
}

int CConsole::FindCommand(const std::string& line, CommandRequest& request) const {
    for (const ConsoleCommand& command : m_Commands) {
        const std::string_view name = NameOf(command);
        // The line followed by a blank must begin with the name followed by a blank.
        if (line.size() < name.size() || line.compare(0, name.size(), name) != 0)
            continue;
        if (line.size() != name.size() && line[name.size()] != ' ')
            continue;
        request.id = command.id;
        const std::string_view arg = Clean(std::string_view(line).substr(name.size()));
        if (arg.size() > kMaxArgs) {
            request.args[0] = '\0';
            return -2;
        }
        std::memcpy(request.args, arg.data(), arg.size());
        request.args[arg.size()] = '\0';
        return 0;
    }
    return -1;
}

void CConsole::RunBuiltin(const CommandRequest& request) {
    const std::string arg(request.args, strnlen(request.args, sizeof(request.args)));
    switch (request.id) {
    case CMD_HELP:
        Help(arg);
        break;
    case CMD_SAVELOG:
        SaveLog(arg);
        break;
    case CMD_CLEAR:
        Clear();
        break;
    case CMD_EXEC:
        Exec(arg);
        break;
    case CMD_ECHO:
        WriteLine(arg);
        break;
    case CMD_TIME:
        Time();
        break;
    default:
        break;
    }
}

void CConsole::Help(const std::string& arg) {
    if (arg.empty()) {
        WriteLine("Showing full list of commands");
        WriteLine("For specific help type: '/help <command>'");
        WriteLine("");
        for (const ConsoleCommand& command : m_Commands)
            WriteLine(" " + std::string(NameOf(command)));
        return;
    }
    for (const ConsoleCommand& command : m_Commands) {
        if (NameOf(command) != arg)
            continue;
        WriteLine("Command: " + arg);
        WriteLine("Info: " + std::string(command.help, strnlen(command.help, sizeof(command.help))));
    }
}

void CConsole::Clear() {
    m_nLogStart = m_Text.Size();
    if (m_pOutputPane)
        m_pOutputPane->LogCleared(m_Text, m_nLogStart);
}

void CConsole::SaveLog(const std::string& arg) {
    const std::string name = arg.empty() ? std::string("console.log") : arg;
    // Binary mode with the LF -> CR LF conversion done here, so the file is the same on every platform.
    FilePtr file(std::fopen(name.c_str(), "wb"));
    if (!file) {
        WriteLine("Error opening file");
        return;
    }
    Write("Saving to '" + FullPath(name) + "'... ");

    const std::string_view log = Log();
    const char* p = log.data();
    const char* const end = p + log.size();
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char* stop = lf ? static_cast<const char*>(lf) : end;
        std::fwrite(p, 1, static_cast<size_t>(stop - p), file.get());
        if (!lf)
            break;
        std::fwrite("\r\n", 1, 2, file.get());
        p = stop + 1;
    }
    file.reset();
    Write("done");
}

void CConsole::Exec(const std::string& arg) {
    if (arg.empty()) {
        WriteLine("Wrong syntax");
        return;
    }
    if (m_nExecDepth >= kMaxExecDepth) {
        WriteLine("Error: command files nested too deep, '" + arg + "' not run");
        return;
    }
    // Binary mode: text mode on Windows would end the file at a 0x1A byte. The file is streamed in pieces, so a
    // huge file (or one huge line) never sits in memory whole.
    FilePtr file(std::fopen(arg.c_str(), "rb"));
    if (!file) {
        WriteLine("Error opening '" + arg + "'");
        return;
    }
    DepthGuard depth(m_nExecDepth);
    CCommandFileLines lines(kMaxFileLine, [this, &arg](const CommandFileLine& line) {
        if (line.fault == CommandFileLine::Fault::None) {
            (void)Execute(line.text);
            return;
        }
        const bool tooLong = line.fault == CommandFileLine::Fault::TooLong;
        WriteLine("Error: line " + std::to_string(line.number) + " of '" + arg + "' " +
                  (tooLong ? "is longer than " + std::to_string(kMaxFileLine) + " bytes" : "holds a NUL byte") +
                  ", not run");
    });
    std::vector<char> chunk(64 * 1024);
    size_t count;
    while ((count = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0)
        lines.Feed(chunk.data(), count);
    lines.Finish();
}

void CConsole::Time() {
    const std::tm t = m_Clock ? m_Clock() : LocalNow();
    char text[128];
    std::snprintf(text, sizeof(text), "Date: %02d.%02d.%d\r\nTime: %02d:%02d:%02d", t.tm_mday, t.tm_mon + 1,
                  t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    WriteLine(text);
}
