// The main window as its logic sees it (IMainView): live timers and a log of their setting and killing, the Refresh
// button, the tray tip and balloons, the game's launch, the configuration dialog and the dialog's end.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/MainController.h"

namespace kvltest {

class FakeView : public IMainView {
public:
    std::map<unsigned, unsigned> timers;  // id -> period of the live timers
    std::vector<std::string> timerLog;
    bool refreshEnabled = true;
    std::string tip = "KVL SE";
    int endedWith = -1;

    uintptr_t SetTimer(unsigned id, unsigned milliseconds) override {
        timers[id] = milliseconds;
        timerLog.push_back("set " + std::to_string(id) + " " + std::to_string(milliseconds));
        return id;
    }
    void KillTimer(unsigned id) override {
        timers.erase(id);
        timerLog.push_back("kill " + std::to_string(id));
    }
    void EnableRefreshButton(bool enable) override { refreshEnabled = enable; }
    void SetTrayTip(const std::string& text) override {
        tip = text;
        if (onTip)
            onTip();
    }
    std::function<void()> onTip;  // runs inside the tray update, as a sent message handled during it would
    void EndDialog(int result) override { endedWith = result; }
    void LaunchGame() override { ++launches; }
    void Configure() override { ++configures; }
    int launches = 0;
    int configures = 0;
    bool onScreen = true;
    std::vector<std::string> balloons;  // "title|text|icon|seconds"
    bool IsWindowOnScreen() const override { return onScreen; }
    void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                         unsigned seconds) override {
        balloons.push_back(title + "|" + text + "|" + std::to_string(static_cast<int>(icon)) + "|" +
                           std::to_string(seconds));
    }
};

}  // namespace kvltest
