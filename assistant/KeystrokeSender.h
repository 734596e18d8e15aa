// The keystroke sender's queue and worker: texts are queued on the main window's thread and played, one after the
// other, by a worker thread of their own. The platform's mutex, auto-reset event and thread are reached through
// small interfaces (the toolchain for Windows has no std::thread).
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <string>

#include "assistant/KeySequence.h"

// The queue's mutex and its auto-reset event.
class IQueueSync {
public:
    virtual ~IQueueSync() = default;
    // Both wait without time-out; false when the object is gone (closed or never made).
    virtual bool Lock() = 0;
    virtual void Unlock() = 0;
    virtual void Signal() = 0;
    virtual bool Wait() = 0;
};

// A running worker thread.
class IWorkerThread {
public:
    virtual ~IWorkerThread() = default;
    // True when the thread has ended within the time.
    virtual bool Join(unsigned milliseconds) = 0;
};

// What the keystroke sender asks of the platform.
class IKeystrokePlatform {
public:
    virtual ~IKeystrokePlatform() = default;
    virtual const IKeyboardLayout& Layout() const = 0;
    virtual IClock& Clock() = 0;
    // The queue's event (automatic reset, not signalled) and mutex (not owned); null when either cannot be made.
    virtual std::unique_ptr<IQueueSync> CreateQueueSync() = 0;
    // Runs body on a thread of normal priority; null when the thread cannot be started.
    virtual std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body) = 0;
};

// The texts waiting for the worker, in arrival order.
class CKeyQueue {
public:
    explicit CKeyQueue(IQueueSync& sync) : m_Sync(sync) {}
    CKeyQueue(const CKeyQueue&) = delete;
    CKeyQueue& operator=(const CKeyQueue&) = delete;

    // Appends a text under the mutex, then sets the event.
    void Push(std::string text);
    // Waits for the event, then moves every queued text into texts (the queue is left empty). False when the
    // worker is to end: Stop was called, or the event or mutex is gone.
    bool WaitTake(std::list<std::string>& texts);
    // Asks the worker to end after the text it is playing.
    void Stop();

private:
    IQueueSync& m_Sync;
    std::list<std::string> m_Texts;
    bool m_bStopping = false;
};

// The worker thread's function: takes the queued texts and plays each completely before the next. Returns 1 at
// once without a queue, 0 when the queue tells it to end.
int KeystrokeWorker(CKeyQueue* queue, const KeyboardOutput& output);
