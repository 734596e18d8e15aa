// The keystroke sender's platform on Windows.
#include "assistant/win32/KeystrokePlatform.h"

#include "base/win32/Sync.h"

namespace {

class CQueueSync : public IQueueSync {
public:
    CQueueSync() : m_Event(false), m_PausesEnded(true) {}
    bool Valid() const { return m_Event.Valid() && m_Mutex.Valid() && m_PausesEnded.Valid(); }

    bool Lock() override { return m_Mutex.Lock(); }
    void Unlock() override { m_Mutex.Unlock(); }
    void Signal() override { m_Event.Set(); }
    bool Wait() override { return m_Event.Wait(INFINITE); }
    void Pause(unsigned milliseconds) override { m_PausesEnded.Wait(milliseconds); }
    void EndPauses() override { m_PausesEnded.Set(); }

private:
    CEvent m_Event;        // automatic reset, not signalled
    CMutex m_Mutex;        // not owned
    CEvent m_PausesEnded;  // manual reset: once set, every pause ends at once
};

class CWorkerThread : public IWorkerThread {
public:
    bool Start(std::function<void()> body) { return m_Thread.Start(std::move(body)); }
    bool Join(unsigned milliseconds) override { return m_Thread.Join(milliseconds); }

private:
    CThread m_Thread;
};

}  // namespace

uint16_t CWin32KeyboardLayout::KeyForCharacter(char c) const { return static_cast<uint16_t>(::VkKeyScanA(c)); }

uint32_t CWin32KeyboardLayout::ScanCode(uint8_t vk) const { return ::MapVirtualKeyA(vk, 0); }

int16_t CWin32KeyboardLayout::KeyState(uint8_t vk) const { return ::GetKeyState(vk); }

std::unique_ptr<IQueueSync> CWin32KeystrokePlatform::CreateQueueSync() {
    auto sync = std::make_unique<CQueueSync>();
    if (!sync->Valid())
        return nullptr;
    return sync;
}

std::unique_ptr<IWorkerThread> CWin32KeystrokePlatform::StartThread(std::function<void()> body) {
    auto thread = std::make_unique<CWorkerThread>();
    if (!thread->Start(std::move(body)))
        return nullptr;
    return thread;
}
