// Virtual-key codes that the portable core acts on. They are the platform's own values; the Win32 layer checks them
// against <windows.h> where it hands keys over.
#pragma once

enum : int {
    KEY_TAB = 0x09,
    KEY_ESCAPE = 0x1B,
    KEY_PAGE_UP = 0x21,
    KEY_PAGE_DOWN = 0x22,
    KEY_END = 0x23,
    KEY_HOME = 0x24,
    KEY_LEFT = 0x25,
    KEY_UP = 0x26,
    KEY_RIGHT = 0x27,
    KEY_DOWN = 0x28,
    KEY_INSERT = 0x2D,
    KEY_DELETE = 0x2E,
    KEY_F5 = 0x74,
};
