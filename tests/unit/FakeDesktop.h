// The desktop as the game-window questions see it (IWindowFinder): the top-level windows, found by class and
// caption, and the one in front; shared by every test that has a game window, or none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/GameWindow.h"

namespace kvltest {

struct FakeTopLevel {
    uintptr_t handle;
    std::string className, caption;
};

class FakeDesktop : public IWindowFinder {
public:
    FakeDesktop() = default;
    FakeDesktop(uintptr_t gameWindow, uintptr_t inFront) : game(gameWindow), foreground(inFront) {}

    // Exact class and caption, like the platform's search for a top-level window; the game's window comes first,
    // then the others in order, and the first match wins.
    uintptr_t FindTopLevel(const char* className, const char* caption) const override {
        ++finds;
        if (game && className == std::string(GameWindowClassName) && caption == std::string(GameWindowCaption))
            return game;
        for (const FakeTopLevel& w : windows)
            if (w.className == className && w.caption == caption)
                return w.handle;
        return 0;
    }
    uintptr_t ForegroundWindow() const override { return foreground; }

    uintptr_t game = 0;                 // the game's window (its class and caption), 0 for none
    std::vector<FakeTopLevel> windows;  // other top-level windows
    uintptr_t foreground = 0;           // 0: nothing in front
    mutable int finds = 0;              // look-ups so far
};

}  // namespace kvltest
