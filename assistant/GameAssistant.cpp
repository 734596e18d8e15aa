// The game keyboard assistant: start-up and shutdown, the game's commands, and the routing of the hook's reports,
// the console's writes and the timers to the key bindings and the in-game console.
#include "assistant/GameAssistant.h"

#include <iterator>
#include <optional>

#include "assistant/GameCommands.h"

CGameAssistant::CGameAssistant(IModuleHost& host, const AssistantPlatform& platform)
    : m_Host(host),
      m_Platform(platform),
      m_Sender(platform.keystrokes, platform.keyRelay),
      m_Bindings(platform.keyRelay),
      m_InGameConsole(host, platform.windows, platform.overlay, platform.keyRelay),
      m_Elevation(host, platform.elevation) {
    m_Platform.hookReports.Connect(this);
}

CGameAssistant::~CGameAssistant() {
    m_Platform.hookReports.Connect(nullptr);
    Shutdown();
}

int CGameAssistant::Start() {
    // A worker that could not be started types nothing: the line says so too.
    const bool typing = m_Sender.Start();
    if (!m_InGameConsole.CreateFonts())
        return 1;  // without its fonts there is no in-game console: the hook is not set either
    m_bHooked = m_Platform.keyRelay.SetHook();
    return m_bHooked && typing ? 0 : 1;
}

void CGameAssistant::Shutdown() {
    m_Sender.Stop();
    m_InGameConsole.Shutdown();
    if (m_bHooked) {
        m_Platform.keyRelay.RemoveHook();
        m_bHooked = false;
    }
}

std::vector<ConsoleCommand> CGameAssistant::Commands() const {
    return std::vector<ConsoleCommand>(std::begin(GameCommands), std::end(GameCommands));
}

void CGameAssistant::OnCommand(uint32_t id, const std::string& argument) {
    switch (id) {
    case CMD_BIND:
        m_Bindings.BindCommand(argument, m_Host.Console());
        break;
    case CMD_UNBIND:
        m_Bindings.UnbindCommand(argument, m_Host.Console());
        break;
    case CMD_BW_KEYS:
        if (argument.empty())
            m_Host.Console().WriteLine("Wrong syntax");
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

void CGameAssistant::TypeCommand(const std::string& text, const char* notInFront) {
    const char* refused = notInFront;
    if (IsGameForeground(m_Platform.windows)) {
        // Keys synthesised for a game that runs elevated above us are dropped by Windows without a word.
        if (GameOutOfReach())
            refused = CElevationNotice::kTypingLine;
        else if (m_Sender.Send(text))
            return;
    }
    if (refused)
        m_Host.Console().WriteLine(refused);
}

bool CGameAssistant::GameOutOfReach() {
    return m_Elevation.OutOfReach(m_Platform.windows.FindTopLevel(GameWindowClassName, GameWindowCaption));
}

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
        // Said once the console is open over a game out of reach, not before: the balloon may let further reports
        // in, and a console key among them must find the console opened.
        if (m_InGameConsole.OnConsoleKey())
            (void)GameOutOfReach();
        break;
    case HOOK_CHAR:
        m_InGameConsole.OnCharacter(static_cast<char>(event.wParam & 0xFF));
        break;
    case HOOK_KEY_DOWN:
        if (m_InGameConsole.IsOpen())
            m_InGameConsole.OnEditingKey(event.wParam);
        else
            RunBoundKey(static_cast<uint16_t>(event.wParam & 0xFFFF));
        break;
    default:
        break;  // key-ups and unknown codes
    }
}

void CGameAssistant::RunBoundKey(uint16_t vk) {
    // A copy: the command may bind or unbind keys itself.
    if (const std::optional<std::string> command = m_Bindings.Command(vk)) {
        (void)GameOutOfReach();  // said before what it runs (a typing command, say) does nothing
        m_Host.Execute(*command);
    }
}

void CGameAssistant::OnTimer(unsigned id) {
    if (id == TIMER_GAME_WATCH)
        WatchGameWindow();
    else
        m_InGameConsole.OnTimer(id);
}

void CGameAssistant::WatchGameWindow() {
    const uintptr_t game = m_Platform.windows.FindTopLevel(GameWindowClassName, GameWindowCaption);
    (void)m_Elevation.OutOfReach(game);
    if (game == 0 && m_InGameConsole.IsOpen())
        (void)m_InGameConsole.OnConsoleKey();  // closes it and gives the keys back to the game
}
