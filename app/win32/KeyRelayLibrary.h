// The hook library's exports as the assistant reaches them, for the main window.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "assistant/KeyRelay.h"

class CKeyRelayLibrary : public IKeyRelay {
public:
    // owner: the main window's handle, set once the window exists (the hook is set during its initialisation).
    explicit CKeyRelayLibrary(const HWND& owner) : m_hOwner(owner) {}

    bool SetHook() override;
    bool RemoveHook() override;
    void SetKeyMode(int32_t mode) override;
    void AddKey(uint16_t vk) override;
    void RemoveKey(uint16_t vk) override;
    void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extraInfo) override;

private:
    const HWND& m_hOwner;
};
