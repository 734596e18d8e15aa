// The keyboard-hook library keyRelay: its exported operations (the records and values it shares with the main
// program are in HookRecords.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "HookRecords.h"

// Exported functions carry this; the library itself is built with KEYRELAY_BUILD.
#ifdef KEYRELAY_BUILD
#define KEYRELAY_API __declspec(dllexport)
#else
#define KEYRELAY_API __declspec(dllimport)
#endif

#ifdef _WIN32
#include <windows.h>

extern "C" {
// Installs the system-wide message hook for notify; 0 when a notify window is set already (whichever process set
// it) or the hook cannot be installed.
KEYRELAY_API BOOL keyRelaySetHook(HWND notify);
// Removes this process's hook and, when that succeeds, clears the notify window. The argument is not used.
KEYRELAY_API BOOL keyRelayRemoveHook(HWND notify);
KEYRELAY_API void keyRelaySetKeyMode(int mode);
// vk: 0 to 255. keyRelayRemoveKey(0) clears the whole table.
KEYRELAY_API void keyRelayAddKey(unsigned short vk);
KEYRELAY_API void keyRelayRemoveKey(unsigned short vk);
// keybd_event with the same arguments (flag 1 extended key, flag 2 key up).
KEYRELAY_API void keyRelayKeybdEvent(unsigned char vk, unsigned char scan, unsigned long flags,
                                     unsigned long extraInfo);
KEYRELAY_API int fnkeyRelay(void);
KEYRELAY_API extern int nkeyRelay;
}

class KEYRELAY_API CkeyRelay {
public:
    CkeyRelay();
    CkeyRelay& operator=(const CkeyRelay&);
};
#endif
