// The messenger's commands: chat to everybody, to one user, the reply, and the list of users.
#pragma once

#include <cstdint>

#include "base/CommandRecords.h"

enum : uint32_t {
    CMD_A = 0,  // also the default command: a line without "/" is chat to everybody
    CMD_W = 3,
    CMD_R = 7,
    CMD_USERS = 15,
};

extern const ConsoleCommand PeerCommands[4];
