// The main window's own commands: the program, the refresh, the command line's lists, the own name and sign, the
// configuration and the game's launch.
#pragma once

#include <cstdint>

#include "base/CommandRecords.h"

enum : uint32_t {
    CMD_QUIT = 1,
    CMD_REFRESH = 2,
    CMD_HISTORY = 4,
    CMD_KEYWORDS = 5,
    CMD_NAME = 6,
    CMD_CONFIGURE = 8,
    CMD_BW = 9,
    CMD_SIGN = 10,
};

extern const ConsoleCommand ShellCommands[8];
