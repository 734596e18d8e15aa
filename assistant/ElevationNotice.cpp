// The game out of reach behind its elevation, told once per run of the game.
#include "assistant/ElevationNotice.h"

bool CElevationNotice::OutOfReach(uintptr_t gameWindow) {
    const uint32_t process = gameWindow != 0 ? m_Platform.WindowProcess(gameWindow) : 0;
    if (process != m_nGameProcess) {
        // Another run of the game (or none): asked afresh, and told afresh. The processes are asked once per run;
        // the window is looked up every second.
        m_nGameProcess = process;
        m_bTold = false;
        m_bOutOfReach = process != 0 && m_Platform.OwnElevation() == Elevation::NotElevated &&
                        m_Platform.ProcessElevation(process) == Elevation::Elevated;
    }
    if (m_bOutOfReach && !m_bTold) {
        m_bTold = true;
        m_Host.Console().WriteLine(kLine);
        m_Host.ShowTrayBalloon(kBalloonText, kBalloonTitle, BalloonIcon::Warning, kBalloonSeconds);
    }
    return m_bOutOfReach;
}
