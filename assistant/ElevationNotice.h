// Whether the game is out of this program's reach because it runs elevated and this program does not: Windows then
// loads no hook library into it and drops the keys synthesised for it, so key bindings, the in-game console and the
// typing commands do nothing. Said once per run of the game, in the console and in a tray balloon, with the fix.
#pragma once

#include <cstdint>

#include "base/Module.h"
#include "base/ProcessElevation.h"

class CElevationNotice {
public:
    CElevationNotice(IModuleHost& host, const IProcessElevation& platform) : m_Host(host), m_Platform(platform) {}

    // The game's window as just looked up (0: there is none). True when the game is out of reach; the first time
    // in a run of the game, this is said. A question the system refuses counts as within reach.
    bool OutOfReach(uintptr_t gameWindow);

    // What is said, and the line of a typing command that cannot reach the game.
    static constexpr const char* kLine =
        "Warning: Brood War runs as administrator and KVL SE does not, so Windows keeps KVL SE out of the game: key "
        "bindings, the in-game console and the bw_ commands do nothing. Start KVL SE as administrator too "
        "(right-click it, \"Run as administrator\"), or start the game without it.";
    static constexpr const char* kBalloonTitle = "Brood War runs as administrator";
    static constexpr const char* kBalloonText =
        "KVL SE cannot reach the game: key bindings, the in-game console and bw_ commands do nothing. Start KVL SE "
        "as administrator too, or start the game without it.";
    static constexpr unsigned kBalloonSeconds = 10;
    static constexpr const char* kTypingLine =
        "Error: BW runs as administrator and KVL SE does not: Windows drops the keys";

private:
    IModuleHost& m_Host;
    const IProcessElevation& m_Platform;
    uint32_t m_nGameProcess = 0;  // the run of the game last asked about; 0 none
    bool m_bOutOfReach = false;   // its answer
    bool m_bTold = false;
};
