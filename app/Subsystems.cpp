// The program's subsystems and their order in the start-up banner.
#include "app/Subsystems.h"

#include <memory>

#include "app/AbsentModule.h"
#include "assistant/GameAssistant.h"
#include "gamemon/GameMonitorModule.h"
#include "peer/PeerModule.h"

void RegisterSubsystems(CMainController& controller, const CAppContext& context, PlatformServices platform) {
    controller.AddModule(std::make_unique<CGameMonitorModule>(controller, platform.sockets, context.LocalAddress()));
    controller.AddModule(std::make_unique<CPeerModule>(controller, platform.sockets, context, platform.windows));
    controller.AddModule(std::make_unique<CGameAssistant>(
        controller, AssistantPlatform{platform.windows, platform.keyRelay, platform.keystrokes, platform.overlay,
                                      platform.hookReports, platform.elevation}));
    // Bulwark never had a module behind its line.
    controller.AddModule(std::make_unique<CAbsentModule>(" Starting Bulwark\x99 services..."));
}
