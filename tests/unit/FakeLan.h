// The LAN as the program's sockets see it (ISocketFactory and its sockets), for the unit tests and the native
// benchmarks: every call in order in a log, everything sent, each socket found by the port and address it is bound
// to, and a failure of any step on request. A datagram reaches the socket bound where it is addressed, at once with
// its notification (Deliver) or read when the socket is next notified (Queue). With localAddress set, what is sent to
// this host (a broadcast, or one of its addresses) comes back later, as the socket layer posts its notifications
// (Pump() delivers it): a broadcast to the socket that sent it, from that socket's address (localAddress on a PC
// whose networks are not listed).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gamemon/GameDatagrams.h"
#include "network/LocalAddress.h"
#include "network/NotifySocket.h"

namespace kvltest {

using Bytes = std::vector<uint8_t>;

struct SentDatagram {
    Bytes bytes;
    std::string address;
    uint16_t port;
    std::string from;  // the address of the socket it left by
};

class LanSocket;

class FakeLan : public ISocketFactory {
public:
    std::unique_ptr<CNotifySocket> CreateUdpSocket() override;
    std::vector<Network> Networks() override { return networks; }
    std::string ResolveHost(const std::string& name) override {
        const auto found = hostNames.find(name);
        return found != hostNames.end() ? found->second : std::string();
    }

    // The datagram waits at the socket bound to port on address `at` (else the first bound there) until that socket
    // reads; false, and it is dropped, when no socket is bound there.
    bool Queue(const Bytes& bytes, const std::string& from, uint16_t port = GAME_SEARCH_PORT,
               const std::string& at = std::string());
    // The same, and that socket's notification now.
    void Deliver(const Bytes& bytes, const std::string& from, uint16_t port = GAME_SEARCH_PORT,
                 const std::string& at = std::string());
    // A receive that fails in the socket layer.
    void DeliverFailure(uint16_t port = GAME_SEARCH_PORT);
    // Each socket's notification until it has read what was queued for it.
    void DeliverQueued();
    // Datagrams and failures that Deliver and DeliverFailure found no socket for (dropped).
    int undelivered = 0;
    // Delivers the echoes of our own sends, in order, until none is left (answers to answers included).
    void Pump();

    int Sends(uint16_t port) const {
        return static_cast<int>(
            std::count_if(sent.begin(), sent.end(), [port](const SentDatagram& d) { return d.port == port; }));
    }
    std::vector<SentDatagram> SentTo(uint16_t port) const {
        std::vector<SentDatagram> out;
        std::copy_if(sent.begin(), sent.end(), std::back_inserter(out),
                     [port](const SentDatagram& d) { return d.port == port; });
        return out;
    }
    LanSocket* BoundAt(uint16_t port, const std::string& address) const;
    size_t BoundCount(uint16_t port) const;
    // Datagrams that wait at the open sockets.
    size_t Unread() const;
    // The broadcast address of the listed network that holds this address; empty when none does.
    std::string BroadcastOf(const std::string& address) const {
        uint32_t a = 0, m = 0;
        for (const Network& n : networks)
            if (n.address == address && ParseDottedQuad(n.address, a) && ParseDottedQuad(n.mask, m))
                return FormatDottedQuad(a | ~m);
        return std::string();
    }

    bool failCreate = false;
    bool failBind = false;
    std::set<std::string> failBindAddresses;
    std::set<SocketOption> failOptions;
    std::set<uint16_t> failSendPorts;
    std::string localAddress;                      // empty: nothing comes back
    std::map<std::string, std::string> hostNames;  // what the resolver knows
    std::vector<Network> networks;                 // the PC's networks; none: they cannot be learnt
    // Off in the benchmarks, which time the code under test and not its fake: no log, nothing kept of what is sent,
    // no look at receive buffers.
    bool record = true;

