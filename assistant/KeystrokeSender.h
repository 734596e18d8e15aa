// The keystroke sender: texts are queued on the main window's thread and played, one after the other, by a worker
// thread of their own, which lives from the assistant's start to its shutdown. The platform's mutex, auto-reset event and thread are reached through
// small interfaces (the toolchain for Windows has no std::thread).
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "assistant/KeySequence.h"

// The queue's mutex and its auto-reset event, and the wait behind the pauses that a text asks for.
class IQueueSync {
public:
    virtual ~IQueueSync() = default;
    // Both wait without time-out; false when the object is gone (closed or never made).
    virtual bool Lock() = 0;
    virtual void Unlock() = 0;
    virtual void Signal() = 0;
    virtual bool Wait() = 0;
    // Waits the time, or less once EndPauses was called: from then on every pause ends at once.
    virtual void Pause(unsigned milliseconds) = 0;
    virtual void EndPauses() = 0;
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
    // The queue's event (automatic reset, not signalled), mutex (not owned) and pauses; null when they cannot be made.
    virtual std::unique_ptr<IQueueSync> CreateQueueSync() = 0;
    // Runs body on a thread of normal priority; null when the thread cannot be started.
    virtual std::unique_ptr<IWorkerThread> StartThread(std::function<void()> body) = 0;
};

// The texts waiting for the worker, in arrival order, and the worker's only way to the platform: every question to
// the layout, every key it types and every pause it makes passes the queue, so that Stop can cut it off. Once Stop
// has returned, the worker no longer reaches the layout or the injector given here (their owners may go), nothing
// more is typed, a pause in progress ends at once and the rest of the text being played is skipped. The worker may
// still be finishing that text meanwhile, with nothing left to touch but the queue and its synchronisation.
class CKeyQueue {
public:
    // The platform's layout and injector, reached by the worker only through the queue; pauses are the sync's.
    CKeyQueue(IQueueSync& sync, const IKeyboardLayout& layout, IKeyInjector& injector);
    CKeyQueue(const CKeyQueue&) = delete;
    CKeyQueue& operator=(const CKeyQueue&) = delete;

    // Appends a text under the mutex, then sets the event.
    void Push(std::string text);
    // Waits for the event, then moves every queued text into texts (the queue is left empty). False when the
    // worker is to end: Stop was called, or the event or mutex is gone.
    bool WaitTake(std::list<std::string>& texts);
    // Ends the worker's texts as above; a text cut short leaves no modifier down (CTRL, ALT and SHIFT are released
    // here, as its end would have done).
    void Stop();

    // What the worker compiles and plays its texts with.
    const KeyboardOutput& WorkerOutput() const { return m_WorkerOutput; }

private:
    class CGate : public IKeyboardLayout, public IKeyInjector, public IClock {
    public:
        explicit CGate(CKeyQueue& queue) : m_Queue(queue) {}
        uint16_t KeyForCharacter(char c) const override;
        uint32_t ScanCode(uint8_t vk) const override;
        int16_t KeyState(uint8_t vk) const override;
        void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extraInfo) override;
        void Sleep(unsigned milliseconds) override;

    private:
        // Calls through to the platform under the mutex unless the queue was stopped; closed otherwise.
        template <class Call, class Result>
        Result Through(Call call, Result closed) const;

        CKeyQueue& m_Queue;
    };

    void ReleaseModifiers();

    IQueueSync& m_Sync;
    const IKeyboardLayout& m_Layout;
    IKeyInjector& m_Injector;
    std::list<std::string> m_Texts;
    bool m_bPlaying = false;              // the worker took texts and has not come back for more
    std::atomic<bool> m_bStopped{false};  // set under the mutex; the sequence being played reads it without
    CGate m_Gate{*this};
    KeyboardOutput m_WorkerOutput{m_Gate, m_Gate, m_Gate, &m_bStopped};
};

// The worker thread's function: takes the queued texts and plays each completely before the next. Returns 1 at
// once without a queue, 0 when the queue tells it to end.
int KeystrokeWorker(CKeyQueue* queue);

// The worker's life: its queue's synchronisation, the queue and the thread, from start to shutdown.
class CKeystrokeSender {
public:
    // The platform's synchronisation, thread and layout; the keys go to the injector (the hook library).
    CKeystrokeSender(IKeystrokePlatform& platform, IKeyInjector& injector)
        : m_Platform(platform), m_Injector(injector) {}
    ~CKeystrokeSender() { Stop(); }
    CKeystrokeSender(const CKeystrokeSender&) = delete;
    CKeystrokeSender& operator=(const CKeystrokeSender&) = delete;

    // Makes the queue and starts the worker; false when either cannot be had (nothing is typed then).
    bool Start();
    // Queues a text in the keystroke notation; false (nothing queued) when the worker is not running.
    bool Send(const std::string& text);
    // The worker types nothing more and lets go of the platform's objects, which may go once this has returned.
    void Stop();

private:
    IKeystrokePlatform& m_Platform;
    IKeyInjector& m_Injector;
    std::unique_ptr<IQueueSync> m_pQueueSync;
    std::unique_ptr<CKeyQueue> m_pKeyQueue;
    std::unique_ptr<IWorkerThread> m_pWorker;
};
