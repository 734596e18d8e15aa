// Fakes of everything around the main window's logic, shared by the tests that run whole cycles through it: the
// window (timers, button, tray), a LAN of sockets by port that records what is sent, the output pane and the command
// box; the platform's services as fakes (the desktop of FakeDesktop.h among them); a fixture that registers the real
// subsystems on them, and the main command table that those subsystems bring.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/MainController.h"
#include "app/Subsystems.h"
#include "network/LocalAddress.h"
#include "tests/unit/FakeDesktop.h"
#include "tests/unit/FakeElevation.h"
#include "tests/unit/FakeKeyboard.h"
#include "tests/unit/FakeOverlay.h"
#include "tests/unit/FakeTreeView.h"
#include "tests/unit/GameDatagramBuilder.h"

namespace kvltest {

class FakeView : public IMainView {
public:
    std::map<unsigned, unsigned> timers;  // id -> period of the live timers
    std::vector<std::string> timerLog;
    bool refreshEnabled = true;
    std::string tip = "KVL SE";
    int endedWith = -1;

    uintptr_t SetTimer(unsigned id, unsigned milliseconds) override {
        timers[id] = milliseconds;
        timerLog.push_back("set " + std::to_string(id) + " " + std::to_string(milliseconds));
        return id;
    }
    void KillTimer(unsigned id) override {
        timers.erase(id);
        timerLog.push_back("kill " + std::to_string(id));
    }
    void EnableRefreshButton(bool enable) override { refreshEnabled = enable; }
    void SetTrayTip(const std::string& text) override {
        tip = text;
        if (onTip)
            onTip();
    }
    std::function<void()> onTip;  // runs inside the tray update, as a sent message handled during it would
    void EndDialog(int result) override { endedWith = result; }
    void LaunchGame() override { ++launches; }
    void Configure() override { ++configures; }
    int launches = 0;
    int configures = 0;
    bool onScreen = true;
    std::vector<std::string> balloons;  // "title|text|icon|seconds"
    bool IsWindowOnScreen() const override { return onScreen; }
    void ShowTrayBalloon(const std::string& text, const std::string& title, BalloonIcon icon,
                         unsigned seconds) override {
        balloons.push_back(title + "|" + text + "|" + std::to_string(static_cast<int>(icon)) + "|" +
                           std::to_string(seconds));
    }
};

struct SentDatagram {
    Bytes bytes;
    std::string address;
    uint16_t port;
    std::string from;  // the address of the socket it left by
};

class LanSocket;

// The LAN as the program's sockets see it: each socket is found by the port and address it is bound to; everything
// sent is recorded. With localAddress set, what is sent to this host (a broadcast, or one of its addresses) comes back
// later, as the socket layer posts its notifications (Pump() delivers it): a broadcast to the socket that sent it,
// from that socket's address (localAddress on a PC whose networks are not listed).
class FakeLan : public ISocketFactory {
public:
    std::unique_ptr<CNotifySocket> CreateUdpSocket() override;
    std::vector<Network> Networks() override { return networks; }
    std::string ResolveHost(const std::string& name) override {
        const auto found = hostNames.find(name);
        return found != hostNames.end() ? found->second : std::string();
    }
    // A datagram from `from` arrives at the socket bound to port (on the network of address `at`, else the first),
    // now; dropped when no socket is bound there.
    void Deliver(const Bytes& bytes, const std::string& from, uint16_t port = GAME_SEARCH_PORT,
                 const std::string& at = std::string());
    // A receive that fails in the socket layer.
    void DeliverFailure(uint16_t port);
    // Delivers the echoes of our own sends, in order, until none is left (answers to answers included).
    void Pump();

    int Sends(uint16_t port) const {
        int count = 0;
        for (const SentDatagram& d : sent)
            count += d.port == port ? 1 : 0;
        return count;
    }
    std::vector<SentDatagram> SentTo(uint16_t port) const {
        std::vector<SentDatagram> out;
        for (const SentDatagram& d : sent)
            if (d.port == port)
                out.push_back(d);
        return out;
    }

