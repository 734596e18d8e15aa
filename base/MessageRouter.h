// Window messages of the main window that belong to a subsystem (a hook's reports, a peer's notices, registered
// messages): the main window hands every message it does not handle itself to the router, which offers it to the
// registered handlers in the order they were added until one takes it. The portable core cannot name the platform's
// types, so a message travels as integers of pointer size.
#pragma once

#include <cstdint>
#include <vector>

struct WindowMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class IMessageHandler {
public:
    virtual ~IMessageHandler() = default;
    // True when the message was handled; result is then the message's result.
    virtual bool OnMessage(const WindowMessage& message, intptr_t& result) = 0;
};

class CMessageRouter {
public:
    void Add(IMessageHandler& handler) { m_Handlers.push_back(&handler); }
    bool Route(const WindowMessage& message, intptr_t& result) const {
        for (IMessageHandler* handler : m_Handlers)
            if (handler->OnMessage(message, result))
                return true;
        return false;
    }

private:
    std::vector<IMessageHandler*> m_Handlers;
};
