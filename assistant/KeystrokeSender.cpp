// The keystroke sender's queue and worker loop.
#include "assistant/KeystrokeSender.h"

#include <utility>

void CKeyQueue::Push(std::string text) {
    if (!m_Sync.Lock())
        return;
    m_Texts.push_back(std::move(text));
    m_Sync.Unlock();
    m_Sync.Signal();
}

bool CKeyQueue::WaitTake(std::list<std::string>& texts) {
    texts.clear();
    // A wait that fails (the handles were closed) ends the worker rather than spinning on it.
    if (!m_Sync.Wait() || !m_Sync.Lock())
        return false;
    const bool stopping = m_bStopping;
    texts.splice(texts.end(), m_Texts);
    m_Sync.Unlock();
    return !stopping;
}

void CKeyQueue::Stop() {
    if (m_Sync.Lock()) {
        m_bStopping = true;
        m_Sync.Unlock();
    }
    m_Sync.Signal();
}

int KeystrokeWorker(CKeyQueue* queue, const KeyboardOutput& output) {
    if (!queue)
        return 1;
    std::list<std::string> texts;
    while (queue->WaitTake(texts)) {
        // The mutex is not held here: texts queued while one plays set the event again for the next round.
        for (std::string& text : texts) {
            KeySequence sequence(std::move(text), output);
            sequence.Play();
        }
    }
    return 0;
}
