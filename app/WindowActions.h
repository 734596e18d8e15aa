// The Launch and Configure operations of the main window, apart from its window: what they write to the console,
// when the settings are saved and the automatic refresh re-armed, and when the launch-failure balloon shows.
#pragma once

#include <cstdint>
#include <string>

#include "base/AppContext.h"
#include "console/Console.h"

// The launch-failure balloon, pointing at the Configure button.
constexpr char kLaunchFailedTitle[] = "Can't run BroodWar";
constexpr char kLaunchFailedText[] = "Please configure BroodWar's path";
constexpr unsigned kLaunchFailedTimeout = 3000;
constexpr unsigned kLaunchFailedOptions = 0x28;  // close button, close on a key
// A start that the user cancelled at Windows' prompt for an administrator's rights (the game's program may ask for
// them): nothing to configure. The same balloon, pointing at the Launch button.
constexpr char kLaunchCancelledTitle[] = "BroodWar not started";
constexpr char kLaunchCancelledText[] = "Its start was cancelled at Windows' prompt for an administrator's rights";
constexpr unsigned kLaunchCancelledTimeout = 5000;  // a longer text to read

enum class LaunchOutcome { Started, Failed, Cancelled };
// What the shell's answer means: started, or the error it left (ERROR_CANCELLED when the user said no at the
// elevation prompt).
constexpr uint32_t kShellErrorCancelled = 1223;
LaunchOutcome ShellLaunchOutcome(bool started, uint32_t lastError);

// What launching needs of the window and the shell.
class IGameLauncher {
public:
    virtual ~IGameLauncher() = default;
    virtual void HideToTray() = 0;
    virtual void RestoreFromTray() = 0;
    // Opens `file` with the shell's open verb in `folder`.
    virtual LaunchOutcome OpenGame(const std::string& file, const std::string& folder) = 0;
    virtual void ShowLaunchFailure() = 0;
    virtual void ShowLaunchCancelled() = 0;
};

// Starts the game from the configured folder; the window goes to the tray and comes back if the start fails.
void LaunchGameFrom(const SettingsRecord& settings, IGameLauncher& launcher);

// What configuring needs of the window.
class IConfigurationHost {
public:
    virtual ~IConfigurationHost() = default;
    // Runs the dialog modally: 1 confirmed (the record updated), 2 cancelled, anything else a failure.
    virtual int RunConfigDialog() = 0;
    virtual void SaveSettings() = 0;
    // The dialog is already open: bring it forward.
    virtual void ShowOpenConfigDialog() {}
};

// Runs the configuration dialog once at a time: a second request while it is open is not stacked on it. Returns
// the dialog's result, or 0 for a request that found the dialog open.
class CConfigureAction {
public:
    int Run(CConsole& console, CAppContext& context, IConfigurationHost& host);
    bool Running() const { return m_bRunning; }

private:
    bool m_bRunning = false;
};
