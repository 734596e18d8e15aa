// The processes' elevation as a fake: the process of each window, how elevated each process and this one run, and
// what the message filter let through. A process not listed cannot be told, nor this one by default (Windows XP).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/ProcessElevation.h"

namespace kvltest {

class FakeElevation : public IProcessElevation {
public:
    Elevation OwnElevation() const override { return own; }
    uint32_t WindowProcess(uintptr_t window) const override {
        return processes.count(window) ? processes.at(window) : 0;
    }
    Elevation ProcessElevation(uint32_t process) const override {
        ++processQuestions;
        return elevations.count(process) ? elevations.at(process) : Elevation::CannotTell;
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
    mutable int processQuestions = 0;
};

}  // namespace kvltest
