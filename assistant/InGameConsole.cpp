// The in-game console over the game window: opening and closing, drawing, its timers and the lines it takes in.
#include "assistant/InGameConsole.h"

#include "base/Timers.h"

bool CInGameConsole::CreateFonts() {
    m_bFonts = m_Overlay.CreateFonts();
    return m_bFonts;
}

void CInGameConsole::Shutdown() {
    if (m_Model.IsOpen()) {
        // The key mode lives in the library's shared section, which outlives this process wherever the library
        // stays loaded: leave it as a fresh start expects it.
        m_Model.Toggle();
        m_KeyRelay.SetKeyMode(KEYMODE_WATCHED);
    }
    if (m_pCanvas)
        StopDrawing();
    if (m_bTextTimer) {
        m_Host.KillTimer(TIMER_CONSOLE_TEXT);
        m_bTextTimer = false;
    }
    if (m_bFonts) {
        m_Overlay.DeleteConsoleFont();
        m_bFonts = false;
    }
}

bool CInGameConsole::OnConsoleKey() {
    // What was written before the key is taken in as the console was when it was written: output of a line run
    // from the open console must not show as recent lines once the console has closed.
    if (m_bTextTimer)
        TakeInWritten();
    if (m_Model.Toggle()) {
        if (!m_pCanvas) {
            StartDrawing();
        } else {
            // Recent lines were on show: the full console takes their place.
            StopHideTimer();
            InvalidateConsole();
        }
        m_KeyRelay.SetKeyMode(KEYMODE_TEXT);
        return true;
    }
    m_KeyRelay.SetKeyMode(KEYMODE_WATCHED);
    StopDrawing();
    return false;
}

void CInGameConsole::CarryOut(ConsoleAction action) {
    switch (action) {
    case ConsoleAction::None:
        break;
    case ConsoleAction::Repaint:
        InvalidateConsole();
        break;
    case ConsoleAction::Beep:
        m_Overlay.Beep(OverlayBeep::Default);
        break;
    case ConsoleAction::BeepAndRepaint:
        m_Overlay.Beep(OverlayBeep::Default);
        InvalidateConsole();
        break;
    case ConsoleAction::RunLine: {
        // A copy, and the console left as it is until the line has run: a command that waits on another process
        // (a tray balloon, say) lets further reports in, which edit the input; the history gets the line as run.
        const std::string line = m_Model.Input();
        m_Host.Execute(line);
        m_Model.LineRun(line);
        m_Overlay.Beep(OverlayBeep::Exclamation);
        InvalidateConsole();
        break;
    }
    }
}

void CInGameConsole::AddOverlayText(const std::string&, const CConsoleText& all) {
    // Taken in once the thread is idle, with whatever else is written meanwhile: a flood of chat writes a line at a
    // time, and taking a line in asks the window system about the game and may ask the game to repaint.
    m_pConsoleText = &all;
    if (!m_bTextTimer)
        m_bTextTimer = m_Host.SetTimer(TIMER_CONSOLE_TEXT, CONSOLE_TEXT_DELAY) != 0;
    if (!m_bTextTimer)
        TakeInPendingText();  // no timer to be had: now
}

void CInGameConsole::TakeInPendingText() {
    // A part of a line written without its line end waits in the text for the rest of its line.
    const int added = m_pConsoleText ? m_Model.TakeInLines(*m_pConsoleText) : 0;
    // One question about the game's window for all the lines of one write (a listing of thousands of lines would
    // otherwise ask the window system thousands of times). A game that exists and is in front: with no game and
    // nothing in front the two empty handles would compare equal, and there would be nothing to draw on.
    if (added > 0 && !m_Model.IsOpen() && QueryGameWindowState(m_Windows) == GAME_ACTIVE) {
        // Shown in the game's corner for five seconds after the last line.
        m_Host.SetTimer(TIMER_CONSOLE_HIDE, CONSOLE_HIDE_PERIOD);
        m_Model.ShowRecent(added);
        if (!m_pCanvas)
            StartDrawing();
        InvalidateConsole();
    }
    if (m_Model.IsOpen())
        InvalidateConsole();
}

void CInGameConsole::OnTimer(unsigned id) {
    switch (id) {
    case TIMER_CONSOLE_PAINT:
        if (m_pCanvas)
            m_Model.Paint(*m_pCanvas);
        break;
    case TIMER_CONSOLE_HIDE:
        if (!m_Model.IsOpen())
            StopDrawing();
        StopHideTimer();
        break;
    case TIMER_CONSOLE_CLEAR:
        m_Host.KillTimer(TIMER_CONSOLE_CLEAR);
        if (!m_pCanvas)
            InvalidateConsole();
        break;
    case TIMER_CONSOLE_TEXT:
        TakeInWritten();
        break;
    default:
        break;
    }
}

void CInGameConsole::TakeInWritten() {
    m_Host.KillTimer(TIMER_CONSOLE_TEXT);
    m_bTextTimer = false;
    TakeInPendingText();
}

void CInGameConsole::StartDrawing() {
    m_hDrawWindow = m_Windows.ForegroundWindow();
    // With nothing in front there is nothing to draw on (a null window's drawing context is the whole screen).
    if (m_hDrawWindow == 0)
        return;
    m_pCanvas = m_Overlay.BeginDrawing(m_hDrawWindow);
    if (m_pCanvas)
        m_Host.SetTimer(TIMER_CONSOLE_PAINT, CONSOLE_PAINT_PERIOD);
}

void CInGameConsole::StopDrawing() {
    m_Host.KillTimer(TIMER_CONSOLE_PAINT);
    InvalidateConsole();
    if (m_pCanvas) {
        m_Overlay.EndDrawing();
        m_pCanvas = nullptr;
        // Our last frame and the game's repaint travel to the screen by different ways (under Wine, two
        // connections to the X server), and the frame may arrive after the repaint: the game repaints the area
        // once more when that frame has surely arrived.
        m_Host.SetTimer(TIMER_CONSOLE_CLEAR, CONSOLE_CLEAR_DELAY);
    }
}

void CInGameConsole::StopHideTimer() {
    m_Host.KillTimer(TIMER_CONSOLE_HIDE);
    m_Model.HideRecent();
}

void CInGameConsole::InvalidateConsole() {
    if (m_hDrawWindow == 0)
        return;
    // The frame's tab ends on row 220, one below the console area (whose bottom is exclusive): without that row
    // the tab's lower edge would stay on a game that repaints only what it is asked to.
    OverlayRect area = CGameConsole::kConsoleArea;
    area.bottom += 1;
    m_Overlay.Invalidate(m_hDrawWindow, area);
}
