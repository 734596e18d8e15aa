// The game keyboard assistant: start-up and shutdown, the game's commands, key bindings, the hook's reports and the
// in-game console over the game window.
#include "assistant/GameAssistant.h"

#include <algorithm>
#include <iterator>

#include "assistant/KeyNames.h"

namespace {

// How long shutdown waits for the worker to finish the text it is playing.
constexpr unsigned kWorkerJoinMilliseconds = 2000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

CGameAssistant::CGameAssistant(IModuleHost& host, const AssistantPlatform& platform)
    : m_Host(host), m_Platform(platform), m_KeyNames(MakeKeyNames()), m_Elevation(host, platform.elevation) {
    m_Platform.hookReports.Connect(this);
}

CGameAssistant::~CGameAssistant() {
    m_Platform.hookReports.Connect(nullptr);
    Shutdown();
    Unbind("");
}

int CGameAssistant::Init() {
    m_pQueueSync = m_Platform.keystrokes.CreateQueueSync();
    if (m_pQueueSync) {
        // The queue is the worker's only way to the layout and the hook library: see Shutdown.
        m_pKeyQueue = std::make_unique<CKeyQueue>(*m_pQueueSync, m_Platform.keystrokes.Layout(), m_Platform.keyRelay);
        CKeyQueue* queue = m_pKeyQueue.get();
        m_pWorker = m_Platform.keystrokes.StartThread([queue] { KeystrokeWorker(queue); });
    }
    m_bFonts = m_Platform.overlay.CreateFonts();
    if (!m_bFonts)
        return 1;  // without its fonts there is no in-game console: the hook is not set either
    m_bHooked = m_Platform.keyRelay.SetHook();
    // A worker that could not be started types nothing: the line says so too.
    return m_bHooked && m_pWorker ? 0 : 1;
}

void CGameAssistant::Shutdown() {
    if (m_pWorker) {
        // From here on the worker types nothing and no longer reaches the platform objects it was given, which go
        // with the main window; a delay in progress ends at once.
        m_pKeyQueue->Stop();
        if (!m_pWorker->Join(kWorkerJoinMilliseconds)) {
            // Still finishing its text: the thread keeps using its queue and synchronisation until the process
            // ends, so they are left to it rather than freed underneath it.
            (void)m_pWorker.release();
            (void)m_pKeyQueue.release();
            (void)m_pQueueSync.release();
        }
        m_pWorker.reset();
    }
    m_pKeyQueue.reset();
    m_pQueueSync.reset();
    if (m_GameConsole.IsOpen()) {
        // The key mode lives in the library's shared section, which outlives this process wherever the library
        // stays loaded: leave it as a fresh start expects it.
        m_GameConsole.Toggle();
        m_Platform.keyRelay.SetKeyMode(KEYMODE_WATCHED);
    }
    if (m_pCanvas)
        StopDrawing();
    if (m_bTextTimer) {
        m_Host.KillTimer(TIMER_CONSOLE_TEXT);
        m_bTextTimer = false;
    }
    if (m_bHooked) {
        m_Platform.keyRelay.RemoveHook();
        m_bHooked = false;
    }
    if (m_bFonts) {
        m_Platform.overlay.DeleteConsoleFont();
        m_bFonts = false;
    }
}

std::vector<ConsoleCommand> CGameAssistant::Commands() const {
    return std::vector<ConsoleCommand>(std::begin(GameCommands), std::end(GameCommands));
}

CGameAssistant::Typing CGameAssistant::Type(const std::string& text) {
    if (!IsGameForeground(m_Platform.windows))
        return Typing::NotInFront;
    // Keys synthesised for a game that runs elevated above us are dropped by Windows without a word.
    if (GameOutOfReach())
        return Typing::OutOfReach;
    if (!m_pWorker)
        return Typing::NoWorker;
    m_pKeyQueue->Push(text);
    return Typing::Queued;
}

void CGameAssistant::TypeCommand(const std::string& text, const char* notInFront) {
    switch (Type(text)) {
    case Typing::OutOfReach:
        m_Host.Console().WriteLine(CElevationNotice::kTypingLine);
        break;
    case Typing::NotInFront:
    case Typing::NoWorker:
        if (notInFront)
            m_Host.Console().WriteLine(notInFront);
        break;
    case Typing::Queued:
        break;
    }
}

bool CGameAssistant::GameOutOfReach() {
    return m_Elevation.OutOfReach(m_Platform.windows.FindTopLevel(GameWindowClassName, GameWindowCaption));
}

void CGameAssistant::OnCommand(uint32_t id, const std::string& argument) {
    IConsoleWriter& console = m_Host.Console();
    switch (id) {
    case CMD_BIND: {
        if (argument.empty()) {
            // Each binding's line brings its own line end; no bindings, no output.
            const std::string all = ListBindings("");
            if (!all.empty())
                console.Write(all);
            break;
        }
        const size_t blank = argument.find(' ');
        if (blank == std::string::npos) {
            console.WriteLine(ListBindings(Trim(argument)));
            break;
        }
        const std::string key = Trim(argument.substr(0, blank));
        if (!Bind(key, Trim(argument.substr(blank))))
            console.WriteLine("Unknown key: '" + key + "'");
        break;
    }
    case CMD_UNBIND: {
        if (argument.empty()) {
            console.WriteLine("Wrong syntax");
            break;
        }
        const std::string key = Upper(Trim(argument));
        Unbind(key == "ALL" ? std::string() : key);
        break;
    }
    case CMD_BW_KEYS:
        if (argument.empty())
            console.WriteLine("Wrong syntax");
        else
            TypeCommand(argument, "Error: BW not foreground");
        break;
    case CMD_BW_SAYTEAM:
        // The game's key for a message to the allies; the closing space goes with the message. A game behind
        // another window is not mentioned.
        TypeCommand("<CTRL><ENTER>" + argument + " <ENTER>", nullptr);
        break;
    case CMD_BW_SAYALL:
        TypeCommand("<SHIFT><ENTER>" + argument + " <ENTER>", nullptr);
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------------------------------------- key bindings

uint16_t CGameAssistant::KeyCode(const std::string& name) const {
    for (const auto& entry : m_KeyNames)
        if (entry.second == name)
            return entry.first;
    return 0;
}

bool CGameAssistant::Bind(std::string keyName, const std::string& command) {
    keyName = Upper(std::move(keyName));
    const uint16_t code = KeyCode(keyName);
    if (code == 0)
        return false;
    const auto bound = std::find_if(m_Bindings.begin(), m_Bindings.end(),
                                    [&](const auto& binding) { return binding.first == keyName; });
    if (bound != m_Bindings.end())
        bound->second = command;
    else
        m_Bindings.emplace_back(keyName, command);
    m_Platform.keyRelay.AddKey(code);
    return true;
}

void CGameAssistant::Unbind(const std::string& keyName) {
    if (keyName.empty()) {
        m_Platform.keyRelay.RemoveKey(0);
        m_Bindings.clear();
        return;
    }
    if (const uint16_t code = KeyCode(keyName))
        m_Platform.keyRelay.RemoveKey(code);
    m_Bindings.erase(std::remove_if(m_Bindings.begin(), m_Bindings.end(),
                                    [&](const auto& binding) { return binding.first == keyName; }),
                     m_Bindings.end());
}

std::string CGameAssistant::ListBindings(std::string filter) const {
    std::string out;
    if (filter.empty()) {
        for (const auto& binding : m_Bindings)
            out += binding.first + " -> " + binding.second + "\r\n";
        return out;
    }
    filter = Upper(std::move(filter));
    for (const auto& binding : m_Bindings)
        if (binding.first == filter)
            return binding.first + " -> " + binding.second;
    return out;
}

// ----------------------------------------------------------------------------------------------- hook reports

void CGameAssistant::QueueHookEvent(const HookEvent& event) { m_HookEvents.push_back(event); }

void CGameAssistant::DrainHookEvents() {
    // Each record leaves the queue before it is handled: a bound command that waits on another process (a tray
    // balloon, say) lets further reports and notifications in, and a nested drain takes them in order.
    while (!m_HookEvents.empty()) {
        const HookEvent event = m_HookEvents.front();
        m_HookEvents.pop_front();
        OnHookNotify(event);
    }
}

void CGameAssistant::OnHookNotify(const HookEvent& event) {
    switch (event.event) {
    case HOOK_CONSOLE_KEY:
        OnConsoleKey();
        break;
    case HOOK_CHAR:
        CarryOut(m_GameConsole.OnCharacter(static_cast<char>(event.wParam & 0xFF), m_Host.Keywords()));
        break;
    case HOOK_KEY_DOWN:
        if (m_GameConsole.IsOpen())
            CarryOut(m_GameConsole.OnEditingKey(event.wParam));
        else
            RunBoundKey(event.wParam & 0xFFFF);
        break;
    default:
        break;  // key-ups and unknown codes
    }
}

void CGameAssistant::RunBoundKey(uint32_t vk) {
    const auto name = m_KeyNames.find(static_cast<uint16_t>(vk));
    if (name == m_KeyNames.end())
        return;
    for (const auto& binding : m_Bindings) {
        if (binding.first == name->second) {
            // Copied: the command may bind or unbind keys itself.
            const std::string command = binding.second;
            (void)GameOutOfReach();  // said before what it runs (a typing command, say) does nothing
            m_Host.Execute(command);
            return;
        }
    }
}

// ----------------------------------------------------------------------------------------- the in-game console

void CGameAssistant::OnConsoleKey() {
    // What was written before the key is taken in as the console was when it was written: output of a line run
    // from the open console must not show as recent lines once the console has closed.
    if (m_bTextTimer)
        TakeInWritten();
    if (m_GameConsole.Toggle()) {
        (void)GameOutOfReach();  // said before the console opens over a game out of reach
        if (!m_pCanvas) {
            StartDrawing();
        } else {
            // Recent lines were on show: the full console takes their place.
            StopHideTimer();
            InvalidateConsole();
        }
        m_Platform.keyRelay.SetKeyMode(KEYMODE_TEXT);
    } else {
        m_Platform.keyRelay.SetKeyMode(KEYMODE_WATCHED);
        StopDrawing();
    }
}

void CGameAssistant::CarryOut(ConsoleAction action) {
    switch (action) {
    case ConsoleAction::None:
        break;
    case ConsoleAction::Repaint:
        InvalidateConsole();
        break;
    case ConsoleAction::Beep:
        m_Platform.overlay.Beep(OverlayBeep::Default);
        break;
    case ConsoleAction::BeepAndRepaint:
        m_Platform.overlay.Beep(OverlayBeep::Default);
        InvalidateConsole();
        break;
    case ConsoleAction::RunLine: {
        // A copy, and the console left as it is until the line has run: a command that waits on another process
        // (a tray balloon, say) lets further reports in, which edit the input; the history gets the line as run.
        const std::string line = m_GameConsole.Input();
        m_Host.Execute(line);
        m_GameConsole.LineRun(line);
        m_Platform.overlay.Beep(OverlayBeep::Exclamation);
        InvalidateConsole();
        break;
    }
    }
}

void CGameAssistant::AddOverlayText(const std::string&, const CConsoleText& all) {
    // Taken in once the thread is idle, with whatever else is written meanwhile: a flood of chat writes a line at a
    // time, and taking a line in asks the window system about the game and may ask the game to repaint.
    m_pConsoleText = &all;
    if (!m_bTextTimer)
        m_bTextTimer = m_Host.SetTimer(TIMER_CONSOLE_TEXT, CONSOLE_TEXT_DELAY) != 0;
    if (!m_bTextTimer)
        TakeInPendingText();  // no timer to be had: now
}

void CGameAssistant::TakeInPendingText() {
    // A part of a line written without its line end waits in the text for the rest of its line.
    const int added = m_pConsoleText ? m_GameConsole.TakeInLines(*m_pConsoleText) : 0;
    // One question about the game's window for all the lines of one write (a listing of thousands of lines would
    // otherwise ask the window system thousands of times). A game that exists and is in front: with no game and
    // nothing in front the two empty handles would compare equal, and there would be nothing to draw on.
    if (added > 0 && !m_GameConsole.IsOpen() && QueryGameWindowState(m_Platform.windows) == GAME_ACTIVE) {
        // Shown in the game's corner for five seconds after the last line.
        m_Host.SetTimer(TIMER_CONSOLE_HIDE, CONSOLE_HIDE_PERIOD);
        m_GameConsole.ShowRecent(added);
        if (!m_pCanvas)
            StartDrawing();
        InvalidateConsole();
    }
    if (m_GameConsole.IsOpen())
        InvalidateConsole();
}

void CGameAssistant::OnTimer(unsigned id) {
    switch (id) {
    case TIMER_GAME_WATCH:
        WatchGameWindow();
        break;
    case TIMER_CONSOLE_PAINT:
        if (m_pCanvas)
            m_GameConsole.Paint(*m_pCanvas);
        break;
    case TIMER_CONSOLE_HIDE:
        if (!m_GameConsole.IsOpen())
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

void CGameAssistant::TakeInWritten() {
    m_Host.KillTimer(TIMER_CONSOLE_TEXT);
    m_bTextTimer = false;
    TakeInPendingText();
}

int CGameAssistant::WatchGameWindow() {
    m_hGameWindow = m_Platform.windows.FindTopLevel(GameWindowClassName, GameWindowCaption);
    (void)m_Elevation.OutOfReach(m_hGameWindow);
    if (m_hGameWindow == 0 && m_GameConsole.IsOpen())
        OnHookNotify(HookEvent{HOOK_CONSOLE_KEY, 0, 0});  // closes it and gives the keys back to the game
    return 0;
}

void CGameAssistant::StartDrawing() {
    m_hDrawWindow = m_Platform.windows.ForegroundWindow();
    // With nothing in front there is nothing to draw on (a null window's drawing context is the whole screen).
    if (m_hDrawWindow == 0)
        return;
    m_pCanvas = m_Platform.overlay.BeginDrawing(m_hDrawWindow);
    if (m_pCanvas)
        m_Host.SetTimer(TIMER_CONSOLE_PAINT, CONSOLE_PAINT_PERIOD);
}

void CGameAssistant::StopDrawing() {
    m_Host.KillTimer(TIMER_CONSOLE_PAINT);
    InvalidateConsole();
    if (m_pCanvas) {
        m_Platform.overlay.EndDrawing();
        m_pCanvas = nullptr;
        // Our last frame and the game's repaint travel to the screen by different ways (under Wine, two
        // connections to the X server), and the frame may arrive after the repaint: the game repaints the area
        // once more when that frame has surely arrived.
        m_Host.SetTimer(TIMER_CONSOLE_CLEAR, CONSOLE_CLEAR_DELAY);
    }
}

void CGameAssistant::StopHideTimer() {
    m_Host.KillTimer(TIMER_CONSOLE_HIDE);
    m_GameConsole.HideRecent();
}

void CGameAssistant::InvalidateConsole() {
    if (m_hDrawWindow == 0)
        return;
    // The frame's tab ends on row 220, one below the console area (whose bottom is exclusive): without that row
    // the tab's lower edge would stay on a game that repaints only what it is asked to.
    OverlayRect area = CGameConsole::kConsoleArea;
    area.bottom += 1;
    m_Platform.overlay.Invalidate(m_hDrawWindow, area);
}
