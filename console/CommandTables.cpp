// The console's own commands and the main window's commands, as registered at start-up.
#include "console/CommandTables.h"

const ConsoleCommand BuiltinCommands[6] = {
    {CMD_HELP, "help", "Shows list of commands or help on specific command"},
    {CMD_SAVELOG, "savelog", "Saves console log to file\r\nSyntax: /savelog [file]"},
    {CMD_CLEAR, "clear", "Clears all console output"},
    {CMD_EXEC, "exec", "Executes command file\r\nSyntax: /exec <file>"},
    {CMD_ECHO, "echo", "Writes string to console\r\nSyntax: /echo [string]"},
    {CMD_TIME, "time", "Shows current system date and time\r\nSyntax: /time"},
};

const ConsoleCommand MainCommands[19] = {
    {CMD_A, "a", "Broadcasts message\r\nSyntax: /a [message]"},
    {CMD_QUIT, "quit", "Terminates program"},
    {CMD_REFRESH, "refresh", "Refreshes network status"},
    {CMD_W, "w", "Sends message to KVL user\r\nSyntax: /w <name | ip> [message]"},
    {CMD_HISTORY, "history", "Shows command history"},
    {CMD_KEYWORDS, "keywords", "Shows current keywords"},
    {CMD_NAME, "name", "Sets/shows your KVL name\r\nSyntax: /name [newname]"},
    {CMD_R, "r", "Replies to last message\r\nSyntax: /r [message]"},
    {CMD_CONFIGURE, "configure", "Shows configure dialog"},
    {CMD_BW, "bw", "Runs BroodWar"},
    {CMD_SIGN, "sign", "Sets/shows your sign\r\nSyntax: /sign [newsign]"},
    {CMD_BIND, "bind", "Assigns/shows command binded to key(s)\r\nSyntax: /bind [key] [command]"},
    {CMD_UNBIND, "unbind", "Removes binding from key(s)\r\nSyntax: /unbind <key | ALL>"},
    {CMD_GAMES, "games", "Lists current games\r\nSyntax: /games"},
    {CMD_PLAYERS, "players", "Lists current idle players\r\nSyntax: /players"},
    {CMD_USERS, "users", "Lists current users\r\nSyntax: /users"},
    {CMD_BW_KEYS, "bw_keys", "Sends keystroke to BW window\r\nSyntax: /bw_keys <keystroke>"},
    {CMD_BW_SAYTEAM, "bw_sayteam", "Sends message to allies in BW game\r\nSyntax: /bw_sayteam <message>"},
    {CMD_BW_SAYALL, "bw_sayall", "Sends message to all in BW game\r\nSyntax: /bw_sayall <message>"},
};
