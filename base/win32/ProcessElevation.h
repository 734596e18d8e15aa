// Elevation on Windows: the token of a process asked for TokenElevation, and the message filter of an elevated
// window. Every function that Windows XP lacks, or that means nothing there, is looked up by name when the object is
// made, so that the program still starts there (and concludes nothing: every answer is "cannot tell").
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "base/ProcessElevation.h"

class CProcessElevation : public IProcessElevation {
public:
    CProcessElevation();

    Elevation OwnElevation() const override;
    uint32_t WindowProcess(uintptr_t window) const override;
    Elevation ProcessElevation(uint32_t processId) const override;
    bool LetInFromBelow(uintptr_t window, unsigned message) override;

private:
    using OpenProcessFn = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);
    using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
    using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD, PDWORD);
    using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT, DWORD);

    Elevation TokenElevation(HANDLE process) const;

    OpenProcessFn m_OpenProcess = nullptr;
    OpenProcessTokenFn m_OpenProcessToken = nullptr;
    GetTokenInformationFn m_GetTokenInformation = nullptr;
    ChangeWindowMessageFilterExFn m_ChangeWindowMessageFilterEx = nullptr;  // Windows 7 and later: per window
    ChangeWindowMessageFilterFn m_ChangeWindowMessageFilter = nullptr;      // Vista: for the whole process
};
