// Launch and Configure: console lines, saving, the re-armed automatic refresh, the balloon, and no stacked dialogs.
#include <gtest/gtest.h>

#include <functional>

#include "app/WindowActions.h"

namespace {

class FakeLauncher : public IGameLauncher {
public:
    std::vector<std::string> calls;
    LaunchOutcome outcome = LaunchOutcome::Started;
    void HideToTray() override { calls.push_back("hide"); }
    void RestoreFromTray() override { calls.push_back("restore"); }
    LaunchOutcome OpenGame(const std::string& file, const std::string& folder) override {
        calls.push_back("open " + file + " in " + folder);
        return outcome;
    }
    void ShowLaunchFailure() override { calls.push_back("balloon"); }
    void ShowLaunchCancelled() override { calls.push_back("cancelled"); }
};

TEST(LaunchGame, EmptyPathOnlyShowsTheBalloon) {
    SettingsRecord settings;
    FakeLauncher launcher;
    LaunchGameFrom(settings, launcher);
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"balloon"}));
}

TEST(LaunchGame, StartsTheGameFromItsFolderAfterHiding) {
    SettingsRecord settings;
    settings.Path = "C:\\SC\\";
    FakeLauncher launcher;
    LaunchGameFrom(settings, launcher);
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"hide", "open C:\\SC\\starcraft.exe in C:\\SC\\"}));
}

TEST(LaunchGame, AFailedStartBringsTheWindowBack) {
    SettingsRecord settings;
    settings.Path = "C:\\Vanished\\";
    FakeLauncher launcher;
    launcher.outcome = LaunchOutcome::Failed;
    LaunchGameFrom(settings, launcher);
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"hide", "open C:\\Vanished\\starcraft.exe in C:\\Vanished\\",
                                                        "restore", "balloon"}));
    EXPECT_EQ(kLaunchFailedOptions, 0x28u);
}

TEST(LaunchGame, AStartCancelledAtTheElevationPromptIsNoPathToConfigure) {
    SettingsRecord settings;
    settings.Path = "C:\\SC\\";
    FakeLauncher launcher;
    launcher.outcome = ShellLaunchOutcome(false, 1223);  // ERROR_CANCELLED
    LaunchGameFrom(settings, launcher);
    EXPECT_EQ(launcher.calls.back(), "cancelled");
    EXPECT_EQ(launcher.calls[launcher.calls.size() - 2], "restore");
    EXPECT_EQ(ShellLaunchOutcome(false, 2), LaunchOutcome::Failed);  // ERROR_FILE_NOT_FOUND
    EXPECT_EQ(ShellLaunchOutcome(true, 0), LaunchOutcome::Started);
}

class NullOwner : public IConsoleOwner {
public:
    void SendConsoleCommand(std::unique_ptr<CommandRequest>) override {}
};

class Listener : public ISettingsListener {
public:
    int changes = 0;
    void OnSettingsChanged() override { ++changes; }
};

class FakeHost : public IConfigurationHost {
public:
    std::function<int()> dialog;
    int saves = 0;
    int broughtForward = 0;
    int RunConfigDialog() override { return dialog(); }
    void SaveSettings() override { ++saves; }
    void ShowOpenConfigDialog() override { ++broughtForward; }
};

class ConfigureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_Console.Init(&m_Owner, nullptr, nullptr, nullptr), 0);
        m_Context.AddSettingsListener(m_Listener);
    }
    NullOwner m_Owner;
    CConsole m_Console;
    CAppContext m_Context;
    Listener m_Listener;
    FakeHost m_Host;
    CConfigureAction m_Action;
};

TEST_F(ConfigureTest, SavedThenTheTimersFollow) {
    m_Host.dialog = [&] {
        EXPECT_EQ(m_Console.Log(), "Configuring... \r\n") << "written before the dialog runs";
        EXPECT_EQ(m_Host.saves, 0);
        return 1;
    };
    EXPECT_EQ(m_Action.Run(m_Console, m_Context, m_Host), 1);
    EXPECT_EQ(m_Console.Log(), "Configuring... \r\nConfig saved\r\n");
    EXPECT_EQ(m_Host.saves, 1);
    EXPECT_EQ(m_Listener.changes, 1);
}

TEST_F(ConfigureTest, CancelAndFailureChangeNothing) {
    m_Host.dialog = [] { return 2; };
    m_Action.Run(m_Console, m_Context, m_Host);
    m_Host.dialog = [] { return -1; };
    m_Action.Run(m_Console, m_Context, m_Host);
    EXPECT_EQ(m_Console.Log(), "Configuring... \r\nConfig canceled\r\nConfiguring... \r\nConfig failed\r\n");
    EXPECT_EQ(m_Host.saves, 0);
    EXPECT_EQ(m_Listener.changes, 0);
}

TEST_F(ConfigureTest, ASecondRequestWhileOpenIsNotStacked) {
    int inner = -7;
    m_Host.dialog = [&] {
        // The configure command arriving while the dialog runs (a bound game key, a posted command).
        inner = m_Action.Run(m_Console, m_Context, m_Host);
        return 2;
    };
    EXPECT_EQ(m_Action.Run(m_Console, m_Context, m_Host), 2);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(m_Host.broughtForward, 1);
    EXPECT_EQ(m_Console.Log(), "Configuring... \r\nConfig canceled\r\n");
    EXPECT_FALSE(m_Action.Running());
}

}  // namespace
