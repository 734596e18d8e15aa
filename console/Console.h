// The console: the program's one text output (pane, log, in-game copy) and the command interpreter behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/CommandRecords.h"
#include "base/ConsoleText.h"
#include "base/Module.h"

// Ids of the console's own commands.
enum : uint32_t {
    CMD_HELP = 100,
    CMD_SAVELOG = 101,
    CMD_CLEAR = 102,
    CMD_EXEC = 103,
    CMD_ECHO = 104,
    CMD_TIME = 105,
};

// Where the console's log is shown (the "Console output" pane). The pane shows the console's own text, from where
// the log begins; it keeps no copy.
class IOutputPane {
public:
    virtual ~IOutputPane() = default;
    // The text grew at its end; the log is its part from logStart on.
    virtual void LogAppended(const CConsoleText& text, size_t logStart) = 0;
    // The log was emptied: it begins at logStart, the end of the text.
    virtual void LogCleared(const CConsoleText& text, size_t logStart) = 0;
};

// The window that runs every command that is not the console's own (the main window).
class IConsoleOwner {
public:
    virtual ~IConsoleOwner() = default;
    // Runs the request synchronously and frees it; when this returns the command has run.
    virtual void SendConsoleCommand(std::unique_ptr<CommandRequest> request) = 0;
};

class CCommandEdit;

class CConsole : public IConsoleWriter {
public:
    // Deepest chain of command files that run each other; a deeper exec is refused.
    static constexpr int kMaxExecDepth = 16;
    // Longest line read from a command file; longer lines are refused.
    static constexpr size_t kMaxFileLine = 4096;

    CConsole();
    ~CConsole() override;
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    int Init(IConsoleOwner* owner, CCommandEdit* commandEdit, IOutputPane* outputPane, IOverlaySink* assistant);
    int RegisterCommands(const ConsoleCommand* table, size_t count);
    void SetDefaultCommand(uint32_t id) { m_nDefaultCommand = id; }

    int Write(const std::string& text) override;
    void WriteLine(const std::string& text) override;
    void WriteList(const std::vector<std::string>& list) override;

    int Execute(const std::string& line);
    // 0 and the request filled; -1 when no name matches; -2 when a name matches but its argument does not fit
    // into the request (longer than 255 characters): only the id is filled then.
    int FindCommand(const std::string& line, CommandRequest& request) const;
    static std::string CleanArgument(const std::string& text);

    // What was written since start or the last clear.
    std::string_view Log() const { return m_Text.Bytes(m_nLogStart, m_Text.Size()); }
    // Everything written since start (the in-game console shows its lines whatever was cleared).
    const CConsoleText& Text() const { return m_Text; }
    const std::vector<ConsoleCommand>& Commands() const { return m_Commands; }

    // The clock of the time command; the local time by default.
    void SetClock(std::function<std::tm()> clock) { m_Clock = std::move(clock); }

private:
    // Runs one command of a line (already split and trimmed); -1 when it was refused or names no command.
    int RunCommand(const std::string& command);
    void RunBuiltin(const CommandRequest& request);
    void Help(const std::string& arg);
    void Clear();
    void SaveLog(const std::string& arg);
    void Exec(const std::string& arg);
    void Time();

    IOutputPane* m_pOutputPane = nullptr;
    IConsoleOwner* m_pOwner = nullptr;
    // The log is m_Text from m_nLogStart on: clearing it only moves its start.
    CConsoleText m_Text;
    size_t m_nLogStart = 0;
    std::vector<ConsoleCommand> m_Commands;
    CCommandEdit* m_pCommandEdit = nullptr;
    uint32_t m_nDefaultCommand = 0;
    IOverlaySink* m_pAssistant = nullptr;
    std::function<std::tm()> m_Clock;
    int m_nExecDepth = 0;
};
