// The keystroke sender's queue and worker loop.
#include "assistant/KeystrokeSender.h"

#include <utility>

CKeyQueue::CKeyQueue(IQueueSync& sync, const IKeyboardLayout& layout, IKeyInjector& injector)
    : m_Sync(sync), m_Layout(layout), m_Injector(injector) {}

void CKeyQueue::Push(std::string text) {
    if (!m_Sync.Lock())
        return;
    m_Texts.push_back(std::move(text));
    m_Sync.Unlock();
    m_Sync.Signal();
}

bool CKeyQueue::WaitTake(std::list<std::string>& texts) {
    texts.clear();
    if (m_Sync.Lock()) {
        m_bPlaying = false;
        m_Sync.Unlock();
    }
    // A wait that fails (the handles were closed) ends the worker rather than spinning on it.
    if (!m_Sync.Wait() || !m_Sync.Lock())
        return false;
    const bool stopping = m_bStopped.load();
    texts.splice(texts.end(), m_Texts);
    m_bPlaying = !stopping && !texts.empty();
    m_Sync.Unlock();
    return !stopping;
}

void CKeyQueue::Stop() {
    if (m_Sync.Lock()) {
        // The worker is between two calls through the gate, or waiting: either way not inside the platform.
        if (m_bPlaying && !m_bStopped.load())
            ReleaseModifiers();
        m_bStopped = true;
        m_Sync.Unlock();
    }
    m_Sync.EndPauses();
    m_Sync.Signal();
}

void CKeyQueue::ReleaseModifiers() {
    for (uint8_t vk : {VKEY_CTRL, VKEY_ALT, VKEY_SHIFT})
        m_Injector.KeybdEvent(vk, 0, KEYEVENT_EXTENDED | KEYEVENT_KEYUP, 0);
}

template <class Call, class Result>
Result CKeyQueue::CGate::Through(Call call, Result closed) const {
    if (!m_Queue.m_Sync.Lock())
        return closed;
    const Result result = m_Queue.m_bStopped.load() ? closed : call();
    m_Queue.m_Sync.Unlock();
    return result;
}

uint16_t CKeyQueue::CGate::KeyForCharacter(char c) const {
    return Through([&] { return m_Queue.m_Layout.KeyForCharacter(c); }, uint16_t{0xFFFF});
}

uint32_t CKeyQueue::CGate::ScanCode(uint8_t vk) const {
    return Through([&] { return m_Queue.m_Layout.ScanCode(vk); }, uint32_t{0});
}

int16_t CKeyQueue::CGate::KeyState(uint8_t vk) const {
    return Through([&] { return m_Queue.m_Layout.KeyState(vk); }, int16_t{0});
}

void CKeyQueue::CGate::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extraInfo) {
    Through(
        [&] {
            m_Queue.m_Injector.KeybdEvent(vk, scan, flags, extraInfo);
            return true;
        },
        false);
}

void CKeyQueue::CGate::Sleep(unsigned milliseconds) { m_Queue.m_Sync.Pause(milliseconds); }

int KeystrokeWorker(CKeyQueue* queue) {
    if (!queue)
        return 1;
    std::list<std::string> texts;
    while (queue->WaitTake(texts)) {
        // The mutex is not held here: texts queued while one plays set the event again for the next round.
        for (std::string& text : texts) {
            KeySequence sequence(std::move(text), queue->WorkerOutput());
            sequence.Play();
        }
    }
    return 0;
}
