// The hook library's window messages to the main window, unpacked for the assistant: WM_COPYDATA carrying one
// report, the notify message that announces queued reports, and the library's registered message.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "assistant/KeyRelay.h"
#include "base/MessageRouter.h"

class CHookMessages : public IMessageHandler, public IHookReports {
public:
    CHookMessages();

    void Connect(IHookReceiver* receiver) override { m_pReceiver = receiver; }
    bool OnMessage(const WindowMessage& message, intptr_t& result) override;

private:
    IHookReceiver* m_pReceiver = nullptr;
    UINT m_nInMessage;  // "UWM_KEYRELAY_IN_MSG-keyRelay"
};
