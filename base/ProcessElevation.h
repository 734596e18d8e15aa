// Elevation: whether a process runs with an administrator's full rights. Windows keeps a program that is not
// elevated out of one that is (no hook library loaded into it, no synthesised keys, no messages from below), so the
// game's process and this one are asked. On systems before Vista, and wherever Windows refuses the question, the
// answer is "cannot tell", and nothing is concluded from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class Elevation { CannotTell, NotElevated, Elevated };

class IProcessElevation {
public:
    virtual ~IProcessElevation() = default;
    virtual Elevation OwnElevation() const = 0;
    // The process that owns a window; 0 when there is none or it cannot be told.
    virtual uint32_t WindowProcess(uintptr_t window) const = 0;
    virtual Elevation ProcessElevation(uint32_t processId) const = 0;
    // Lets a message that programs which are not elevated send through to a window of this one; false where the
    // system has no such filter (before Vista) or refuses.
    virtual bool LetInFromBelow(uintptr_t window, unsigned message) = 0;
};

struct MessageRoute {
    uintptr_t window;
    unsigned message;
};

// Run elevated, this program would not hear a game that is not (the hook's reports) or the taskbar that restarted:
// their messages are let through to the windows that take them. How many were let through (none when this program
// is not elevated, or cannot tell).
size_t LetProcessesBelowIn(IProcessElevation& platform, const std::vector<MessageRoute>& routes);
