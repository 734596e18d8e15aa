// The hook library as the assistant uses it: the keyboard hook that reports to the main window, its key mode and
// watched keys, and the synthesised key events through which every played key reaches the game. The reports
// themselves arrive as window messages, which the Win32 layer turns into HookEvent records for an IHookReceiver.
#pragma once

#include <cstdint>

#include "assistant/KeySequence.h"
#include "keyrelay/HookRecords.h"

class IKeyRelay : public IKeyInjector {
public:
    // Installs the system-wide hook with the main window as the receiver of its reports; false when another
    // process owns it already or it cannot be installed.
    virtual bool SetHook() = 0;
    // Removes this process's hook; false when it had none.
    virtual bool RemoveHook() = 0;
    // KEYMODE_OFF, KEYMODE_TEXT (the in-game console is open) or KEYMODE_WATCHED.
    virtual void SetKeyMode(int32_t mode) = 0;
    // vk 0 to 255; RemoveKey(0) leaves no key watched.
    virtual void AddKey(uint16_t vk) = 0;
    virtual void RemoveKey(uint16_t vk) = 0;
};

// Who takes the hook's reports: the copy-data step queues one record (the game's thread waits meanwhile, so
// nothing else may happen there), the notify step handles what was queued.
class IHookReceiver {
public:
    virtual ~IHookReceiver() = default;
    virtual void QueueHookEvent(const HookEvent& event) = 0;
    virtual void DrainHookEvents() = 0;
};

// The platform's side of the reports: the receiver connects itself for its lifetime.
class IHookReports {
public:
    virtual ~IHookReports() = default;
    // Null disconnects; reports that arrive without a receiver are dropped.
    virtual void Connect(IHookReceiver* receiver) = 0;
};
