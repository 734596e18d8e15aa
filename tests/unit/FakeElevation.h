// The processes' elevation as a fake: each window's process, each process's elevation (one not listed cannot be
// told), this program's (by default it cannot be told, as on Windows XP), and what the message filter let through.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/ProcessElevation.h"

namespace kvltest {

struct FakeElevation : IProcessElevation {
    Elevation OwnElevation() const override { return own; }
    uint32_t WindowProcess(uintptr_t w) const override { return processes.count(w) ? processes.at(w) : 0; }
    Elevation ProcessElevation(uint32_t p) const override {
        return elevations.count(p) ? elevations.at(p) : Elevation::CannotTell;
    }
    bool LetInFromBelow(uintptr_t window, unsigned message) override {
        if (filters)
            letIn.push_back(std::to_string(window) + ":" + std::to_string(message));
        return filters;
    }

    Elevation own = Elevation::CannotTell;
    std::map<uintptr_t, uint32_t> processes;
    std::map<uint32_t, Elevation> elevations;
    bool filters = true;  // false: no message filters (before Vista)
    std::vector<std::string> letIn;
};

}  // namespace kvltest
