// The messenger's rows of the main command table.
#include "peer/PeerCommands.h"

const ConsoleCommand PeerCommands[4] = {
    {CMD_A, "a", "Broadcasts message\r\nSyntax: /a [message]"},
    {CMD_W, "w", "Sends message to KVL user\r\nSyntax: /w <name | ip> [message]"},
    {CMD_R, "r", "Replies to last message\r\nSyntax: /r [message]"},
    {CMD_USERS, "users", "Lists current users\r\nSyntax: /users"},
};
