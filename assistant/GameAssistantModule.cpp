// The game keyboard assistant's start-up, shutdown and typing commands.
#include "assistant/GameAssistantModule.h"

#include <iterator>

namespace {

// How long shutdown waits for the worker to finish the text it is playing.
constexpr unsigned kWorkerJoinMilliseconds = 2000;

}  // namespace

CGameAssistantModule::CGameAssistantModule(IModuleHost& host, const IWindowFinder& windows, IKeyRelay& keyRelay,
                                           IKeystrokePlatform& platform)
    : m_Host(host),
      m_Windows(windows),
      m_KeyRelay(keyRelay),
      m_Platform(platform),
      m_Output{platform.Layout(), keyRelay, platform.Clock()} {}

CGameAssistantModule::~CGameAssistantModule() { Shutdown(); }

int CGameAssistantModule::Init() {
    m_pQueueSync = m_Platform.CreateQueueSync();
    if (m_pQueueSync) {
        m_pKeyQueue = std::make_unique<CKeyQueue>(*m_pQueueSync);
        CKeyQueue* queue = m_pKeyQueue.get();
        const KeyboardOutput output = m_Output;
        m_pWorker = m_Platform.StartThread([queue, output] { KeystrokeWorker(queue, output); });
    }
    // The in-game console's fonts come before the hook once that console exists.
    m_bHooked = m_KeyRelay.SetHook();
    // A worker that could not be started types nothing: the line says so too.
    return m_bHooked && m_pWorker ? 0 : 1;
}

void CGameAssistantModule::Shutdown() {
    if (m_pWorker) {
        m_pKeyQueue->Stop();
        if (!m_pWorker->Join(kWorkerJoinMilliseconds)) {
            // Still inside a long text (a delay): the thread keeps using its queue and synchronisation until the
            // process ends, so they are left to it rather than freed underneath it.
            (void)m_pWorker.release();
            (void)m_pKeyQueue.release();
            (void)m_pQueueSync.release();
        }
        m_pWorker.reset();
    }
    m_pKeyQueue.reset();
    m_pQueueSync.reset();
    if (m_bHooked) {
        m_KeyRelay.RemoveHook();
        m_bHooked = false;
    }
}

std::vector<ConsoleCommand> CGameAssistantModule::Commands() const {
    return std::vector<ConsoleCommand>(std::begin(GameCommands), std::end(GameCommands));
}

bool CGameAssistantModule::SendKeys(const std::string& text) {
    if (!IsGameForeground(m_Windows) || !m_pWorker)
        return false;
    m_pKeyQueue->Push(text);
    return true;
}

void CGameAssistantModule::OnCommand(uint32_t id, const std::string& argument) {
    switch (id) {
    case CMD_BW_KEYS:
        if (argument.empty())
            m_Host.Console().WriteLine("Wrong syntax");
        else if (!SendKeys(argument))
            m_Host.Console().WriteLine("Error: BW not foreground");
        break;
    case CMD_BW_SAYTEAM:
        // The game's key for a message to the allies; the closing space goes with the message.
        (void)SendKeys("<CTRL><ENTER>" + argument + " <ENTER>");
        break;
    case CMD_BW_SAYALL:
        (void)SendKeys("<SHIFT><ENTER>" + argument + " <ENTER>");
        break;
    case CMD_BIND:
    case CMD_UNBIND:
    default:
        // Key bindings come with the hook's reports.
        break;
    }
}
