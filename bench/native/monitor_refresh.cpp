// Benchmark of one refresh of the game monitor: game advertisements and idle searches from distinct hosts (plus
// repeats) go through CServerMonitor's receive path over the fake LAN, then the lists are read as the status tree
// reads them. Baseline: sorting and decoding the same datagrams alone, in the same run. A second pass at four
// times the hosts shows that the per-host cost stays flat (the address look-ups are not quadratic). A third puts
// the PC on four networks, each answered like the one: at most four times the refresh on one network.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "gamemon/GameDatagrams.h"
#include "gamemon/ServerMonitor.h"
#include "tests/unit/FakeLan.h"

namespace {

using kvltest::Bytes;
using kvltest::FakeLan;
using Clock = std::chrono::steady_clock;

struct Arrival {
    Bytes bytes;
    std::string from;
};

Bytes Advert(int i, const char* prefix = "Game ") {
    Bytes d(GameSearchQuery, GameSearchQuery + GAME_SEARCH_SIZE);
    d[16] = static_cast<uint8_t>(i % 3 == 0 ? 12 : 4);
    const std::string name = prefix + std::to_string(i);
    const std::string fields = ",44,,3,,1e,,1,cb6f6e0a,4,,Host" + std::to_string(i) + "\r";
    const std::string map = "(4)Map number " + std::to_string(i % 97);
    d.insert(d.end(), name.begin(), name.end());
    d.push_back(0);
    d.insert(d.end(), fields.begin(), fields.end());
    d.insert(d.end(), map.begin(), map.end());
    Bytes tail(14, 0);
    tail[0] = 0x0D;
    tail[6] = static_cast<uint8_t>(1 + i % 8);
    tail[10] = 8;
    d.insert(d.end(), tail.begin(), tail.end());
    d[2] = static_cast<uint8_t>(d.size());
    return d;
}

Bytes IdleSearch(int i) {
    Bytes d(GameSearchQuery, GameSearchQuery + GAME_SEARCH_SIZE);
    d[12] = static_cast<uint8_t>(0xBB ^ (1 + i % 200));
    return d;
}

std::string HostAddress(int i, int network = 0) {
    return std::to_string(10 + network) + "." + std::to_string(i / 65536) + "." + std::to_string((i / 256) % 256) +
           "." + std::to_string(i % 256);
}

struct Feed {
    std::vector<Arrival> arrivals;
    std::vector<std::string> gameHosts, idleHosts;
    int repeats = 0;
};

// hosts/2 advertisements and hosts/2 idle searches from distinct addresses, every fifth host again with other
// content (to be dropped), and our own search coming back; on each of `networks` networks.
Feed MakeFeed(int hosts, int networks = 1) {
    Feed f;
    for (int n = 0; n < networks; ++n) {
        f.arrivals.push_back({Bytes(GameSearchQuery, GameSearchQuery + GAME_SEARCH_SIZE), HostAddress(0xFFFFFE, n)});
        for (int i = 0; i < hosts; ++i) {
            const std::string address = HostAddress(i, n);
            if (i % 2 == 0) {
                f.arrivals.push_back({Advert(i), address});
                f.gameHosts.push_back(address);
            } else {
                f.arrivals.push_back({IdleSearch(i), address});
                f.idleHosts.push_back(address);
            }
        }
        for (int i = 0; i < hosts; i += 5) {
            f.arrivals.push_back({i % 2 == 0 ? Advert(i, "Repeat ") : IdleSearch(i + 7), HostAddress(i, n)});
            ++f.repeats;
        }
    }
    return f;
}

// What the status tree does with the lists: the item texts of every record, and a look-up per host.
size_t ReadLikeTheTree(const CServerMonitor& monitor, const Feed& f) {
    size_t chars = 0;
    char text[160];
    for (const auto& g : monitor.Games()) {
        chars += static_cast<size_t>(snprintf(text, sizeof(text), "[%d/%d] %s", g->players, g->maxPlayers, g->name));
        chars += static_cast<size_t>(snprintf(text, sizeof(text), "Address: %s", g->address));
        chars += static_cast<size_t>(snprintf(text, sizeof(text), "Map: %s", g->map));
        chars += static_cast<size_t>(snprintf(text, sizeof(text), "Type: %s", GameTypeText(g->status).c_str()));
        chars += static_cast<size_t>(snprintf(text, sizeof(text), "Status: %s", g->running ? "Running" : "Waiting"));
    }
    for (const auto& p : monitor.IdlePlayers())
        chars += static_cast<size_t>(snprintf(text, sizeof(text), "[%s]", p->address));
    for (const std::string& a : f.gameHosts)
        chars += monitor.FindGame(a) ? 1 : 0;
    for (const std::string& a : f.idleHosts)
        chars += monitor.FindIdlePlayer(a) ? 1 : 0;
    return chars;
}

// Baseline: the same datagrams sorted and decoded, nothing kept.
size_t ParseOnly(const Feed& f) {
    size_t sum = 0;
    uint8_t buffer[GAME_DATAGRAM_MAX];
    for (const Arrival& a : f.arrivals) {
        memset(buffer, 0, sizeof(buffer));
        memcpy(buffer, a.bytes.data(), a.bytes.size());
        const int n = static_cast<int>(a.bytes.size());
        switch (ClassifyGameDatagram(buffer, n)) {
        case GameDatagramKind::Game: {
            GameInfo info;
            memset(&info, 0, sizeof(info));
            ParseGameInfo(buffer, n, a.from.c_str(), info);
            sum += static_cast<size_t>(info.players) + strlen(info.map) + strlen(info.name);
            break;
        }
        case GameDatagramKind::IdlePlayer:
            sum += a.from.size();
            break;
        case GameDatagramKind::Drop:
            break;
        }
    }
    return sum;
}

struct RefreshResult {
    double ns = 0;
    double receiveNs = 0;
    bool ok = false;
    size_t checksum = 0;
};

RefreshResult RunRefresh(const Feed& f, int networks) {
    FakeLan lan;
    lan.record = false;
    for (int n = 1; n < networks; ++n)
        lan.networks.push_back({HostAddress(0xFFFFFE, n), "255.0.0.0"});
    if (networks > 1)
        lan.networks.insert(lan.networks.begin(), {HostAddress(0xFFFFFE), "255.0.0.0"});
    CServerMonitor monitor(lan, HostAddress(0xFFFFFE));
    const auto t0 = Clock::now();
    if (monitor.BeginRefresh() != 0)
        return {};
    // Handing the datagrams to the fake LAN is not the monitor's work: the clock leaves it out.
    const auto tBegun = Clock::now();
    for (const Arrival& a : f.arrivals)
        lan.Queue(a.bytes, a.from);
    const auto tQueued = Clock::now();
    lan.DeliverQueued();
    monitor.EndRefresh();
    const auto tReceived = Clock::now();
    const size_t checksum = ReadLikeTheTree(monitor, f);
    const auto t1 = Clock::now();

    RefreshResult r;
    const auto begun = tBegun - t0;
    r.ns = std::chrono::duration<double, std::nano>(begun + (t1 - tQueued)).count();
    r.receiveNs = std::chrono::duration<double, std::nano>(begun + (tReceived - tQueued)).count();
    r.checksum = checksum;
    // Every host recorded exactly once, in the list of its kind.
    std::unordered_set<std::string> games, idle;
    for (const auto& g : monitor.Games())
        games.insert(g->address);
    for (const auto& p : monitor.IdlePlayers())
        idle.insert(p->address);
    r.ok = monitor.Games().size() == f.gameHosts.size() && games.size() == f.gameHosts.size() &&
           monitor.IdlePlayers().size() == f.idleHosts.size() && idle.size() == f.idleHosts.size();
    for (const std::string& a : f.gameHosts)
        r.ok = r.ok && games.count(a) && monitor.FindGame(a);
    for (const std::string& a : f.idleHosts)
        r.ok = r.ok && idle.count(a) && monitor.FindIdlePlayer(a);
    // The repeats carried other content; the first datagram must have won.
    for (const auto& g : monitor.Games())
        r.ok = r.ok && strncmp(g->name, "Game ", 5) == 0;
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Measure {
    double monitorNs, receiveNs, baselineNs;
    bool ok;
    int repeats;
};

Measure MeasureAt(int hosts, int repeats, int networks = 1) {
    const Feed f = MakeFeed(hosts, networks);
    std::vector<double> monitorTimes, receiveTimes, baseTimes;
    bool ok = true;
    volatile size_t sink = 0;
    for (int r = 0; r < repeats; ++r) {
        const RefreshResult res = RunRefresh(f, networks);
        ok = ok && res.ok;
        sink = sink + res.checksum;
        monitorTimes.push_back(res.ns);
        receiveTimes.push_back(res.receiveNs);

        const auto t0 = Clock::now();
        sink = sink + ParseOnly(f);
        const auto t1 = Clock::now();
        baseTimes.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
    }
    return {Median(monitorTimes), Median(receiveTimes), Median(baseTimes), ok, f.repeats};
}

}  // namespace

int main() {
    const int repeats = 15;
    const Measure main2k = MeasureAt(2000, repeats);
    printf("monitor refresh, 1000 advertisements + 1000 idle searches from 2000 hosts (+%d repeats, own search)\n",
           main2k.repeats);
    printf("  monitor (receive path + tree-like reading): %10.1f us\n", main2k.monitorNs / 1000.0);
    printf("    of which the receive path (lists, indexes): %8.1f us\n", main2k.receiveNs / 1000.0);
    printf("  baseline (classify + parse only):           %10.1f us\n", main2k.baselineNs / 1000.0);
    printf("  ratio monitor / baseline:                   %10.2f (receive path alone %.2f)\n",
           main2k.monitorNs / main2k.baselineNs, main2k.receiveNs / main2k.baselineNs);

    const Measure at1k = MeasureAt(1000, repeats);
    const Measure at4k = MeasureAt(4000, repeats);
    const double perHost1k = at1k.monitorNs / 1000.0, perHost4k = at4k.monitorNs / 4000.0;
    const double basePerHost1k = at1k.baselineNs / 1000.0, basePerHost4k = at4k.baselineNs / 4000.0;
    printf(
        "scaling, per host: 1000 hosts %.1f ns, 4000 hosts %.1f ns; ratio 4k/1k %.2f (baseline %.2f; "
        "linear ~1, quadratic ~4)\n",
        perHost1k, perHost4k, perHost4k / perHost1k, basePerHost4k / basePerHost1k);

    const Measure on4 = MeasureAt(2000, repeats, 4);
    printf(
        "four networks answered like the one above: refresh %.1f us, %.2f times the one network's (at most 4; "
        "baseline %.2f)\n",
        on4.monitorNs / 1000.0, on4.monitorNs / main2k.monitorNs, on4.baselineNs / main2k.baselineNs);

    if (!main2k.ok || !at1k.ok || !at4k.ok || !on4.ok) {
        fprintf(stderr, "FAILED: a host was missing, recorded twice or recorded with a later datagram\n");
        return 1;
    }
    printf("every host recorded exactly once: ok\n");
    return 0;
}
