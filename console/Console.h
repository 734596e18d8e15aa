// The console: the program's one text output (pane, log, in-game copy) and the command interpreter behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/CommandRecords.h"
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

// Where the console's text is shown (the "Console output" pane).
class IOutputPane {
public:
    virtual ~IOutputPane() = default;
    // Appends text at the end and keeps the end in view.
    virtual void AppendText(const std::string& text) = 0;
    // Replaces the whole text.
    virtual void SetAllText(const std::string& text) = 0;
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

    const std::string& Log() const { return m_strLog; }
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
    std::string m_strLog;
    std::vector<ConsoleCommand> m_Commands;
    CCommandEdit* m_pCommandEdit = nullptr;
    uint32_t m_nDefaultCommand = 0;
    IOverlaySink* m_pAssistant = nullptr;
    std::function<std::tm()> m_Clock;
    int m_nExecDepth = 0;
};
