// The thread owner's entry point.
#include "base/win32/Sync.h"

#include <exception>

#include "base/win32/WindowProc.h"

bool CThread::Start(std::function<void()> body) {
    if (m_Handle.Valid() || !body)
        return false;
    m_Body = std::move(body);
    DWORD id = 0;
    m_Handle.Reset(::CreateThread(nullptr, 0, &CThread::Entry, this, 0, &id));
    return m_Handle.Valid();
}

bool CThread::Join(DWORD milliseconds) noexcept {
    if (!m_Handle.Valid())
        return true;
    return ::WaitForSingleObject(m_Handle.Get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD WINAPI CThread::Entry(LPVOID parameter) noexcept {
    auto* self = static_cast<CThread*>(parameter);
    try {
        self->m_Body();
    } catch (const std::exception& fault) {
        ReportCaughtFault("thread", &fault);
    } catch (...) {
        ReportCaughtFault("thread", nullptr);
    }
    return 0;
}