    bool failCreate = false;
    bool failBind = false;
    std::set<std::string> failBindAddresses;
    std::set<uint16_t> failSendPorts;
    std::string localAddress;  // empty: nothing comes back
    std::string boundTo;       // the last successful or failed bind, "address:port"
    std::vector<std::string> options;
    std::vector<SentDatagram> sent;
    std::map<std::string, std::string> hostNames;  // what the resolver knows
    std::vector<Network> networks;                 // the PC's networks; none: they cannot be learnt
    std::multimap<uint16_t, LanSocket*> bound;
    LanSocket* BoundAt(uint16_t port, const std::string& address) const;
    // The broadcast address of the listed network that holds this address; empty when none does.
    std::string BroadcastOf(const std::string& address) const {
        uint32_t a = 0, m = 0;
        for (const Network& n : networks)
            if (n.address == address && ParseDottedQuad(n.address, a) && ParseDottedQuad(n.mask, m))
                return FormatDottedQuad(a | ~m);
        return std::string();
    }

private:
    friend class LanSocket;
    struct Arrival {
        Bytes bytes;
        std::string from;
        uint16_t port;
        bool fail;
        std::string at;  // the address of the socket it arrives at; empty: the first on the port
    };
    void Arrive(const Arrival& arrival);
    std::deque<Arrival> m_Echoes;
};

class LanSocket : public CNotifySocket {
public:
    explicit LanSocket(FakeLan& lan) : m_Lan(lan) {}
    ~LanSocket() override {
        for (auto it = m_Lan.bound.begin(); it != m_Lan.bound.end(); ++it)
            if (it->second == this) {
                m_Lan.bound.erase(it);
                break;
            }
    }
    bool SetOption(SocketOption option, int value) override {
        m_Lan.options.push_back(std::string(option == SocketOption::Broadcast ? "broadcast " : "reuseaddr ") +
                                std::to_string(value));
        return true;
    }
    bool Bind(const std::string& address, uint16_t port) override {
        m_Lan.boundTo = address + ":" + std::to_string(port);
        if (m_Lan.failBind || m_Lan.failBindAddresses.count(address))
            return false;
        m_Lan.bound.emplace(port, this);
        m_strAddress = address;
        return true;
    }
    bool SendTo(const uint8_t* data, size_t size, const std::string& address, uint16_t port) override {
        m_Lan.sent.push_back({Bytes(data, data + size), address, port, m_strAddress});
        if (m_Lan.failSendPorts.count(port))
            return false;
        if (m_Lan.localAddress.empty())
            return true;
        const std::string from = m_Lan.networks.empty() ? m_Lan.localAddress : m_strAddress;
        const bool toUs = address == m_Lan.localAddress || m_Lan.BoundAt(port, address) != nullptr;
        if (address == "255.255.255.255" || address == m_Lan.BroadcastOf(m_strAddress))
            m_Lan.m_Echoes.push_back({Bytes(data, data + size), from, port, false, m_strAddress});
        else if (toUs)
            m_Lan.m_Echoes.push_back({Bytes(data, data + size), from, port, false, address});
        return true;
    }
    int ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) override {
        if (m_Inbox.empty())
            return -1;
        FakeLan::Arrival arrival = m_Inbox.front();
        m_Inbox.pop_front();
        if (arrival.fail || arrival.bytes.size() > capacity)
            return -1;
        std::copy(arrival.bytes.begin(), arrival.bytes.end(), buffer);
        fromAddress = arrival.from;
        fromPort = arrival.port;
        return static_cast<int>(arrival.bytes.size());
    }

private:
    friend class FakeLan;
    FakeLan& m_Lan;
    std::string m_strAddress;  // where it is bound
    std::deque<FakeLan::Arrival> m_Inbox;
};

inline std::unique_ptr<CNotifySocket> FakeLan::CreateUdpSocket() {
    if (failCreate)
        return nullptr;
    return std::make_unique<LanSocket>(*this);
}

