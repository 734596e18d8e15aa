// The console's own commands, registered first at start-up.
#include "console/CommandTables.h"

const ConsoleCommand BuiltinCommands[6] = {
    {CMD_HELP, "help", "Shows list of commands or help on specific command"},
    {CMD_SAVELOG, "savelog", "Saves console log to file\r\nSyntax: /savelog [file]"},
    {CMD_CLEAR, "clear", "Clears all console output"},
    {CMD_EXEC, "exec", "Executes command file\r\nSyntax: /exec <file>"},
    {CMD_ECHO, "echo", "Writes string to console\r\nSyntax: /echo [string]"},
    {CMD_TIME, "time", "Shows current system date and time\r\nSyntax: /time"},
};
