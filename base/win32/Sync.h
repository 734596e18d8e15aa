// Owners of the kernel's synchronisation objects and of a thread. The toolchain's thread model has neither
// std::thread nor std::mutex, so these stand in for them: events, mutexes with a scoped lock, and one thread that
// runs a function and never lets an exception escape into the system.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>

#include "base/win32/WinHandle.h"

class CEvent {
public:
    // An unnamed event, not signalled; auto-reset unless manualReset.
    explicit CEvent(bool manualReset = false) noexcept
        : m_Handle(::CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr)) {}

    bool Valid() const noexcept { return m_Handle.Valid(); }
    HANDLE Get() const noexcept { return m_Handle.Get(); }
    bool Set() noexcept { return ::SetEvent(m_Handle.Get()) != FALSE; }
    // True when signalled within the time (INFINITE waits for good).
    bool Wait(DWORD milliseconds = INFINITE) noexcept {
        return ::WaitForSingleObject(m_Handle.Get(), milliseconds) == WAIT_OBJECT_0;
    }
    void Close() noexcept { m_Handle.Reset(); }

private:
    CKernelHandle m_Handle;
};

class CMutex {
public:
    CMutex() noexcept : m_Handle(::CreateMutexA(nullptr, FALSE, nullptr)) {}

    bool Valid() const noexcept { return m_Handle.Valid(); }
    HANDLE Get() const noexcept { return m_Handle.Get(); }
    // An abandoned mutex (its owner thread ended holding it) is ours all the same.
    bool Lock() noexcept {
        const DWORD result = ::WaitForSingleObject(m_Handle.Get(), INFINITE);
        return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    void Unlock() noexcept { ::ReleaseMutex(m_Handle.Get()); }
    void Close() noexcept { m_Handle.Reset(); }

private:
    CKernelHandle m_Handle;
};

// Holds a mutex for its scope.
class CMutexLock {
public:
    explicit CMutexLock(CMutex& mutex) noexcept : m_Mutex(mutex), m_bLocked(mutex.Lock()) {}
    ~CMutexLock() {
        if (m_bLocked)
            m_Mutex.Unlock();
    }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

    bool Locked() const noexcept { return m_bLocked; }

private:
    CMutex& m_Mutex;
    bool m_bLocked;
};

// One thread running a function. The owner decides how the function learns to stop; the destructor only closes
// the handle (a thread that is still running goes on until its function returns or the process ends).
class CThread {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts body on a new thread; false when the thread could not be made (or one was started already).
    bool Start(std::function<void()> body);
    bool Running() const noexcept { return m_Handle.Valid(); }
    HANDLE Get() const noexcept { return m_Handle.Get(); }
    // True when the thread has ended within the time.
    bool Join(DWORD milliseconds = INFINITE) noexcept;

private:
    static DWORD WINAPI Entry(LPVOID parameter) noexcept;

    std::function<void()> m_Body;
    CKernelHandle m_Handle;
};