inline LanSocket* FakeLan::BoundAt(uint16_t port, const std::string& address) const {
    const auto sockets = bound.equal_range(port);
    for (auto it = sockets.first; it != sockets.second; ++it)
        if (it->second->m_strAddress == address)
            return it->second;
    return nullptr;
}

inline void FakeLan::Arrive(const Arrival& arrival) {
    LanSocket* socket = BoundAt(arrival.port, arrival.at);
    if (!socket) {
        const auto first = bound.find(arrival.port);
        if (first == bound.end())
            return;
        socket = first->second;
    }
    socket->m_Inbox.push_back(arrival);
    socket->Notify();
}

inline void FakeLan::Deliver(const Bytes& bytes, const std::string& from, uint16_t port, const std::string& at) {
    Arrive({bytes, from, port, false, at});
}

inline void FakeLan::DeliverFailure(uint16_t port) { Arrive({{}, "", port, true, ""}); }

inline void FakeLan::Pump() {
    while (!m_Echoes.empty()) {
        Arrival next = m_Echoes.front();
        m_Echoes.pop_front();
        Arrive(next);
    }
}

class FakePane : public IOutputPane {
public:
    std::string text;
    void LogAppended(const CConsoleText& all, size_t logStart) override {
        text += all.Bytes(logStart + text.size(), all.Size());
    }
    void LogCleared(const CConsoleText&, size_t) override { text.clear(); }
};

class FakeBox : public IEditBox {
public:
    std::string text;
    std::string GetText() const override { return text; }
    void SetText(const std::string& t) override { text = t; }
    void SetSel(int, int) override {}
};

// What the platform offers the subsystems, as fakes; a new platform service is one member here, handed on in
// Services().
struct FakePlatform {
    PlatformServices Services() {
        return PlatformServices{lan, windows, keyRelay, keystrokes, overlay, hookReports, elevation};
    }

    FakeLan lan;
    FakeDesktop windows;
    FakeKeyRelay keyRelay;
    FakeKeystrokePlatform keystrokes;
    FakeOverlayPlatform overlay;
    FakeHookReports hookReports;
    FakeElevation elevation;
};

// The main window's logic with the program's subsystems registered on the fakes above (the platform's fakes are
// the fixture's own members: lan, windows, ...).
class ControllerFixture : public ::testing::Test, public IConsoleOwner, public FakePlatform {
protected:
    void SetUp() override {
        context.Settings().RefreshAuto = 0;
        RegisterSubsystems(controller, context, Services());
    }
    void SendConsoleCommand(std::unique_ptr<CommandRequest> request) override {
        controller.OnConsoleCommand(std::move(request));
    }
    // The registered module of this type.
    template <typename Module>
    Module* Find() {
        for (const auto& module : controller.Modules())
            if (auto* found = dynamic_cast<Module*>(module.get()))
                return found;
        return nullptr;
    }
    void Start() { controller.Start(this, &pane, &box, &tree); }
    // The pane's text written since mark.
    std::string Since(size_t mark) const { return pane.text.substr(mark); }
    std::string Run(const std::string& line) {
        const size_t mark = pane.text.size();
        controller.Console().Execute(line);
        return Since(mark);
    }

    FakeView view;
    FakePane pane;
    FakeBox box;
    FakeTreeView tree;
    CAppContext context{"10.77.0.2"};
    CMainController controller{view, context};
    SettingsRecord& AppSettings = context.Settings();
};

// The main command table as the program registers it: the rows that the real subsystems bring (registered on
// fakes) and the main window's own, by id.
inline std::vector<ConsoleCommand> RegisteredCommandRows() {
    FakeView view;
    FakePlatform platform;
    CAppContext context{"10.77.0.2"};
    CMainController controller{view, context};
    RegisterSubsystems(controller, context, platform.Services());
    return controller.MainCommandRows();
}

}  // namespace kvltest
