// Benchmarks of the messenger's core, without sanitizers, over a socket that hands out queued datagrams.
// 1. One refresh answered by 250 copies: receive path, end of the refresh and the "KVL's online" section of the tree
//    (into the in-memory tree the unit tests use), against the same refresh answered by no one but ourselves. Runs
//    at 1,000 and 5,000 copies show the per-copy cost stays flat.
// 2. One copy sending 10,000 chat lines: every line through the receive path, the notice and the console line,
//    against decoding the same datagrams alone; how many lines arrive, and the longest single line's handling (the
//    time the window would be busy with one socket notification).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/AppContext.h"
#include "peer/PeerModule.h"
#include "tests/unit/FakeTreeView.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr const char* LOCAL = "10.77.0.2";

struct Arrival {
    Bytes bytes;
    std::string from;
};

class QueueSocket : public CNotifySocket {
public:
    explicit QueueSocket(std::vector<Arrival>& queue) : m_Queue(queue) {}
    bool SetOption(SocketOption, int) override { return true; }
    bool Bind(const std::string&, uint16_t) override { return true; }
    bool SendTo(const uint8_t* data, size_t size, const std::string&, uint16_t) override {
        // Our own query comes back to us, as on a LAN.
        if (size == sizeof(PeerQuery) && memcmp(data, PeerQuery, size) == 0)
            m_Queue.push_back({Bytes(data, data + size), LOCAL});
        else if (size == PEER_PRESENCE_SIZE)
            m_Queue.push_back({Bytes(data, data + size), LOCAL});
        return true;
    }
    int ReceiveFrom(uint8_t* buffer, size_t capacity, std::string& fromAddress, uint16_t& fromPort) override {
        if (m_Next >= m_Queue.size())
            return -1;
        const Arrival& a = m_Queue[m_Next++];
        if (a.bytes.size() > capacity)
            return -1;
        memcpy(buffer, a.bytes.data(), a.bytes.size());
        fromAddress = a.from;
        fromPort = PEER_PORT;
        return static_cast<int>(a.bytes.size());
    }
    bool Pending() const { return m_Next < m_Queue.size(); }
    void Reset() {
        m_Queue.clear();
        m_Next = 0;
    }

private:
    std::vector<Arrival>& m_Queue;
    size_t m_Next = 0;
};

class QueueFactory : public ISocketFactory {
public:
    std::unique_ptr<CNotifySocket> CreateUdpSocket() override {
        auto s = std::make_unique<QueueSocket>(queue);
        live = s.get();
        return s;
    }
    std::string ResolveHost(const std::string&) override { return std::string(); }
    std::vector<Network> Networks() override { return {}; }
    std::vector<Arrival> queue;
    QueueSocket* live = nullptr;
};

class NoWindows : public IWindowFinder {
public:
    uintptr_t FindTopLevel(const char*, const char*) const override { return 0; }
    uintptr_t ForegroundWindow() const override { return 0; }
};

// The main window as the module sees it: a console that counts its lines, completion words kept.
class Host : public IModuleHost, public IConsoleWriter {
public:
    size_t lines = 0, chars = 0;
    std::vector<std::string> words;
    IConsoleWriter& Console() override { return *this; }
    int Write(const std::string& text) override { return static_cast<int>(chars += text.size()); }
    void WriteLine(const std::string& text) override {
        ++lines;
        chars += text.size() + 2;
    }
    void WriteList(const std::vector<std::string>&) override {}
    int Execute(const std::string&) override { return 0; }
    bool AddKeyword(const std::string& word) override {
        if (words.size() < 257)
            words.push_back(word);
        return true;
    }
    uintptr_t SetTimer(unsigned, unsigned) override { return 0; }
    void KillTimer(unsigned) override {}
    const std::vector<std::string>& Keywords() const override { return words; }
    bool IsWindowOnScreen() const override { return true; }
    void ShowTrayBalloon(const std::string&, const std::string&, BalloonIcon, unsigned) override {}
};

Bytes Presence(int i) {
    char name[32], sign[64];
    snprintf(name, sizeof(name), "Player%04d", i);
    snprintf(sign, sizeof(sign), "sign of player %d, gl hf", i);
    return BuildPresence(name, sign, static_cast<GameWindowState>(i % 3));
}

