// The game keyboard assistant's commands: key bindings and typing into the game.
#pragma once

#include <cstdint>

#include "base/CommandRecords.h"

enum : uint32_t {
    CMD_BIND = 11,
    CMD_UNBIND = 12,
    CMD_BW_KEYS = 16,
    CMD_BW_SAYTEAM = 17,
    CMD_BW_SAYALL = 18,
};

extern const ConsoleCommand GameCommands[5];
