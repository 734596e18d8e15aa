// The sockets of a subsystem that speaks on every network the PC is on.
#include "network/NetworkSockets.h"

#include <algorithm>
#include <utility>

#include "network/LocalAddress.h"

namespace {

constexpr const char* LIMITED_BROADCAST = "255.255.255.255";

}  // namespace

CNetworkSockets::CNetworkSockets(ISocketFactory& factory, std::string fallbackAddress, Opener open)
    : m_Factory(factory),
      m_strFallbackAddress(std::move(fallbackAddress)),
      m_Open(std::move(open)),
      m_OwnAddresses{m_strFallbackAddress} {}

std::vector<ISocketFactory::Network> CNetworkSockets::Wanted() {
    std::vector<ISocketFactory::Network> wanted;
    for (ISocketFactory::Network& network : m_Factory.Networks()) {
        uint32_t address, mask;
        if (!ParseDottedQuad(network.address, address) || !ParseDottedQuad(network.mask, mask))
            continue;
        // Listed once each, the host's own address first: on a PC with one network it is the one network.
        const auto same = [&](const ISocketFactory::Network& n) { return n.address == network.address; };
        if (std::any_of(wanted.begin(), wanted.end(), same))
            continue;
        if (network.address == m_strFallbackAddress)
            wanted.insert(wanted.begin(), std::move(network));
        else
            wanted.push_back(std::move(network));
    }
    if (wanted.empty())
        wanted.push_back(ISocketFactory::Network{m_strFallbackAddress, "255.255.255.255"});
    return wanted;
}

size_t CNetworkSockets::Update(CSocketSink& owner) {
    const std::vector<ISocketFactory::Network> wanted = Wanted();
    m_OwnAddresses.clear();
    for (const ISocketFactory::Network& network : wanted)
        m_OwnAddresses.push_back(network.address);
    const auto isWanted = [&wanted](const Open& open) {
        return std::any_of(wanted.begin(), wanted.end(), [&](const ISocketFactory::Network& n) { return open.Is(n); });
    };
    // The sockets of networks that are gone close before new ones bind: a network whose mask changed binds its
    // address again.
    std::vector<Open> previous = std::move(m_Networks);
    previous.erase(std::remove_if(previous.begin(), previous.end(), [&](const Open& o) { return !isWanted(o); }),
                   previous.end());
    m_Networks.clear();
    for (const ISocketFactory::Network& network : wanted) {
        const auto same = std::find_if(previous.begin(), previous.end(), [&](const Open& o) { return o.Is(network); });
        if (same != previous.end()) {
            m_Networks.push_back(std::move(*same));  // with whatever waits on it
            continue;
        }
        std::unique_ptr<CNotifySocket> socket = m_Factory.CreateUdpSocket();
        if (!socket || !m_Open(*socket, network.address))
            continue;  // this network is left out until the next update; the others are not affected
        socket->owner = &owner;
        uint32_t address = 0, mask = 0;
        ParseDottedQuad(network.address, address);
        ParseDottedQuad(network.mask, mask);
        m_Networks.push_back(Open{network, address & mask, mask, std::move(socket)});
    }
    return m_Networks.size();
}

bool CNetworkSockets::Broadcast(const uint8_t* data, size_t size, uint16_t port) {
    // On one network the limited broadcast, as ever. On several, each network's own broadcast address: the system
    // routes it out of that network's adapter by its destination, on every version of Windows, where the limited
    // broadcast may leave by one adapter only whatever the socket is bound to.
    const bool several = m_Networks.size() > 1;
    bool sent = false;
    for (Open& open : m_Networks) {
        const std::string to = several ? FormatDottedQuad(open.prefix | ~open.mask) : std::string(LIMITED_BROADCAST);
        sent = open.socket->SendTo(data, size, to, port) || sent;
    }
    return sent;
}

bool CNetworkSockets::SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) {
    if (m_Networks.empty())
        return false;
    uint32_t to = 0;
    const bool parsed = ParseDottedQuad(address, to);
    auto through = std::find_if(m_Networks.begin(), m_Networks.end(),
                                [&](const Open& open) { return parsed && (to & open.mask) == open.prefix; });
    if (through == m_Networks.end())
        through = m_Networks.begin();
    return through->socket->SendTo(data, size, address, port);
}

bool CNetworkSockets::IsOwnAddress(const std::string& address) const {
    return std::find(m_OwnAddresses.begin(), m_OwnAddresses.end(), address) != m_OwnAddresses.end();
}

const std::string& CNetworkSockets::FirstAddress() const {
    return m_Networks.empty() ? m_strFallbackAddress : m_Networks.front().network.address;
}
