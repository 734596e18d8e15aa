// The program's subsystems and their order in the start-up banner.
#include "app/Subsystems.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "app/AbsentModule.h"
#include "app/ShellCommands.h"
#include "assistant/GameAssistant.h"
#include "assistant/GameCommands.h"
#include "gamemon/GameMonitorModule.h"
#include "peer/PeerCommands.h"
#include "peer/PeerModule.h"

namespace {

template <size_t N>
std::vector<ConsoleCommand> Rows(const ConsoleCommand (&table)[N]) {
    return std::vector<ConsoleCommand>(std::begin(table), std::end(table));
}

}  // namespace

void RegisterSubsystems(CMainController& controller, const CAppContext& context, PlatformServices platform) {
    controller.AddModule(std::make_unique<CGameMonitorModule>(controller, platform.sockets, context.LocalAddress()));
    controller.AddModule(std::make_unique<CPeerModule>(controller, platform.sockets, context, platform.windows));
    controller.AddModule(std::make_unique<CGameAssistant>(
        controller, AssistantPlatform{platform.windows, platform.keyRelay, platform.keystrokes, platform.overlay,
                                      platform.hookReports}));
    // Bulwark never had a module behind its line.
    controller.AddModule(std::make_unique<CAbsentModule>(" Starting Bulwark\x99 services..."));
}

std::vector<ConsoleCommand> MainCommandTable() {
    std::vector<ConsoleCommand> rows;
    for (const std::vector<ConsoleCommand>& part :
         {Rows(ShellCommands), Rows(GameMonitorCommands), Rows(PeerCommands), Rows(GameCommands)})
        rows.insert(rows.end(), part.begin(), part.end());
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ConsoleCommand& a, const ConsoleCommand& b) { return a.id < b.id; });
    return rows;
}
