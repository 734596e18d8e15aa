// The main window as a module sees it (IModuleHost), for the modules' own tests and the native benchmarks: its
// console keeps what is written (handing each write to an in-game console and letting the thread idle after it when
// asked to), and it keeps the lines run through it, the completion words, the live timers and the balloons.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/Module.h"

namespace kvltest {

class FakeModuleHost : public IModuleHost, public IConsoleWriter {
public:
    IConsoleWriter& Console() override { return *this; }
    // Each write is a turn of the message loop of its own: idle runs when it ends.
    int Write(const std::string& text) override {
        if (record)
            out += text;
        if (sink) {
            all.Append(text);
            sink->AddOverlayText(text, all);
        }
        if (idle)
            idle();
        return 0;
    }
    void WriteLine(const std::string& text) override {
        ++lines;
        if (record || sink || idle)
            Write(text + "\r\n");
    }
    void WriteList(const std::vector<std::string>& list) override {
        std::string text;
        for (const std::string& entry : list)
            text += entry + "\r\n";
        if (!text.empty())
            Write(text);
    }
    int Execute(const std::string& line) override {
        executed.push_back(line);
        return 0;
    }
    bool AddKeyword(const std::string& word) override {
        keywords.push_back(word);
        return true;
    }
    const std::vector<std::string>& Keywords() const override { return keywords; }
    uintptr_t SetTimer(unsigned id, unsigned milliseconds) override {
        timers[id] = milliseconds;
        return id;
    }
    void KillTimer(unsigned id) override { timers.erase(id); }
    bool IsWindowOnScreen() const override { return onScreen; }
    void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                         unsigned seconds) override {
        balloons.push_back(title + "|" + text + "|" + std::to_string(static_cast<int>(icon)) + "|" +
                           std::to_string(seconds));
    }

    // Off in the benchmarks, which time the module and not its host: what is written is not kept, only counted.
    bool record = true;
    std::string out;                      // everything written
    size_t lines = 0;                     // WriteLine calls
    IOverlaySink* sink = nullptr;         // given every write, as the in-game console is
    CConsoleText all;                     // what the sink was given, as the console keeps it
    std::function<void()> idle;           // runs after every write
    std::vector<std::string> executed;    // command lines run
    std::vector<std::string> keywords;    // completion words, in the order offered
    std::map<unsigned, unsigned> timers;  // id -> period of the live timers
    bool onScreen = true;
    std::vector<std::string> balloons;  // "title|text|icon|seconds"
};

}  // namespace kvltest
