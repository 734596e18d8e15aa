// The main window's own rows of the main command table.
#include "app/ShellCommands.h"

const ConsoleCommand ShellCommands[8] = {
    {CMD_QUIT, "quit", "Terminates program"},
    {CMD_REFRESH, "refresh", "Refreshes network status"},
    {CMD_HISTORY, "history", "Shows command history"},
    {CMD_KEYWORDS, "keywords", "Shows current keywords"},
    {CMD_NAME, "name", "Sets/shows your KVL name\r\nSyntax: /name [newname]"},
    {CMD_CONFIGURE, "configure", "Shows configure dialog"},
    {CMD_BW, "bw", "Runs BroodWar"},
    {CMD_SIGN, "sign", "Sets/shows your sign\r\nSyntax: /sign [newsign]"},
};
