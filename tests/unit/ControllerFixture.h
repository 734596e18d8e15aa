// The main window's logic with the program's subsystems registered on fakes (the view, the panes, the status tree
// and the platform's services), for the tests that run whole cycles through it; and the main command table that those
// subsystems bring.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainController.h"
#include "app/Subsystems.h"
#include "tests/unit/FakePanes.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/FakeTreeView.h"
#include "tests/unit/FakeView.h"

namespace kvltest {

// The platform's fakes are the fixture's own members: lan, windows, ...
class ControllerFixture : public ::testing::Test, public IConsoleOwner, public FakePlatform {
protected:
    void SetUp() override {
        context.Settings().RefreshAuto = 0;
        RegisterSubsystems(controller, context, Services());
    }
    void SendConsoleCommand(std::unique_ptr<CommandRequest> request) override {
        controller.OnConsoleCommand(std::move(request));
    }
    // The registered module of this type.
    template <typename Module>
    Module* Find() {
        for (const auto& module : controller.Modules())
            if (auto* found = dynamic_cast<Module*>(module.get()))
                return found;
        return nullptr;
    }
    void Start() { controller.Start(this, &pane, &box, &tree); }
    // The pane's text written since mark.
    std::string Since(size_t mark) const { return pane.text.substr(mark); }
    std::string Run(const std::string& line) {
        const size_t mark = pane.text.size();
        controller.Console().Execute(line);
        return Since(mark);
    }

    FakeView view;
    FakePane pane;
    FakeBox box;
    FakeTreeView tree;
    CAppContext context{"10.77.0.2"};
    CMainController controller{view, context};
    SettingsRecord& AppSettings = context.Settings();
};

// The main command table as the program registers it: the rows that the real subsystems bring (registered on
// fakes) and the main window's own, by id.
inline std::vector<ConsoleCommand> RegisteredCommandRows() {
    FakeView view;
    FakePlatform platform;
    CAppContext context{"10.77.0.2"};
    CMainController controller{view, context};
    RegisterSubsystems(controller, context, platform.Services());
    return controller.MainCommandRows();
}

}  // namespace kvltest
