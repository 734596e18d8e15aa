// The messenger's commands: chat to everybody, to one user, the reply, and the list of users.
#pragma once

#include <cstdint>

#include "base/CommandRecords.h"

enum : uint32_t {
    CMD_A = 0,  // chat to everybody, also what a line without "/" runs (CPeerModule::PlainLineCommand)
    CMD_W = 3,
    CMD_R = 7,
    CMD_USERS = 15,
};

extern const ConsoleCommand PeerCommands[4];