    // "create", "reuseaddr 1", "broadcast 1", "bind ADDRESS:PORT", "send ADDRESS:PORT", "close N" (N counts the
    // sockets made, from 1), in the order they were asked.
    std::vector<std::string> log;
    std::vector<SentDatagram> sent;
    std::vector<LanSocket*> sockets;  // the open ones, oldest first
    int made = 0;
    int closed = 0;
    CSocketSink* ownerAtBind = nullptr;  // the owner the socket had at the last bind and the last send
    CSocketSink* ownerAtSend = nullptr;
    size_t lastCapacity = 0;    // of the last receive
    bool buffersZeroed = true;  // every inspected receive found its buffer zeroed

private:
    friend class LanSocket;
    // What arrived at a socket, read in order: the bytes of all of it in one block, so that neither taking a
    // datagram in nor reading it nor closing the socket costs an allocation per datagram (the benchmarks time
    // reading and closing).
    class Inbox {
    public:
        struct Waiting {
            size_t offset, size;  // in bytes
            std::string from;     // an address: short enough never to allocate
            uint16_t port;
            bool fail;
        };
        void Take(const Bytes& datagram, const std::string& from, uint16_t port, bool fail) {
            if (Unread() == 0) {
                waiting.clear();
                bytes.clear();
                read = 0;
            }
            waiting.push_back({bytes.size(), datagram.size(), from, port, fail});
            bytes.insert(bytes.end(), datagram.begin(), datagram.end());
        }
        size_t Unread() const { return waiting.size() - read; }

        std::vector<Waiting> waiting;
        Bytes bytes;
        size_t read = 0;
    };
    struct Echo {
        Bytes bytes;
        std::string from;
        uint16_t port;
        std::string at;  // the address of the socket it comes back to
    };
    // The socket bound to port on address `at`, else the first bound to port.
    LanSocket* Route(uint16_t port, const std::string& at) const;
    // The datagram at its socket, now notified; false when there is none.
    bool Arrive(const Bytes& bytes, const std::string& from, uint16_t port, const std::string& at);
    std::deque<Echo> m_Echoes;
};

class LanSocket : public CNotifySocket {
public:
    explicit LanSocket(FakeLan& lan) : m_Lan(lan), m_nId(++lan.made) { lan.sockets.push_back(this); }
    ~LanSocket() override {
        if (m_Lan.record)
            m_Lan.log.push_back("close " + std::to_string(m_nId));
        ++m_Lan.closed;
        m_Lan.sockets.erase(std::find(m_Lan.sockets.begin(), m_Lan.sockets.end(), this));
    }
    bool SetOption(SocketOption option, int value) override {
        if (m_Lan.record)
            m_Lan.log.push_back(std::string(option == SocketOption::Broadcast ? "broadcast " : "reuseaddr ") +
                                std::to_string(value));
        return m_Lan.failOptions.count(option) == 0;
    }
    bool Bind(const std::string& address, uint16_t port) override {
        if (m_Lan.record)
            m_Lan.log.push_back("bind " + address + ":" + std::to_string(port));
        m_Lan.ownerAtBind = owner;
        if (m_Lan.failBind || m_Lan.failBindAddresses.count(address))
            return false;
        m_bBound = true;
        m_nPort = port;
        m_strAddress = address;
        return true;
    }
    bool SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) override;
    int ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) override;

    int Id() const { return m_nId; }
    // A datagram that waits here, bound or not, until the socket reads.
    void Queue(const Bytes& bytes, const std::string& from, uint16_t port) { m_Inbox.Take(bytes, from, port, false); }
    size_t Unread() const { return m_Inbox.Unread(); }
    // Notifies the socket until it has read what waits for it (or a notification reads nothing).
    void DeliverQueued() {
        for (size_t before = Unread(); before > 0; before = Unread()) {
            Notify();
            if (Unread() == before)
                return;
        }
    }

private:
    friend class FakeLan;

    FakeLan& m_Lan;
    const int m_nId;
    bool m_bBound = false;
    uint16_t m_nPort = 0;
    std::string m_strAddress;  // where it is bound
    FakeLan::Inbox m_Inbox;
};

inline std::unique_ptr<CNotifySocket> FakeLan::CreateUdpSocket() {
    if (record)
        log.push_back("create");
    if (failCreate)
        return nullptr;
    return std::make_unique<LanSocket>(*this);
}

