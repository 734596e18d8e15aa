// The game-window questions over a fake desktop: which top-level windows exist and which one is in front.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/GameWindow.h"
#include "tests/unit/FakeDesktop.h"

using kvltest::FakeDesktop;
using kvltest::FakeTopLevel;

namespace {

struct DesktopCase {
    const char* what;
    std::vector<FakeTopLevel> windows;
    uintptr_t foreground;
    bool isForeground;
    GameWindowState state;
};

const FakeTopLevel Game{0x100, "SWarClass", "Brood War"};
const FakeTopLevel Editor{0x200, "Notepad", "notes.txt"};
const FakeTopLevel Impostor{0x300, "OtherClass", "Brood War"};
const FakeTopLevel LowerCaption{0x400, "SWarClass", "brood war"};

}  // namespace

TEST(GameWindow, ExistenceAndForeground) {
    const DesktopCase cases[] = {
        {"nothing at all: two empty handles are equal", {}, 0, true, GAME_NOT_RUNNING},
        {"no game, another program in front", {Editor}, 0x200, false, GAME_NOT_RUNNING},
        {"game in front", {Editor, Game}, 0x100, true, GAME_ACTIVE},
        {"game behind another program", {Game, Editor}, 0x200, false, GAME_RUNNING},
        {"game, nothing in front", {Game}, 0, false, GAME_RUNNING},
        {"a Brood War caption of another class", {Impostor}, 0x300, false, GAME_NOT_RUNNING},
        {"the right class with another caption", {LowerCaption}, 0x400, false, GAME_NOT_RUNNING},
        {"impostor in front of the game", {Impostor, Game}, 0x300, false, GAME_RUNNING},
    };
    for (const DesktopCase& c : cases) {
        FakeDesktop desktop;
        desktop.windows = c.windows;
        desktop.foreground = c.foreground;
        EXPECT_EQ(IsGameForeground(desktop), c.isForeground) << c.what;
        EXPECT_EQ(QueryGameWindowState(desktop), c.state) << c.what;
    }
}

TEST(GameWindow, LooksTheWindowUpAfreshEachTime) {
    FakeDesktop desktop;
    desktop.windows = {Game};
    desktop.foreground = Editor.handle;
    EXPECT_EQ(QueryGameWindowState(desktop), GAME_RUNNING);
    desktop.windows.clear();  // the game quits
    EXPECT_EQ(QueryGameWindowState(desktop), GAME_NOT_RUNNING);
    desktop.windows = {Game};
    desktop.foreground = Game.handle;
    EXPECT_EQ(QueryGameWindowState(desktop), GAME_ACTIVE);
    EXPECT_TRUE(IsGameForeground(desktop));
    EXPECT_EQ(desktop.finds, 4);
}

TEST(GameWindow, StateValuesAndNames) {
    EXPECT_EQ(GAME_NOT_RUNNING, 0u);
    EXPECT_EQ(GAME_RUNNING, 1u);
    EXPECT_EQ(GAME_ACTIVE, 2u);
    EXPECT_STREQ(GameWindowClassName, "SWarClass");
    EXPECT_STREQ(GameWindowCaption, "Brood War");
}
