// What the tree-view control costs when the status tree is rebuilt with many games: the steps of one rebuild
// (delete everything, insert the games' items and the idle players', sort each root's children, expand the roots,
// walk the visible items as the tree's state is saved) timed one by one, with drawing on and off, and with the
// children inserted in shuffled order or already in the control's order. Prints one line per step, in ms.
// Usage: treecost [GAMES] [REPEATS]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

LARGE_INTEGER g_Frequency;

double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e3 / static_cast<double>(g_Frequency.QuadPart);
}

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::string& text, int image) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.stateMask = TVIS_BOLD;
    return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

struct Game {
    std::string text, address, map;
};

struct Steps {
    double remove = 0, insert = 0, sort = 0, expand = 0, walk = 0, redraw = 0;
};

// One rebuild as the status tree does it; the control holds the previous rebuild's items when it starts.
Steps Rebuild(HWND tree, const std::vector<Game>& games, const std::vector<std::string>& idle, bool redrawOff,
              bool sort, bool detailsLast) {
    Steps s;
    double t = NowMs();
    if (redrawOff)
        ::SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    int visible = 0;
    for (HTREEITEM item = Next(tree, nullptr, TVGN_FIRSTVISIBLE); item; item = Next(tree, item, TVGN_NEXTVISIBLE)) {
        // The state first: most items are collapsed, and then their children need not be asked for.
        if (::SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED)
            visible += Next(tree, item, TVGN_CHILD) != nullptr;
    }
    s.walk = NowMs() - t;
    t = NowMs();
    ::SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    s.remove = NowMs() - t;
    t = NowMs();
    auto details = [&](HTREEITEM item, const Game& g) {
        Insert(tree, item, g.address, 3);
        Insert(tree, item, g.map, 4);
        Insert(tree, item, "Type: Game (0)", 5);
        Insert(tree, item, "Status: Waiting", 6);
    };
    std::vector<HTREEITEM> gameItems;
    HTREEITEM gamesRoot = Insert(tree, nullptr, "Games", 0);
    for (const Game& g : games) {
        gameItems.push_back(Insert(tree, gamesRoot, g.text, 1));
        if (!detailsLast)
            details(gameItems.back(), g);
    }
    HTREEITEM idleRoot = Insert(tree, nullptr, "Waiting games", 7);
    for (const std::string& a : idle)
        Insert(tree, idleRoot, a, 8);
    if (detailsLast)
        for (size_t i = 0; i < games.size(); ++i)
            details(gameItems[i], games[i]);
    s.insert = NowMs() - t;
    t = NowMs();
    if (sort) {
        ::SendMessageA(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(gamesRoot));
        ::SendMessageA(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(idleRoot));
    }
    s.sort = NowMs() - t;
    t = NowMs();
    ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(gamesRoot));
    ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(idleRoot));
    s.expand = NowMs() - t;
    t = NowMs();
    if (redrawOff) {
        ::SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(tree, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    ::UpdateWindow(tree);
    s.redraw = NowMs() - t;
    (void)visible;
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
    ::QueryPerformanceFrequency(&g_Frequency);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND frame = ::CreateWindowExA(0, "STATIC", "Tree cost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 700, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr);
    HWND tree = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0, 0, 380,
                                  660, frame, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!tree)
        return 1;

    std::vector<Game> games;
    std::vector<std::string> idle;
    char buffer[128];
    for (int i = 0; i < count; ++i) {
        Game g;
        std::snprintf(buffer, sizeof buffer, "[%d/8] G%04d", 1 + i % 7, i);
        g.text = buffer;
        std::snprintf(buffer, sizeof buffer, "Address: 10.77.%d.%d", 20 + i / 250, 1 + i % 250);
        g.address = buffer;
        std::snprintf(buffer, sizeof buffer, "Map: Map %d", i);
        g.map = buffer;
        games.push_back(g);
        std::snprintf(buffer, sizeof buffer, "[10.77.%d.%d]", 140 + i / 250, 1 + i % 250);
        idle.push_back(buffer);
    }
    std::vector<Game> shuffledGames = games;
    std::vector<std::string> shuffledIdle = idle;
    std::mt19937 rng(12);
    std::shuffle(shuffledGames.begin(), shuffledGames.end(), rng);
    std::shuffle(shuffledIdle.begin(), shuffledIdle.end(), rng);
    // In the control's order: its sort compares with lstrcmpi.
    std::vector<Game> sortedGames = games;
    std::stable_sort(sortedGames.begin(), sortedGames.end(),
                     [](const Game& a, const Game& b) { return ::lstrcmpiA(a.text.c_str(), b.text.c_str()) < 0; });
    std::vector<std::string> sortedIdle = idle;
    std::stable_sort(sortedIdle.begin(), sortedIdle.end(),
                     [](const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) < 0; });

    struct Case {
        const char* name;
        const std::vector<Game>* games;
        const std::vector<std::string>* idle;
        bool redrawOff, sort, detailsLast;
    } cases[] = {
        {"shuffled, drawing on, sorted by the control", &shuffledGames, &shuffledIdle, false, true, false},
        {"shuffled, drawing off, sorted by the control", &shuffledGames, &shuffledIdle, true, true, false},
        {"shuffled, drawing off, details last, sorted", &shuffledGames, &shuffledIdle, true, true, true},
        {"in order, drawing off, sorted by the control", &sortedGames, &sortedIdle, true, true, false},
        {"in order, drawing off, details last, no sort", &sortedGames, &sortedIdle, true, false, true},
    };
    std::printf("tree cost with %d games (5 items each) and %d idle players, median of %d rebuilds, ms:\n", count,
                count, repeats);
    for (const Case& c : cases) {
        Rebuild(tree, *c.games, *c.idle, c.redrawOff, c.sort,
                c.detailsLast);  // the control now holds a full tree, as it would
        std::vector<double> remove, insert, sort, expand, walk, redraw, total;
        for (int r = 0; r < repeats; ++r) {
            const double t = NowMs();
            const Steps s = Rebuild(tree, *c.games, *c.idle, c.redrawOff, c.sort, c.detailsLast);
            total.push_back(NowMs() - t);
            remove.push_back(s.remove);
            insert.push_back(s.insert);
            sort.push_back(s.sort);
            expand.push_back(s.expand);
            walk.push_back(s.walk);
            redraw.push_back(s.redraw);
        }
        std::printf(
            "  %-46s total %7.1f: walk %6.1f, delete %6.1f, insert %6.1f, sort %6.1f, expand %6.1f, "
            "redraw %6.1f\n",
            c.name, Median(total), Median(walk), Median(remove), Median(insert), Median(sort), Median(expand),
            Median(redraw));
    }
    // A sort key made once per text and compared as bytes: the same order as the control's comparisons?
    std::vector<std::string> keys;
    double t = NowMs();
    for (const Game& g : shuffledGames) {
        char key[256];
        const int n =
            ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, g.text.c_str(), -1, key, sizeof key);
        keys.emplace_back(key, n > 0 ? n : 0);
    }
    std::printf("  sort keys of %d game texts: %.1f ms\n", count, NowMs() - t);
    std::fflush(stdout);
    ::DestroyWindow(frame);
    return 0;
}
