// What the platform offers the subsystems (PlatformServices), as fakes; a new platform service is one member here,
// handed on in Services().
#pragma once

#include "app/Subsystems.h"
#include "tests/unit/FakeDesktop.h"
#include "tests/unit/FakeElevation.h"
#include "tests/unit/FakeKeyboard.h"
#include "tests/unit/FakeLan.h"
#include "tests/unit/FakeOverlay.h"

namespace kvltest {

struct FakePlatform {
    PlatformServices Services() {
        return PlatformServices{lan, windows, keyRelay, keystrokes, overlay, hookReports, elevation};
    }

    FakeLan lan;
    FakeDesktop windows;
    FakeKeyRelay keyRelay;
    FakeKeystrokePlatform keystrokes;
    FakeOverlayPlatform overlay;
    FakeHookReports hookReports;
    FakeElevation elevation;
};

}  // namespace kvltest
