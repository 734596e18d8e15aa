// Fakes of the keyboard side of the platform: a small US-like layout with lock states, a clock that only moves when
// slept on, a recording key injector (the hook library's keybd_event), and the worker's platform on std::thread
// (whose pauses take real time).
#pragma once

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "assistant/KeyRelay.h"
#include "assistant/KeystrokeSender.h"

namespace kvltest {

// Letters and digits on their own keys, upper case with SHIFT; a few punctuation keys; "@" needs CTRL+ALT (as on
// some European layouts); "~" exists on no key. Scan codes are vk + 0x100, so that only their low byte may be sent.
class FakeLayout : public IKeyboardLayout {
public:
    uint16_t KeyForCharacter(char c) const override {
        if (c >= 'a' && c <= 'z')
            return static_cast<uint16_t>(c - 'a' + 'A');
        if (c >= 'A' && c <= 'Z')
            return static_cast<uint16_t>(0x100 | c);
        if (c >= '0' && c <= '9')
            return static_cast<uint16_t>(c);
        switch (c) {
        case ' ':
            return 0x20;
        case '<':
            return 0x1BC;  // SHIFT + the comma key
        case '>':
            return 0x1BE;  // SHIFT + the period key
        case '!':
            return 0x131;  // SHIFT + 1
        case '@':
            return 0x632;  // CTRL+ALT + 2
        case '_':
            return 0x1BD;  // SHIFT + the minus key
        case '+':
            return 0x1BB;  // SHIFT + the equals key
        default:
            return 0xFFFF;
        }
    }
    uint32_t ScanCode(uint8_t vk) const override { return vk + 0x100u; }
    int16_t KeyState(uint8_t vk) const override {
        const auto it = states.find(vk);
        return it == states.end() ? 0 : it->second;
    }

    std::map<uint8_t, int16_t> states;  // by virtual key; low byte 1 = lock on
};

// Time that passes only when someone sleeps.
class FakeClock : public IClock {
public:
    void Sleep(unsigned milliseconds) override { now += milliseconds; }
    unsigned long long now = 0;
};

struct SentKey {
    uint8_t vk;
    uint8_t scan;
    uint32_t flags;
    uint32_t extraInfo;
    unsigned long long at;  // the fake clock's time when it was sent
};

// "+XX" for a key-down of virtual key XX (hex), "-XX" for a key-up: the flags and scan code are checked apart.
inline std::string Describe(const std::vector<SentKey>& keys) {
    std::string out;
    for (const SentKey& key : keys) {
        char item[8];
        std::snprintf(item, sizeof(item), "%c%02X", (key.flags & 2) ? '-' : '+', key.vk);
        if (!out.empty())
            out += ' ';
        out += item;
    }
    return out;
}

// The hook library as the assistant sees it: records every synthesised key (thread-safe: the worker sends them).
class FakeKeyRelay : public IKeyRelay {
public:
    explicit FakeKeyRelay(const FakeClock* clock = nullptr) : m_pClock(clock) {}

    bool SetHook() override {
        ++setHookCalls;
        hooked = hookAvailable;
        return hooked;
    }
    bool RemoveHook() override {
        ++removeHookCalls;
        const bool was = hooked;
        hooked = false;
        return was;
    }
    void SetKeyMode(int32_t newMode) override { mode = newMode; }
    void AddKey(uint16_t vk) override { watched[vk & 0xFF] = true; }
    void RemoveKey(uint16_t vk) override {
        if (vk == 0)
            watched.fill(false);
        else
            watched[vk & 0xFF] = false;
    }
    size_t WatchedCount() const { return static_cast<size_t>(std::count(watched.begin(), watched.end(), true)); }
    void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extraInfo) override {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Keys.push_back(SentKey{vk, scan, flags, extraInfo, m_pClock ? m_pClock->now : 0});
        m_Changed.notify_all();
    }

    std::vector<SentKey> Keys() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Keys;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Keys.clear();
    }
    // Waits (at most two seconds) until count keys were sent.
    bool WaitForKeys(size_t count) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::seconds(2), [&] { return m_Keys.size() >= count; });
    }

    bool hookAvailable = true;
    bool hooked = false;
    int setHookCalls = 0;
    int removeHookCalls = 0;
    int32_t mode = KEYMODE_WATCHED;
    std::array<bool, 256> watched{};

private:
    const FakeClock* m_pClock;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<SentKey> m_Keys;
};

// The queue's mutex, auto-reset event and pauses on the standard library; pauses take real time.
class StdQueueSync : public IQueueSync {
public:
    bool Lock() override {
        m_Mutex.lock();
        return true;
    }
    void Unlock() override { m_Mutex.unlock(); }
    void Signal() override {
        std::lock_guard<std::mutex> lock(m_EventMutex);
        m_bSignalled = true;
        m_Event.notify_one();
    }
    bool Wait() override {
        std::unique_lock<std::mutex> lock(m_EventMutex);
        m_Event.wait(lock, [&] { return m_bSignalled; });
        m_bSignalled = false;  // automatic reset
        return true;
    }
    void Pause(unsigned milliseconds) override {
        std::unique_lock<std::mutex> lock(m_EventMutex);
        ++pauses;
        m_Event.notify_all();
        m_Event.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return m_bPausesEnded; });
    }
    void EndPauses() override {
        std::lock_guard<std::mutex> lock(m_EventMutex);
        m_bPausesEnded = true;
        m_Event.notify_all();
    }
    // Waits (at most two seconds) until count pauses have begun.
    bool WaitForPauses(int count) {
        std::unique_lock<std::mutex> lock(m_EventMutex);
        return m_Event.wait_for(lock, std::chrono::seconds(2), [&] { return pauses >= count; });
    }

    int pauses = 0;  // guarded by the event's mutex

private:
    std::mutex m_Mutex;
    std::mutex m_EventMutex;
    std::condition_variable m_Event;
    bool m_bSignalled = false;
    bool m_bPausesEnded = false;
};

class StdWorkerThread : public IWorkerThread {
public:
    explicit StdWorkerThread(std::function<void()> body) : m_Thread(std::move(body)) {}
    ~StdWorkerThread() override {
        if (m_Thread.joinable())
            m_Thread.join();
    }
    bool Join(unsigned) override {
        m_Thread.join();
        return true;
    }

private:
    std::thread m_Thread;
};

class FakeKeystrokePlatform : public IKeystrokePlatform {
public:
    const IKeyboardLayout& Layout() const override { return layout; }
    std::unique_ptr<IQueueSync> CreateQueueSync() override {
        if (!syncAvailable)
            return nullptr;
        auto made = std::make_unique<StdQueueSync>();
        sync = made.get();
        return made;
    }
    std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body) override {
        ++threadsStarted;
        return std::make_unique<StdWorkerThread>(std::move(body));
    }

    FakeLayout layout;
    bool syncAvailable = true;
    StdQueueSync* sync = nullptr;  // the last one made, owned by the assistant
    int threadsStarted = 0;
};

}  // namespace kvltest
