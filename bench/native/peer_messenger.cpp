// Benchmarks of the messenger's core, without sanitizers, over the fake LAN of the unit tests.
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
#include <string>
#include <vector>

#include "base/AppContext.h"
#include "peer/PeerModule.h"
#include "tests/unit/FakeDesktop.h"
#include "tests/unit/FakeLan.h"
#include "tests/unit/FakeModuleHost.h"
#include "tests/unit/FakeTreeView.h"

namespace {

using kvltest::Bytes;
using kvltest::FakeDesktop;
using kvltest::FakeLan;
using kvltest::FakeModuleHost;
using Clock = std::chrono::steady_clock;

constexpr const char* LOCAL = "10.77.0.2";

struct Arrival {
    Bytes bytes;
    std::string from;
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
    FakeLan lan;
    lan.record = false;
    lan.localAddress = LOCAL;  // our own query comes back to us, as on a LAN
    FakeDesktop windows;
    CAppContext context(LOCAL);
    FakeModuleHost host;
    CPeerModule module(host, lan, context, windows);
    if (module.Start() != 0)
        return {0, 0, 0};
    lan.Pump();
    std::vector<Arrival> answers;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < copies; ++i)
            answers.push_back({Presence(i), Address(i)});
    FakeTreeView tree;
    const auto t0 = Clock::now();
    (void)module.BeginRefresh();
    lan.Pump();
    for (const Arrival& a : answers)
        lan.Queue(a.bytes, a.from, PEER_PORT);
    lan.DeliverQueued();
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
    FakeLan lan;
    lan.record = false;
    FakeDesktop windows;
    CAppContext context(LOCAL);
    FakeModuleHost host;
    CPeerModule module(host, lan, context, windows);
    if (module.Start() != 0)
        return {0, 0, 0, 0};
    std::vector<Arrival> chat;
    for (int i = 0; i < lines; ++i) {
        const std::string text = "line " + std::to_string(i) + " of the flood, as fast as it goes";
        chat.push_back({BuildText(PEER_TEXT_ALL, text), "10.77.0.66"});
    }
    kvltest::LanSocket* socket = lan.BoundAt(PEER_PORT, LOCAL);
    for (const Arrival& a : chat)
        socket->Queue(a.bytes, a.from, PEER_PORT);
    host.record = false;
    const size_t written = host.lines;
    double longest = 0;
    const auto t0 = Clock::now();
    while (socket->Unread() > 0) {
        const auto a = Clock::now();
        socket->Notify();
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
            std::chrono::duration<double, std::nano>(b1 - b0).count(), longest, host.lines - written};
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
