// The keystroke sender on Windows: the keyboard layout and lock states of this computer, and the kernel's events,
// mutex and thread behind the worker and its pauses.
#pragma once

#include "assistant/KeystrokeSender.h"

class CWin32KeyboardLayout : public IKeyboardLayout {
public:
    uint16_t KeyForCharacter(char c) const override;  // VkKeyScanA
    uint32_t ScanCode(uint8_t vk) const override;     // MapVirtualKeyA, virtual key to scan code
    int16_t KeyState(uint8_t vk) const override;      // GetKeyState
};

class CWin32KeystrokePlatform : public IKeystrokePlatform {
public:
    const IKeyboardLayout& Layout() const override { return m_Layout; }
    std::unique_ptr<IQueueSync> CreateQueueSync() override;
    std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body) override;

private:
    CWin32KeyboardLayout m_Layout;
};
