// The Launch and Configure operations of the main window.
#include "app/WindowActions.h"

void LaunchGameFrom(const SettingsRecord& settings, IGameLauncher& launcher) {
    if (settings.Path.empty()) {
        launcher.ShowLaunchFailure();
        return;
    }
    launcher.HideToTray();
    const LaunchOutcome outcome = launcher.OpenGame(settings.Path + "starcraft.exe", settings.Path);
    if (outcome == LaunchOutcome::Started)
        return;
    launcher.RestoreFromTray();
    if (outcome == LaunchOutcome::Cancelled)
        launcher.ShowLaunchCancelled();
    else
        launcher.ShowLaunchFailure();
}

LaunchOutcome ShellLaunchOutcome(bool started, uint32_t lastError) {
    if (started)
        return LaunchOutcome::Started;
    return lastError == kShellErrorCancelled ? LaunchOutcome::Cancelled : LaunchOutcome::Failed;
}

int CConfigureAction::Run(CConsole& console, CAppContext& context, IConfigurationHost& host) {
    if (m_bRunning) {
        // A command or a hook key while the dialog is up: one dialog is enough.
        host.ShowOpenConfigDialog();
        return 0;
    }
    m_bRunning = true;
    console.WriteLine("Configuring... ");
    int result = -1;
    try {
        result = host.RunConfigDialog();
    } catch (...) {
        m_bRunning = false;
        throw;
    }
    m_bRunning = false;
    switch (result) {
    case 1:
        host.SaveSettings();
        console.WriteLine("Config saved");
        // The automatic refresh follows the new period (no refresh now); a new time-out counts from the next one.
        context.SettingsChanged();
        break;
    case 2:
        console.WriteLine("Config canceled");
        break;
    default:
        console.WriteLine("Config failed");
        break;
    }
    return result;
}
