// The messenger: a UDP socket on port 6666 on every network the PC is on, for the whole run (networks that come and
// go are followed at each refresh). It always answers queries with our presence and hands every message to its
// owner; during a refresh it collects the presences that answer its query, one per address, and ourselves once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/AppContext.h"
#include "base/GameWindow.h"
#include "network/NetworkSockets.h"
#include "network/NotifySocket.h"
#include "peer/PeerDatagrams.h"

// What the owner is told. data points into the communicator's receive buffer and is valid only while the owner
// handles the notice; it is null for a newer-version notice.
struct PeerNotice {
    char address[32];
    int32_t length;  // the received length, never more than the receive buffer holds
    const uint8_t* data;
};

enum : intptr_t {
    PEER_NOTICE_MESSAGE = 0,
    PEER_NOTICE_NEWER_VERSION = 777,
};

// The owner of the communicator's notices (the main window). Called synchronously, on the thread that reads the
// socket, before the communicator goes on.
class IPeerNoticeSink {
public:
    virtual ~IPeerNoticeSink() = default;
    virtual void OnPeerNotice(const PeerNotice& notice, intptr_t kind) = 0;
};

class CCommunicator : public CSocketSink {
public:
    // Newer-version notices given in one run; later ones are dropped.
    static constexpr int NEWER_VERSION_NOTICES = 10;

    // bindAddress: the host's own address (LocalAddress), bound alone when the PC's networks cannot be learnt.
    // settings: Name and Sign are read at every presence sent.
    CCommunicator(ISocketFactory& factory, std::string bindAddress, const SettingsRecord& settings,
                  const IWindowFinder& windows);
    ~CCommunicator() override;
    CCommunicator(const CCommunicator&) = delete;
    CCommunicator& operator=(const CCommunicator&) = delete;

    // Opens the sockets for the whole run: 0, or -1 when none could be opened (then nothing is ever received).
    [[nodiscard]] int Start();
    // Set once Start has succeeded; null: notices are dropped.
    void SetOwner(IPeerNoticeSink* owner) { ownerWindow = owner; }

    // Follows the networks that came or went, then queries each: 0, or -1 when the query went out on none.
    [[nodiscard]] int BeginRefresh();
    void EndRefresh() { m_bRefreshing = false; }
    bool IsRefreshing() const { return m_bRefreshing; }

    // address empty: to everybody (type 2, broadcast on each network); else type 3 to that address. The outcome is
    // not reported.
    void SendText(const std::string& address, const std::string& text);
    void SendPresence(const std::string& address);

    // Our own addresses all give our own entry's name.
    std::string NameByAddress(const std::string& address) const;
    // One of this PC's addresses (the user listed with it is ourselves).
    bool IsOwnAddress(const std::string& address) const { return m_Sockets.IsOwnAddress(address); }
    bool FindUser(const std::string& address) const { return m_UsersByAddress.count(address) != 0; }
    const std::vector<std::unique_ptr<PeerUser>>& Users() const { return users; }

    int OnDatagram(CNotifySocket& socket) override;

private:
    void ClearUsers();
    void AddUser(const std::string& senderAddress, int length);
    void Notify(const std::string& senderAddress, int length, const uint8_t* data, intptr_t kind);
    PeerBytes Presence() const;

    ISocketFactory& m_Factory;
    const SettingsRecord& m_Settings;
    const IWindowFinder& m_Windows;

    CNetworkSockets m_Sockets;
    bool m_bStarted = false;
    std::vector<std::unique_ptr<PeerUser>> users;
    const PeerUser* m_pOwnUser = nullptr;  // ourselves among users, listed by whichever of our addresses answered
    bool m_bRefreshing = false;
    IPeerNoticeSink* ownerWindow = nullptr;

    // Address index of users, so that a refresh with thousands of answers stays linear.
    std::unordered_map<std::string, const PeerUser*> m_UsersByAddress;
    int m_nNewerVersionNotices = NEWER_VERSION_NOTICES;  // left in this run
    // The datagram being handled: zeroed before each read, so a short one's missing fields read as zero.
    uint8_t m_ReceiveBuffer[PEER_RECEIVE_SIZE];
    // Where the socket layer puts a datagram. It holds the largest UDP datagram: the layer discards the rest of a
    // datagram that does not fit and reports a failure, while a long datagram is to be handled as its beginning.
    std::vector<uint8_t> m_Landing;
};
