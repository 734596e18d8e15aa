// The hook library's window messages to the main window.
#include "assistant/win32/HookMessages.h"

#include <cstring>

#include "res/resource.h"

static_assert(WM_KEYRELAY_NOTIFY == KEYRELAY_NOTIFY_MESSAGE, "the hook library announces its reports with this");

CHookMessages::CHookMessages() : m_nInMessage(::RegisterWindowMessageA(KEYRELAY_IN_MESSAGE_NAME)) {}

bool CHookMessages::OnMessage(const WindowMessage& message, intptr_t& result) {
    if (message.message == WM_COPYDATA) {
        // The game's thread waits in this send: the record is only queued here. Anything but one whole record is
        // refused without reading it: a descriptor's length says how much its pointer may be read.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(message.lParam);
        result = FALSE;
        if (!data || data->cbData != sizeof(HookEvent) || !data->lpData || !m_pReceiver)
            return true;
        HookEvent event;
        memcpy(&event, data->lpData, sizeof(event));
        m_pReceiver->QueueHookEvent(event);
        result = TRUE;
        return true;
    }
    if (message.message == WM_KEYRELAY_NOTIFY) {
        if (m_pReceiver)
            m_pReceiver->DrainHookEvents();
        result = 0;
        return true;
    }
    if (m_nInMessage != 0 && message.message == m_nInMessage) {
        result = 0;
        return true;
    }
    return false;
}
