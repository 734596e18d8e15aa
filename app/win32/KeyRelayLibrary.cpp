// The hook library's exports behind the assistant's interface.
#include "app/win32/KeyRelayLibrary.h"

#include "keyRelay.h"

static_assert(KEYEVENT_EXTENDED == KEYEVENTF_EXTENDEDKEY && KEYEVENT_KEYUP == KEYEVENTF_KEYUP,
              "the played events' flags are keybd_event's");
static_assert(VKEY_SHIFT == VK_SHIFT && VKEY_CTRL == VK_CONTROL && VKEY_ALT == VK_MENU, "the modifiers' keys");

bool CKeyRelayLibrary::SetHook() { return m_hOwner && keyRelaySetHook(m_hOwner) != FALSE; }

bool CKeyRelayLibrary::RemoveHook() { return keyRelayRemoveHook(m_hOwner) != FALSE; }

void CKeyRelayLibrary::SetKeyMode(int32_t mode) { keyRelaySetKeyMode(mode); }

void CKeyRelayLibrary::AddKey(uint16_t vk) { keyRelayAddKey(vk); }

void CKeyRelayLibrary::RemoveKey(uint16_t vk) { keyRelayRemoveKey(vk); }

void CKeyRelayLibrary::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extraInfo) {
    keyRelayKeybdEvent(vk, scan, flags, extraInfo);
}
