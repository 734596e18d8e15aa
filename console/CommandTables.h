// The console's own command table; the main window's commands come from the subsystems that run them.
#pragma once

#include "console/Console.h"

extern const ConsoleCommand BuiltinCommands[6];
