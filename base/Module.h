// A subsystem as the main window logic sees it. Each subsystem (game monitor, messenger, keyboard assistant, ...)
// is one module in its own folder: it brings its rows of the main command table and runs them, writes its line of
// the start-up banner from its own start result, takes part in the refresh cycle, appends its section of the status
// tree, adds its part of the tray tip, and owns its timers. The main window logic only routes between them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/CommandRecords.h"
#include "base/ConsoleText.h"
#include "base/TreeView.h"

// The console as a subsystem writes to it.
class IConsoleWriter {
public:
    virtual ~IConsoleWriter() = default;
    virtual int Write(const std::string& text) = 0;
    virtual void WriteLine(const std::string& text) = 0;
    virtual void WriteList(const std::vector<std::string>& list) = 0;
};

// Receives every text written to the console, for the in-game console (the game assistant).
class IOverlaySink {
public:
    virtual ~IOverlaySink() = default;
    // `text` has just been written: it is the end of `all`, everything the console wrote since start, which lives as
    // long as the console and whose lines the in-game console shows.
    virtual void AddOverlayText(const std::string& text, const CConsoleText& all) = 0;
};

// The icon of a tray balloon.
enum class BalloonIcon { None, Info, Warning, Error };

// What the main window logic offers its modules.
class IModuleHost {
public:
    virtual ~IModuleHost() = default;
    virtual IConsoleWriter& Console() = 0;
    // Runs a command line through the interpreter, as if it had been typed.
    virtual int Execute(const std::string& line) = 0;
    // Offers a word to the command line's completion (names and addresses shown in the tree).
    virtual bool AddKeyword(const std::string& word) = 0;
    // The command line's completion words, sorted.
    virtual const std::vector<std::string>& Keywords() const = 0;
    // Sets (or resets) a timer of the main window; its ticks reach the module whose OwnsTimer claims the id.
    // The timer's handle, 0 on failure.
    virtual uintptr_t SetTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // Whether the main window is on screen (false while it lives in the tray).
    virtual bool IsWindowOnScreen() const = 0;
    // A balloon at the tray icon; seconds until it closes by itself.
    virtual void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                                 unsigned seconds) = 0;
};

// Every contribution but the banner line is optional: the defaults contribute nothing.
class IModule {
public:
    virtual ~IModule() = default;

    // The banner text written before Start, then " [OK]" when Start returned 0, else " [FAILED]".
    virtual const char* BannerText() const = 0;
    [[nodiscard]] virtual int Start() = 0;
    // The main window is going: let go of what must not outlive it.
    virtual void Shutdown() {}

    // Its rows of the main command table (an id belongs to one module) and their handler.
    virtual std::vector<ConsoleCommand> Commands() const { return {}; }
    virtual void OnCommand(uint32_t id, const std::string& argument) {
        (void)id;
        (void)argument;
    }
    // The one of its commands that runs a line typed without "/", the whole line its argument (one module at most
    // has one: the messenger's chat to everybody); none by default.
    virtual std::optional<uint32_t> PlainLineCommand() const { return std::nullopt; }

    // Taking part in a refresh: the name it is known by in the warning "warning: <name>.BeginRefresh() failed".
    // Null: not part of the refresh cycle.
    virtual const char* RefreshName() const { return nullptr; }
    // 0 started; otherwise the warning is written and the cycle goes on.
    virtual int BeginRefresh() { return 0; }
    virtual void EndRefresh() {}

    // Appends its roots (and everything below them) to the status tree after a refresh.
    virtual void BuildTreeSection(ITreeView& tree) { (void)tree; }
    // Its part of the tray tip, joined to the other modules' parts with ", "; empty: none.
    virtual std::string TrayTipPart() const { return std::string(); }

    virtual bool OwnsTimer(unsigned id) const {
        (void)id;
        return false;
    }
    virtual void OnTimer(unsigned id) { (void)id; }

    // Where the console's writes go besides the pane and the log (one module at most has one); null: nowhere.
    virtual IOverlaySink* OverlaySink() { return nullptr; }
};
