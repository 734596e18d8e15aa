// One datagram socket on a port for every IPv4 network the PC is on, for a subsystem that searches and speaks on each
// of them: a broadcast goes out once on each network, a datagram to one address leaves on the network that holds the
// address, and whoever owns the sockets answers through the socket a question came in by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "network/NotifySocket.h"

class CNetworkSockets {
public:
    // Sets up a new socket for one of the PC's addresses (options and bind, in the owner's order); false when a step
    // fails, and the socket is then closed.
    using Opener = std::function<bool(CNotifySocket& socket, const std::string& address)>;

    // fallbackAddress: the host's own address (LocalAddress), bound alone when no network can be learnt.
    CNetworkSockets(ISocketFactory& factory, std::string fallbackAddress, Opener open);
    CNetworkSockets(const CNetworkSockets&) = delete;
    CNetworkSockets& operator=(const CNetworkSockets&) = delete;

    // Brings the sockets in line with the networks the PC is on now: a socket for each new network, whose datagrams
    // go to owner; the sockets of the networks that are gone are closed; the others stay as they are, with whatever
    // waits on them. The host's own address comes first. The number of open sockets.
    size_t Update(CSocketSink& owner);
    void CloseAll() { m_Networks.clear(); }
    size_t Count() const { return m_Networks.size(); }

    // To everybody on every network (255.255.255.255 on one, each network's broadcast address on several); whether
    // it went out on at least one.
    [[nodiscard]] bool Broadcast(const uint8_t* data, size_t size, uint16_t port);
    // Through the socket of the network that holds the address, else the first one (the system routes it on).
    [[nodiscard]] bool SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port);

    // One of the PC's addresses as the last update found them (the host's own address only while it is one of
    // them, or while the networks cannot be learnt): a PC that took an address this one left is somebody else.
    bool IsOwnAddress(const std::string& address) const;
    // The address of the first socket's network (the host's own where it is on one): the one the PC is known by.
    const std::string& FirstAddress() const;

private:
    struct Open {
        ISocketFactory::Network network;
        uint32_t prefix;  // address & mask, host order
        uint32_t mask;
        std::unique_ptr<CNotifySocket> socket;
        bool Is(const ISocketFactory::Network& other) const {
            return network.address == other.address && network.mask == other.mask;
        }
    };
    // The networks to be on, the host's own address first; one on the fallback address when none is known.
    std::vector<ISocketFactory::Network> Wanted();

    ISocketFactory& m_Factory;
    std::string m_strFallbackAddress;
    Opener m_Open;
    std::vector<Open> m_Networks;
    std::vector<std::string> m_OwnAddresses;  // of every network wanted at the last update, bound or not
};
