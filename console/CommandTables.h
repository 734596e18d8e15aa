// The two static command tables: the console's own commands and the main window's commands.
#pragma once

#include "console/Console.h"

// Ids of the main window's commands.
enum : uint32_t {
    CMD_A = 0,
    CMD_QUIT = 1,
    CMD_REFRESH = 2,
    CMD_W = 3,
    CMD_HISTORY = 4,
    CMD_KEYWORDS = 5,
    CMD_NAME = 6,
    CMD_R = 7,
    CMD_CONFIGURE = 8,
    CMD_BW = 9,
    CMD_SIGN = 10,
    CMD_BIND = 11,
    CMD_UNBIND = 12,
    CMD_GAMES = 13,
    CMD_PLAYERS = 14,
    CMD_USERS = 15,
    CMD_BW_KEYS = 16,
    CMD_BW_SAYTEAM = 17,
    CMD_BW_SAYALL = 18,
};

extern const ConsoleCommand BuiltinCommands[6];
extern const ConsoleCommand MainCommands[19];
