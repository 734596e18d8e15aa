// The main window's timers: every id set on the main window, in one table so that no two collide, each with its
// period or delay in milliseconds where it has a fixed one. The main window logic hands a tick to the module whose
// OwnsTimer claims its id; the game assistant claims every id from CONSOLE_TIMER_FIRST on. Timers of other windows
// (the balloon's, the console pane's) are those windows' own and are not listed here.
#pragma once

enum : unsigned {
    // Once, when the main window has been painted for the first time: the status tree's images are built (the
    // window handles it itself; it never reaches the logic).
    TIMER_TREE_IMAGES = 900,
    TREE_IMAGES_DELAY = 0,
    // The automatic refresh; its period is a setting.
    TIMER_AUTO_REFRESH = 1000,
    // Once, a refresh's timeout (a setting) after it began: the refresh ends.
    TIMER_REFRESH_DONE = 2000,
    // The game window is looked up: set by the main window at start-up, its ticks handled by the module that
    // watches the game window.
    TIMER_GAME_WATCH = 3000,
    GAME_WATCH_PERIOD = 1000,

    // The game assistant's in-game console: the main window hands every timer from here on to the assistant.
    CONSOLE_TIMER_FIRST = 4000,
    // Repaints the in-game console while it is drawn.
    TIMER_CONSOLE_PAINT = 4001,
    CONSOLE_PAINT_PERIOD = 1,
    // Ends the display of recent lines.
    TIMER_CONSOLE_HIDE = 4002,
    CONSOLE_HIDE_PERIOD = 5000,
    // Once after drawing stopped: the console area is repainted again.
    TIMER_CONSOLE_CLEAR = 4003,
    CONSOLE_CLEAR_DELAY = 100,
    // Once the thread is idle: the console output written meanwhile is taken in.
    TIMER_CONSOLE_TEXT = 4004,
    CONSOLE_TEXT_DELAY = 0,
};

static_assert(TIMER_TREE_IMAGES < CONSOLE_TIMER_FIRST && TIMER_AUTO_REFRESH < CONSOLE_TIMER_FIRST &&
                  TIMER_REFRESH_DONE < CONSOLE_TIMER_FIRST && TIMER_GAME_WATCH < CONSOLE_TIMER_FIRST,
              "the ids from CONSOLE_TIMER_FIRST on all go to the game assistant");
