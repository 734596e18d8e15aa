// Winsock UDP sockets whose receive readiness arrives as a window message (WSAAsyncSelect) on the UI thread.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <map>
#include <memory>

#include "base/win32/WinHandle.h"
#include "network/NotifySocket.h"

class CWinsockFactory;

class CWinsockSocket : public CNotifySocket {
public:
    CWinsockSocket(CWinsockFactory& factory, SOCKET handle);
    ~CWinsockSocket() override;

    [[nodiscard]] bool SetOption(SocketOption option, int value) override;
    [[nodiscard]] bool Bind(const std::string& address, uint16_t port) override;
    [[nodiscard]] bool SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) override;
    int ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) override;

    SOCKET Handle() const { return m_Socket.Get(); }
    // Whether the last receive found nothing waiting.
    bool Drained() const { return m_bDrained; }

private:
    CWinsockFactory& m_Factory;
    CSocketHandle m_Socket;
    bool m_bDrained = false;
};

// Makes the sockets and owns the hidden message-only window that their notifications arrive at. It must outlive
// every socket it made.
class CWinsockFactory : public ISocketFactory {
public:
    static constexpr UINT WM_SOCKET_NOTIFY = WM_APP + 100;

    CWinsockFactory() = default;
    ~CWinsockFactory() override;
    CWinsockFactory(const CWinsockFactory&) = delete;
    CWinsockFactory& operator=(const CWinsockFactory&) = delete;

    std::unique_ptr<CNotifySocket> CreateUdpSocket() override;
    std::string ResolveHost(const std::string& name) override;
    std::vector<Network> Networks() override;

    static constexpr const char* kFaultName = "socket notifications";
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class CWinsockSocket;
    void Forget(SOCKET handle) { m_Sockets.erase(handle); }
    bool EnsureWindow();
    void OnSocketNotify(SOCKET handle, LPARAM event);

    CWindowHandle m_Window;
    std::map<SOCKET, CWinsockSocket*> m_Sockets;
};
