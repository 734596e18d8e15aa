// The hook library as the assistant uses it: the keyboard hook that reports to the main window, and the
// synthesised key events through which every played key reaches the game.
#pragma once

#include "assistant/KeySequence.h"

class IKeyRelay : public IKeyInjector {
public:
    // Installs the system-wide hook with the main window as the receiver of its reports; false when another
    // process owns it already or it cannot be installed.
    virtual bool SetHook() = 0;
    // Removes this process's hook; false when it had none.
    virtual bool RemoveHook() = 0;
};
