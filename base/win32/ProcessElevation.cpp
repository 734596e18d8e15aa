// Elevation on Windows, through functions looked up at run time.
#include "base/win32/ProcessElevation.h"

#include "base/win32/WinHandle.h"

namespace {

// From the Vista SDK; the program is built for XP's headers.
constexpr DWORD kProcessQueryLimitedInformation = 0x1000;
constexpr int kTokenElevationClass = 20;  // TokenElevation
struct TokenElevationRecord {
    DWORD TokenIsElevated;
};
constexpr DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW, per window
constexpr DWORD kMessageFilterAdd = 1;    // MSGFLT_ADD, for the process

template <typename Function>
Function LookUp(const char* module, const char* name) {
    // The modules are the program's own imports, loaded for its whole run. The entry point's type is fixed by the
    // system; the cast goes through a generic function pointer.
    HMODULE loaded = ::GetModuleHandleA(module);
    if (!loaded)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name)));
}

}  // namespace

CProcessElevation::CProcessElevation()
    : m_OpenProcess(LookUp<OpenProcessFn>("kernel32.dll", "OpenProcess")),
      m_OpenProcessToken(LookUp<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken")),
      m_GetTokenInformation(LookUp<GetTokenInformationFn>("advapi32.dll", "GetTokenInformation")),
      m_ChangeWindowMessageFilterEx(LookUp<ChangeWindowMessageFilterExFn>("user32.dll", "ChangeWindowMessageFilterEx")),
      m_ChangeWindowMessageFilter(LookUp<ChangeWindowMessageFilterFn>("user32.dll", "ChangeWindowMessageFilter")) {}

Elevation CProcessElevation::TokenElevation(HANDLE process) const {
    if (!m_OpenProcessToken || !m_GetTokenInformation)
        return Elevation::CannotTell;
    HANDLE opened = nullptr;
    if (!m_OpenProcessToken(process, TOKEN_QUERY, &opened))
        return Elevation::CannotTell;
    const CKernelHandle token(opened);
    // XP knows no such class and refuses it.
    TokenElevationRecord record{};
    DWORD size = 0;
    if (!m_GetTokenInformation(token.Get(), kTokenElevationClass, &record, sizeof(record), &size) ||
        size != sizeof(record))
        return Elevation::CannotTell;
    return record.TokenIsElevated ? Elevation::Elevated : Elevation::NotElevated;
}

Elevation CProcessElevation::OwnElevation() const { return TokenElevation(::GetCurrentProcess()); }

uint32_t CProcessElevation::WindowProcess(uintptr_t window) const {
    DWORD process = 0;
    if (window == 0 || !::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process))
        return 0;
    return process;
}

Elevation CProcessElevation::ProcessElevation(uint32_t processId) const {
    if (!m_OpenProcess || processId == 0)
        return Elevation::CannotTell;
    // The least a process may be asked with, which even an elevated one grants to one that is not (XP refuses it).
    const CKernelHandle process(m_OpenProcess(kProcessQueryLimitedInformation, FALSE, processId));
    if (!process)
        return Elevation::CannotTell;
    return TokenElevation(process.Get());
}

bool CProcessElevation::LetInFromBelow(uintptr_t window, unsigned message) {
    if (m_ChangeWindowMessageFilterEx)
        return m_ChangeWindowMessageFilterEx(reinterpret_cast<HWND>(window), message, kMessageFilterAllow, nullptr) !=
               FALSE;
    if (m_ChangeWindowMessageFilter)
        return m_ChangeWindowMessageFilter(message, kMessageFilterAdd) != FALSE;
    return false;
}
