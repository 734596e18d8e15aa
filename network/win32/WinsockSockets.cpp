// Winsock UDP sockets whose receive readiness arrives as a window message (WSAAsyncSelect) on the UI thread.
#include "network/win32/WinsockSockets.h"

#include <cstring>

#include "base/win32/WindowProc.h"
#include "network/win32/LocalAddressQuery.h"

namespace {

constexpr char kNotifyWindowClass[] = "KVLSocketNotify";

// A dotted quad, or nothing: inet_addr's INADDR_NONE is also the text "255.255.255.255", which is only ever a
// destination.
bool ParseAddress(const std::string& text, bool allowBroadcast, in_addr& address) {
    if (text.empty())
        return false;
    if (allowBroadcast && text == "255.255.255.255") {
        address.s_addr = INADDR_BROADCAST;
        return true;
    }
    const unsigned long value = ::inet_addr(text.c_str());
    if (value == INADDR_NONE)
        return false;
    address.s_addr = value;
    return true;
}

}  // namespace

CWinsockSocket::CWinsockSocket(CWinsockFactory& factory, SOCKET handle) : m_Factory(factory), m_Socket(handle) {}

CWinsockSocket::~CWinsockSocket() {
    // Notifications still queued for this handle find nothing in the factory's map and are dropped.
    m_Factory.Forget(m_Socket.Get());
}

bool CWinsockSocket::SetOption(SocketOption option, int value) {
    const int name = option == SocketOption::ReuseAddress ? SO_REUSEADDR : SO_BROADCAST;
    const BOOL flag = value ? TRUE : FALSE;
    return ::setsockopt(m_Socket.Get(), SOL_SOCKET, name, reinterpret_cast<const char*>(&flag), sizeof(flag)) == 0;
}

bool CWinsockSocket::Bind(const std::string& address, uint16_t port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = ::htons(port);
    if (!ParseAddress(address, false, local.sin_addr))
        return false;
    return ::bind(m_Socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
}

bool CWinsockSocket::SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = ::htons(port);
    if (!ParseAddress(address, true, remote.sin_addr))
        return false;
    const int sent = ::sendto(m_Socket.Get(), reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                              reinterpret_cast<const sockaddr*>(&remote), sizeof(remote));
    return sent != SOCKET_ERROR && static_cast<size_t>(sent) == size;
}

int CWinsockSocket::ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) {
    sockaddr_in remote{};
    int remoteSize = sizeof(remote);
    // A datagram longer than capacity fails with WSAEMSGSIZE (and is discarded): that is a failed receive too.
    const int received = ::recvfrom(m_Socket.Get(), reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0,
                                    reinterpret_cast<sockaddr*>(&remote), &remoteSize);
    m_bDrained = received == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK;
    if (received == SOCKET_ERROR)
        return -1;
    const char* text = ::inet_ntoa(remote.sin_addr);
    fromAddress = text ? text : "";
    fromPort = ::ntohs(remote.sin_port);
    return received;
}

CWinsockFactory::~CWinsockFactory() { DetachWindowOwner(m_Window.Get()); }

bool CWinsockFactory::EnsureWindow() {
    if (m_Window)
        return true;
    if (!RegisterClassOnce(kNotifyWindowClass, &ForwardWindowProc<CWinsockFactory>))
        return false;
    m_Window.Reset(::CreateWindowExA(0, kNotifyWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     ::GetModuleHandleA(nullptr), this));
    return static_cast<bool>(m_Window);
}

constexpr int kReceiveBufferBytes = 1 << 20;
constexpr int kDatagramsPerNotification = 256;
// A notification reads for this long at most: the window then takes what else waits (a user's keys, a repaint)
// before the next one. The tick count moves in steps of 10 to 16 ms on Windows: the performance counter tells.
constexpr LONGLONG kMicrosecondsPerNotification = 6000;

std::unique_ptr<CNotifySocket> CWinsockFactory::CreateUdpSocket() {
    if (!EnsureWindow())
        return nullptr;
    CSocketHandle handle(::socket(AF_INET, SOCK_DGRAM, 0));
    if (!handle)
        return nullptr;
    // A whole LAN answers a search within milliseconds while the window reads one datagram per notification:
    // a roomy receive buffer keeps the answers from being dropped before they are read. Best effort.
    const int receiveBuffer = kReceiveBufferBytes;
    ::setsockopt(handle.Get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                 sizeof(receiveBuffer));
    if (::WSAAsyncSelect(handle.Get(), m_Window.Get(), WM_SOCKET_NOTIFY, FD_READ) != 0)
        return nullptr;
    const SOCKET value = handle.Get();
    auto socket = std::make_unique<CWinsockSocket>(*this, handle.Release());
    m_Sockets[value] = socket.get();
    return socket;
}

std::string CWinsockFactory::ResolveHost(const std::string& name) {
    const hostent* host = name.empty() ? nullptr : ::gethostbyname(name.c_str());
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list || !host->h_addr_list[0])
        return std::string();
    in_addr address{};
    std::memcpy(&address, host->h_addr_list[0], sizeof(address));
    return ::inet_ntoa(address);
}

std::vector<ISocketFactory::Network> CWinsockFactory::Networks() { return QueryNetworks(); }

void CWinsockFactory::OnSocketNotify(SOCKET handle, LPARAM event) {
    if (WSAGETSELECTEVENT(event) != FD_READ)
        return;
    // One notification reads what is waiting, not just one datagram: when a whole LAN answers a search, a posted
    // message and its round trips to the server for each datagram cost more than the datagram itself, and the
    // answers pile up. Notifications are off while the socket is read, or every read that leaves more waiting
    // would post one more, each to find nothing. The budget keeps the window answering; whatever is left brings
    // the next notification when they are turned back on. Reads go on until one finds nothing (the socket is
    // non-blocking): asking how many bytes wait first would cost a second round trip per datagram under a flood of
    // chat, and would not see an empty datagram at the head of the queue, which only a read removes.
    auto it = m_Sockets.find(handle);
    if (it == m_Sockets.end())
        return;
    CWinsockSocket* const socket = it->second;
    ::WSAAsyncSelect(handle, m_Window.Get(), 0, 0);
    LARGE_INTEGER frequency{}, start{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    const LONGLONG budget = frequency.QuadPart * kMicrosecondsPerNotification / 1000000;
    for (int read = 0; read < kDatagramsPerNotification && ::QueryPerformanceCounter(&now) &&
                       now.QuadPart - start.QuadPart < budget;
         ++read) {
        // The owner may destroy the socket while it handles the datagram (a new one may even get its handle,
        // already set up for its own notifications): nothing touches this one after that.
        socket->Notify();
        it = m_Sockets.find(handle);
        if (it == m_Sockets.end() || it->second != socket)
            return;
        if (socket->Drained())
            break;
    }
    ::WSAAsyncSelect(handle, m_Window.Get(), WM_SOCKET_NOTIFY, FD_READ);
}

LRESULT CWinsockFactory::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SOCKET_NOTIFY) {
        OnSocketNotify(static_cast<SOCKET>(wParam), lParam);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
