// The game's window: whether it exists and whether it is in front.
#pragma once

#include <cstdint>

constexpr const char* GameWindowClassName = "SWarClass";
constexpr const char* GameWindowCaption = "Brood War";

// 0 no game window, 1 it exists but is not in front, 2 it is the foreground window.
using GameWindowState = uint32_t;
enum : GameWindowState { GAME_NOT_RUNNING = 0, GAME_RUNNING = 1, GAME_ACTIVE = 2 };

// Window look-ups of the platform; handles are opaque, 0 for none.
class IWindowFinder {
public:
    virtual ~IWindowFinder() = default;
    virtual uintptr_t FindTopLevel(const char* className, const char* caption) const = 0;
    virtual uintptr_t ForegroundWindow() const = 0;
};

bool IsGameForeground(const IWindowFinder& finder);
GameWindowState QueryGameWindowState(const IWindowFinder& finder);
