// The game keyboard assistant's rows of the main command table.
#include "assistant/GameCommands.h"

const ConsoleCommand GameCommands[5] = {
    {CMD_BIND, "bind", "Assigns/shows command binded to key(s)\r\nSyntax: /bind [key] [command]"},
    {CMD_UNBIND, "unbind", "Removes binding from key(s)\r\nSyntax: /unbind <key | ALL>"},
    {CMD_BW_KEYS, "bw_keys", "Sends keystroke to BW window\r\nSyntax: /bw_keys <keystroke>"},
    {CMD_BW_SAYTEAM, "bw_sayteam", "Sends message to allies in BW game\r\nSyntax: /bw_sayteam <message>"},
    {CMD_BW_SAYALL, "bw_sayall", "Sends message to all in BW game\r\nSyntax: /bw_sayall <message>"},
};
