// Window, dialog and subclass procedures written once: each forwards to a member handler of the object that owns the
// window, and no exception ever crosses into the system's code (it is reported to the debug output instead).
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <exception>

// Reports an exception caught at the edge of a window procedure or a thread; where names its owner.
void ReportCaughtFault(const char* where, const std::exception* fault) noexcept;

// Registers a window class of this module once; true when the class exists afterwards.
bool RegisterClassOnce(const char* className, WNDPROC procedure);
// The same for a class with styles, cursor or background of its own; cbSize and hInstance are filled in here.
bool RegisterClassOnce(WNDCLASSEXA windowClass);

// WNDPROC for a class whose windows are created with their owner T as the creation parameter; T has
// LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM). Windows created without an owner get the default handling.
template <typename T>
LRESULT CALLBACK ForwardWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        if (auto* self = reinterpret_cast<T*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            return self->HandleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception& fault) {
        ReportCaughtFault(T::kFaultName, &fault);
    } catch (...) {
        ReportCaughtFault(T::kFaultName, nullptr);
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// The owner of a window made by ForwardWindowProc forgets it: later messages (the window's destruction) get the
// default handling.
inline void DetachWindowOwner(HWND hwnd) noexcept {
    if (hwnd)
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

// DLGPROC for a dialog created with its owner T as the init parameter; T has INT_PTR HandleMessage(UINT, WPARAM,
// LPARAM) and void OnAttach(HWND) / OnDetach(), called at WM_INITDIALOG and WM_NCDESTROY.
template <typename T>
INT_PTR CALLBACK ForwardDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
            reinterpret_cast<T*>(lParam)->OnAttach(hwnd);
        }
        auto* self = reinterpret_cast<T*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self)
            return FALSE;
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->OnDetach();
            return FALSE;
        }
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& fault) {
        ReportCaughtFault(T::kFaultName, &fault);
    } catch (...) {
        ReportCaughtFault(T::kFaultName, nullptr);
    }
    return FALSE;
}

// SUBCLASSPROC for a control subclassed with its owner T as the reference data; T has
// LRESULT HandleSubclassMessage(HWND, UINT, WPARAM, LPARAM) and void OnControlDestroyed(HWND). The subclass removes
// itself when the control is destroyed.
template <typename T, UINT_PTR Id>
LRESULT CALLBACK ForwardSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<T*>(data);
    try {
        if (message == WM_NCDESTROY) {
            ::RemoveWindowSubclass(hwnd, &ForwardSubclassProc<T, Id>, Id);
            if (self)
                self->OnControlDestroyed(hwnd);
            return ::DefSubclassProc(hwnd, message, wParam, lParam);
        }
        if (self)
            return self->HandleSubclassMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception& fault) {
        ReportCaughtFault(T::kFaultName, &fault);
    } catch (...) {
        ReportCaughtFault(T::kFaultName, nullptr);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
