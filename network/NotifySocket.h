// The asynchronous UDP socket shared by the game monitor and the peer messenger, and its owner interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CNotifySocket;

// Owner of a socket: told each time a datagram is waiting on it.
class CSocketSink {
public:
    virtual ~CSocketSink() = default;
    virtual int OnDatagram(CNotifySocket& socket) {
        (void)socket;
        return 0;
    }
};

enum class SocketOption { ReuseAddress, Broadcast };

// A UDP socket whose receive notifications arrive on the user-interface thread. Destroying it closes it.
class CNotifySocket {
public:
    virtual ~CNotifySocket() = default;

    // Set by the owner once the socket is created, configured and bound.
    CSocketSink* owner = nullptr;

    [[nodiscard]] virtual bool SetOption(SocketOption option, int value) = 0;
    [[nodiscard]] virtual bool Bind(const std::string& address, uint16_t port) = 0;
    [[nodiscard]] virtual bool SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) = 0;
    // Reads one datagram of at most capacity bytes; its length, or -1 on failure (also when it was longer).
    virtual int ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) = 0;

    // A receive notification: the owner reads; the socket reads nothing itself.
    void Notify() {
        if (owner)
            owner->OnDatagram(*this);
    }
};

class ISocketFactory {
public:
    virtual ~ISocketFactory() = default;
    // A new asynchronous UDP socket, or null when none can be made.
    virtual std::unique_ptr<CNotifySocket> CreateUdpSocket() = 0;
    // The IPv4 address of a host name as dotted-quad text, as the platform's resolver answers; empty when it has none.
    virtual std::string ResolveHost(const std::string& name) = 0;
    // The IPv4 networks the PC is on now, in the system's order: the PC's address on each interface that is up, is
    // not loopback and has a broadcast address, with the network's mask (dotted quads). Empty when they cannot be
    // learnt.
    struct Network {
        std::string address;
        std::string mask;
    };
    virtual std::vector<Network> Networks() = 0;
};