inline LanSocket* FakeLan::BoundAt(uint16_t port, const std::string& address) const {
    for (LanSocket* s : sockets)
        if (s->m_bBound && s->m_nPort == port && s->m_strAddress == address)
            return s;
    return nullptr;
}

inline size_t FakeLan::BoundCount(uint16_t port) const {
    return static_cast<size_t>(std::count_if(sockets.begin(), sockets.end(),
                                             [port](LanSocket* s) { return s->m_bBound && s->m_nPort == port; }));
}

inline size_t FakeLan::Unread() const {
    size_t unread = 0;
    for (const LanSocket* s : sockets)
        unread += s->Unread();
    return unread;
}

inline LanSocket* FakeLan::Route(uint16_t port, const std::string& at) const {
    if (LanSocket* socket = BoundAt(port, at))
        return socket;
    for (LanSocket* socket : sockets)
        if (socket->m_bBound && socket->m_nPort == port)
            return socket;
    return nullptr;
}

inline bool FakeLan::Queue(const Bytes& bytes, const std::string& from, uint16_t port, const std::string& at) {
    LanSocket* socket = Route(port, at);
    if (socket)
        socket->m_Inbox.Take(bytes, from, port, false);
    return socket != nullptr;
}

inline bool FakeLan::Arrive(const Bytes& bytes, const std::string& from, uint16_t port, const std::string& at) {
    LanSocket* socket = Route(port, at);
    if (socket) {
        socket->m_Inbox.Take(bytes, from, port, false);
        socket->Notify();
    }
    return socket != nullptr;
}

inline void FakeLan::Deliver(const Bytes& bytes, const std::string& from, uint16_t port, const std::string& at) {
    if (!Arrive(bytes, from, port, at))
        ++undelivered;
}

inline void FakeLan::DeliverFailure(uint16_t port) {
    if (LanSocket* socket = Route(port, std::string())) {
        socket->m_Inbox.Take(Bytes(), std::string(), port, true);
        socket->Notify();
    } else {
        ++undelivered;
    }
}

inline void FakeLan::DeliverQueued() {
    for (size_t i = 0; i < sockets.size(); ++i)
        sockets[i]->DeliverQueued();
}

inline void FakeLan::Pump() {
    while (!m_Echoes.empty()) {
        Echo next = std::move(m_Echoes.front());
        m_Echoes.pop_front();
        (void)Arrive(next.bytes, next.from, next.port, next.at);  // an echo for a socket that has gone is lost
    }
}

inline bool LanSocket::SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) {
    if (m_Lan.record) {
        m_Lan.log.push_back("send " + address + ":" + std::to_string(port));
        m_Lan.ownerAtSend = owner;
        m_Lan.sent.push_back({Bytes(data, data + size), address, port, m_strAddress});
    }
    if (m_Lan.failSendPorts.count(port))
        return false;
    if (m_Lan.localAddress.empty())
        return true;
    const std::string from = m_Lan.networks.empty() ? m_Lan.localAddress : m_strAddress;
    const bool toUs = address == m_Lan.localAddress || m_Lan.BoundAt(port, address) != nullptr;
    if (address == "255.255.255.255" || address == m_Lan.BroadcastOf(m_strAddress))
        m_Lan.m_Echoes.push_back({Bytes(data, data + size), from, port, m_strAddress});
    else if (toUs)
        m_Lan.m_Echoes.push_back({Bytes(data, data + size), from, port, address});
    return true;
}

inline int LanSocket::ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) {
    if (m_Lan.record) {
        m_Lan.lastCapacity = capacity;
        if (std::any_of(buffer, buffer + capacity, [](uint8_t b) { return b != 0; }))
            m_Lan.buffersZeroed = false;
    }
    if (Unread() == 0)
        return -1;
    const FakeLan::Inbox::Waiting& next = m_Inbox.waiting[m_Inbox.read++];
    if (next.fail || next.size > capacity)
        return -1;
    if (next.size > 0)
        std::memcpy(buffer, m_Inbox.bytes.data() + next.offset, next.size);
    fromAddress = next.from;
    fromPort = next.port;
    return static_cast<int>(next.size);
}

}  // namespace kvltest
