// Whether the game's window exists and whether it is in front; looked up afresh at every call, because the game
// comes and goes while the program runs.
#include "base/GameWindow.h"

bool IsGameForeground(const IWindowFinder& finder) {
    // Two empty handles compare equal: with no game and nothing in front, the answer is true.
    return finder.FindTopLevel(GameWindowClassName, GameWindowCaption) == finder.ForegroundWindow();
}

GameWindowState QueryGameWindowState(const IWindowFinder& finder) {
    const uintptr_t game = finder.FindTopLevel(GameWindowClassName, GameWindowCaption);
    if (game == 0)
        return GAME_NOT_RUNNING;
    return game == finder.ForegroundWindow() ? GAME_ACTIVE : GAME_RUNNING;
}
