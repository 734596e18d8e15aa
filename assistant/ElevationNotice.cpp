// The game out of reach behind its elevation, told once per run of the game.
#include "assistant/ElevationNotice.h"

bool CElevationNotice::OutOfReach(uintptr_t gameWindow) {
    const uint32_t process = gameWindow != 0 ? m_Platform.WindowProcess(gameWindow) : 0;
    if (process != m_nGameProcess) {
        // Another run of the game (or none): asked afresh, and told afresh. The game's process is asked once per
        // run; the window is looked up every second.
        m_nGameProcess = process;
        m_bTold = false;
        m_bOutOfReach = false;
        if (process != 0) {
            if (!m_Own)
                m_Own = m_Platform.OwnElevation();
            m_bOutOfReach =
                *m_Own == Elevation::NotElevated && m_Platform.ProcessElevation(process) == Elevation::Elevated;
        }
    }
    if (m_bOutOfReach && !m_bTold) {
        m_bTold = true;
        m_Host.Console().WriteLine(kLine);
        m_Host.ShowTrayBalloon(kBalloonText, kBalloonTitle, BalloonIcon::Warning, kBalloonSeconds);
    }
    return m_bOutOfReach;
}