std::string Address(int i) { return "10.78." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct RefreshFigure {
    double ns;
    size_t users;
    size_t items;
};

// One refresh answered by `copies` others (each of them twice: the second is dropped), the tree section built.
RefreshFigure Refresh(int copies) {
    QueueFactory factory;
    NoWindows windows;
    CAppContext context(LOCAL);
    Host host;
    CPeerModule module(host, factory, context, windows);
    if (module.Start() != 0)
        return {0, 0, 0};
    std::vector<Arrival> answers;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < copies; ++i)
            answers.push_back({Presence(i), Address(i)});
    FakeTreeView tree;
    const auto t0 = Clock::now();
    (void)module.BeginRefresh();
    factory.queue.insert(factory.queue.end(), answers.begin(), answers.end());
    while (factory.live->Pending())
        factory.live->Notify();
    module.EndRefresh();
    module.BuildTreeSection(tree);
    const auto t1 = Clock::now();
    return {std::chrono::duration<double, std::nano>(t1 - t0).count(), module.Communicator().Users().size(),
            tree.Count()};
}

RefreshFigure MedianRefresh(int copies, int repeats) {
    std::vector<double> times;
    RefreshFigure last{};
    for (int r = 0; r < repeats; ++r) {
        last = Refresh(copies);
        times.push_back(last.ns);
    }
    last.ns = Median(times);
    return last;
}

struct FloodFigure {
    double ns, baselineNs, longestNs;
    size_t lines;
};

FloodFigure Flood(int lines) {
    QueueFactory factory;
    NoWindows windows;
    CAppContext context(LOCAL);
    Host host;
    CPeerModule module(host, factory, context, windows);
    if (module.Start() != 0)
        return {0, 0, 0, 0};
    std::vector<Arrival> chat;
    for (int i = 0; i < lines; ++i) {
        const std::string text = "line " + std::to_string(i) + " of the flood, as fast as it goes";
        chat.push_back({BuildText(PEER_TEXT_ALL, text), "10.77.0.66"});
    }
    factory.queue = chat;
    double longest = 0;
    const auto t0 = Clock::now();
    while (factory.live->Pending()) {
        const auto a = Clock::now();
        factory.live->Notify();
        longest = std::max(longest, std::chrono::duration<double, std::nano>(Clock::now() - a).count());
    }
    const auto t1 = Clock::now();

    // Baseline: the same datagrams copied into a zeroed buffer, sorted and their texts decoded.
    volatile size_t sink = 0;
    uint8_t buffer[PEER_RECEIVE_SIZE];
    const auto b0 = Clock::now();
    for (const Arrival& a : chat) {
        memset(buffer, 0, sizeof(buffer));
        memcpy(buffer, a.bytes.data(), a.bytes.size());
        const int n = static_cast<int>(a.bytes.size());
        if (ClassifyPeerDatagram(buffer, n) == PeerDatagramKind::Message)
            sink = sink + PeerMessageText(buffer, n).size();
    }
    const auto b1 = Clock::now();
    return {std::chrono::duration<double, std::nano>(t1 - t0).count(),
            std::chrono::duration<double, std::nano>(b1 - b0).count(), longest, host.lines};
}

}  // namespace

int main() {
    const int repeats = 15;
    const RefreshFigure none = MedianRefresh(0, repeats);
    const RefreshFigure r250 = MedianRefresh(250, repeats);
    const RefreshFigure r1k = MedianRefresh(1000, repeats);
    const RefreshFigure r5k = MedianRefresh(5000, 5);
    printf("messenger refresh (receive path, end, \"KVL's online\" section), median of %d\n", repeats);
    printf("  answered by ourselves only:        %10.1f us  (%zu user, %zu items)\n", none.ns / 1000.0, none.users,
           none.items);
    printf("  250 copies, each twice:            %10.1f us  (%zu users, %zu items)\n", r250.ns / 1000.0, r250.users,
           r250.items);
    printf("  ratio 250 copies / ourselves only: %10.1f\n", r250.ns / none.ns);
    printf(
        "  per copy at 250 / 1,000 / 5,000:   %.2f / %.2f / %.2f us (a look-up per answer that scanned the list would "
        "grow 20x from 250 to 5,000)\n",
        r250.ns / 250000.0, r1k.ns / 1e6, r5k.ns / 5e6);
    const bool refreshOk =
        none.users == 1 && r250.users == 251 && r1k.users == 1001 && r5k.users == 5001 && r250.items == 1 + 3 * 251;

    const FloodFigure flood = Flood(10000);
    printf("chat flood, 10,000 lines from one copy\n");
    printf("  lines written:                     %10zu of 10000\n", flood.lines);
    printf("  receive path + notice + line:      %10.1f us\n", flood.ns / 1000.0);
    printf("  baseline (sort and decode only):   %10.1f us\n", flood.baselineNs / 1000.0);
    printf("  ratio:                             %10.2f\n", flood.ns / flood.baselineNs);
    printf("  longest single line:               %10.1f us\n", flood.longestNs / 1000.0);
    const bool floodOk = flood.lines == 10000;
    if (!refreshOk || !floodOk) {
        printf("FAILED: users or lines missing\n");
        return 1;
    }
    return 0;
}
