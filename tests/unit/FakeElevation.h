// The processes' elevation as a fake: which process owns each window, how elevated each process and this one run,
// and what the message filter was asked to let through. By default nothing can be told, as on Windows XP.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/ProcessElevation.h"

namespace kvltest {

class FakeElevation : public IProcessElevation {
public:
    Elevation OwnElevation() const override {
        ++ownQuestions;
        return own;
    }
    uint32_t WindowProcess(uintptr_t window) const override {
        const auto found = processes.find(window);
        return found != processes.end() ? found->second : 0;
    }
    Elevation ProcessElevation(uint32_t processId) const override {
        ++processQuestions;
        const auto found = elevations.find(processId);
        return found != elevations.end() ? found->second : Elevation::CannotTell;
    }
    bool LetInFromBelow(uintptr_t window, unsigned message) override {
        if (!filters)
            return false;
        letIn.push_back(std::to_string(window) + ":" + std::to_string(message));
        return true;
    }

    Elevation own = Elevation::CannotTell;
    std::map<uintptr_t, uint32_t> processes;   // window -> its process
    std::map<uint32_t, Elevation> elevations;  // process -> its elevation; a process not listed cannot be told
    bool filters = true;                       // false: a system without message filters
    std::vector<std::string> letIn;            // "window:message" let through
    mutable int ownQuestions = 0;
    mutable int processQuestions = 0;
};

}  // namespace kvltest
