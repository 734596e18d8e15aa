// The keystroke sender's queue, its worker loop and the worker's life.
#include "assistant/KeystrokeSender.h"

#include <utility>

namespace {

// How long shutdown waits for the worker to finish the text it is playing.
constexpr unsigned kWorkerJoinMilliseconds = 2000;

}  // namespace

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

bool CKeystrokeSender::Start() {
    m_pQueueSync = m_Platform.CreateQueueSync();
    if (!m_pQueueSync)
        return false;
    // The queue is the worker's only way to the layout and the hook library: see Stop.
    m_pKeyQueue = std::make_unique<CKeyQueue>(*m_pQueueSync, m_Platform.Layout(), m_Injector);
    CKeyQueue* queue = m_pKeyQueue.get();
    m_pWorker = m_Platform.StartThread([queue] { KeystrokeWorker(queue); });
    return m_pWorker != nullptr;
}

bool CKeystrokeSender::Send(const std::string& text) {
    if (!m_pWorker)
        return false;
    m_pKeyQueue->Push(text);
    return true;
}

void CKeystrokeSender::Stop() {
    if (m_pWorker) {
        // From here on the worker types nothing and no longer reaches the platform objects it was given, which go
        // with the main window; a delay in progress ends at once.
        m_pKeyQueue->Stop();
        if (!m_pWorker->Join(kWorkerJoinMilliseconds)) {
            // Still finishing its text: the thread keeps using its queue and synchronisation until the process
            // ends, so they are left to it rather than freed underneath it.
            (void)m_pWorker.release();
            (void)m_pKeyQueue.release();
            (void)m_pQueueSync.release();
        }
        m_pWorker.reset();
    }
    m_pKeyQueue.reset();
    m_pQueueSync.reset();
}
