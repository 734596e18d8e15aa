// The records of the command language: a row of a command table and a command ready to run.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
// One command of a command table.
struct ConsoleCommand {
    uint32_t id;
    char name[32];
    char help[128];
};
// One command ready to run; made by the interpreter, freed by whoever runs it.
struct CommandRequest {
    uint32_t id;
    char args[256];
};
#pragma pack(pop)
static_assert(sizeof(ConsoleCommand) == 164, "ConsoleCommand is a 164-byte packed record");
static_assert(sizeof(CommandRequest) == 260, "CommandRequest is a 260-byte packed record");
