// The platform's window look-ups behind the game-window questions.
#pragma once

#include "base/GameWindow.h"

class CWindowFinder : public IWindowFinder {
public:
    // FindWindowA: the class and caption as the window search matches them.
    uintptr_t FindTopLevel(const char* className, const char* caption) const override;
    uintptr_t ForegroundWindow() const override;
};
