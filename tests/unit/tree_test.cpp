// The status tree's item paths, its memory of the view across rebuilds and the edits that bring the control to a
// rebuilt tree, over the in-memory tree-view control; and the behaviour of that fake which the other tree tests
// rely on.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/KVLTreeCtrl.h"
#include "base/TreeImages.h"
#include "tests/unit/FakeTreeView.h"

namespace {

struct UserRow {
    std::string name, address, sign;
};

struct TreeContent {
    std::vector<std::string> games;  // game item texts; each gets its four lines
    std::vector<std::string> idle;
    std::vector<UserRow> users;
};

TreeContent Sample() {
    TreeContent c;
    c.games = {"[2/8] Ladder", "[1/4] Zeta", "[3/8] Alpha"};
    c.idle = {"[10.0.0.9]", "[10.0.0.2]"};
    c.users = {{"bob", "10.0.0.5", "GG"}, {"alice", "10.0.0.6", "hi"}};
    return c;
}

// Builds the three roots as the main window's rebuild lays them out.
void Build(ITreeView& view, const TreeContent& c) {
    TreeItem games = view.InsertItem(TREE_NONE, "Games", IMG_ROOT_GAMES, false);
    for (const std::string& g : c.games) {
        TreeItem item = view.InsertItem(games, g, IMG_GAME_WAITING, false);
        view.InsertItem(item, "Address: 10.0.0.1", IMG_ADDRESS, false);
        view.InsertItem(item, "Map: Plains", IMG_MAP, false);
        view.InsertItem(item, "Type: Game (4)", IMG_TYPE, false);
        view.InsertItem(item, "Status: Waiting", IMG_STATUS, false);
    }
    view.SortChildren(games);
    view.Expand(games);
    TreeItem waiting = view.InsertItem(TREE_NONE, "Waiting games", IMG_ROOT_WAITING, false);
    for (const std::string& i : c.idle)
        view.InsertItem(waiting, i, IMG_IDLE_PLAYER, false);
    view.SortChildren(waiting);
    view.Expand(waiting);
    TreeItem users = view.InsertItem(TREE_NONE, "KVL's online", IMG_ROOT_USERS, false);
    for (const UserRow& u : c.users) {
        TreeItem item = view.InsertItem(users, u.name, IMG_USER_BASE, false);
        view.InsertItem(item, "Address: " + u.address, IMG_ADDRESS, false);
        view.InsertItem(item, "Sign: " + u.sign, IMG_SIGN, false);
    }
    view.SortChildren(users);
    view.Expand(users);
}

void ForEachItem(const FakeTreeView& view, TreeItem first, const std::function<void(TreeItem)>& f) {
    for (TreeItem item = first; item != TREE_NONE; item = view.GetNextSibling(item)) {
        f(item);
        ForEachItem(view, view.GetChild(item), f);
    }
}

class TreeCtrlTest : public ::testing::Test {
protected:
    TreeCtrlTest() { tree.Attach(&view); }

    // A refresh as the main window does it: remember, rebuild, restore (which brings the control to the tree).
    void Refresh(const TreeContent& c, bool withSelection = true) {
        tree.SaveTreeState();
        ASSERT_EQ(tree.ModelState().Count(), 0u) << "SaveTreeState empties the tree";
        Build(tree.Model(), c);
        tree.RestoreTreeState(withSelection);
    }
    TreeItem Item(const std::vector<std::string>& texts) const { return view.FindByTexts(texts); }
    std::string Path(TreeItem item) const { return CKVLTreeCtrl::ItemPath(view, item); }
    TreeItem Find(const std::string& path) const {
        return CKVLTreeCtrl::FindItemByPath(view, view.GetFirstRoot(), path);
    }

    FakeTreeView view;
    CKVLTreeCtrl tree;
};

}  // namespace

TEST_F(TreeCtrlTest, ItemPathJoinsTextsWithFullStops) {
    Build(view, Sample());
    EXPECT_EQ(Path(TREE_NONE), "");
    EXPECT_EQ(Path(Item({"Games"})), "Games.");
    EXPECT_EQ(Path(Item({"Games", "[2/8] Ladder", "Map: Plains"})), "Games.[2/8] Ladder.Map: Plains.");
    EXPECT_EQ(Path(Item({"KVL's online", "bob", "Sign: GG"})), "KVL's online.bob.Sign: GG.");
}

TEST_F(TreeCtrlTest, EveryItemIsFoundByItsPath) {
    Build(view, Sample());
    int items = 0;
    ForEachItem(view, view.GetFirstRoot(), [&](TreeItem item) {
        ++items;
        EXPECT_EQ(Find(Path(item)), item) << Path(item);
    });
    EXPECT_EQ(items, static_cast<int>(view.Count()));
}

TEST_F(TreeCtrlTest, UnknownPathsFindNothing) {
    Build(view, Sample());
    const char* paths[] = {
        "",
        ".",
        "Games",                           // no final full stop
        "Games.[2/8] Ladder.Map: Plains",  // nor here
        "games.",                          // case matters
        "Games.[9/8] Ladder.",
        "Nowhere.",
        "ames.",  // found inside "Games.", but not at its start
        "Games.[2/8] Ladder.Map: Plains.More.",
    };
    for (const char* path : paths)
        EXPECT_EQ(Find(path), TREE_NONE) << '"' << path << '"';
    EXPECT_EQ(CKVLTreeCtrl::FindItemByPath(view, TREE_NONE, "Games."), TREE_NONE);
}

TEST_F(TreeCtrlTest, FirstMatchingSiblingDecides) {
    // A text with a full stop: "a." heads the path "a.b.y." as well as "a.b." does.
    TreeItem a = view.InsertItem(TREE_NONE, "a", 0, false);
    view.InsertItem(a, "x", 0, false);
    TreeItem ab = view.InsertItem(TREE_NONE, "a.b", 0, false);
    TreeItem y = view.InsertItem(ab, "y", 0, false);
    EXPECT_EQ(Find("a.b.y."), TREE_NONE);
    EXPECT_EQ(Find("a.b."), TREE_NONE);
    // Starting the search at the second sibling finds it.
    EXPECT_EQ(CKVLTreeCtrl::FindItemByPath(view, ab, "a.b.y."), y);

    // Two siblings with the same text: only the first is ever searched below.
    FakeTreeView dup;
    TreeItem first = dup.InsertItem(TREE_NONE, "Dup", 0, false);
    TreeItem one = dup.InsertItem(first, "one", 0, false);
    TreeItem second = dup.InsertItem(TREE_NONE, "Dup", 0, false);
    dup.InsertItem(second, "two", 0, false);
    EXPECT_EQ(CKVLTreeCtrl::FindItemByPath(dup, dup.GetFirstRoot(), "Dup."), first);
    EXPECT_EQ(CKVLTreeCtrl::FindItemByPath(dup, dup.GetFirstRoot(), "Dup.one."), one);
    EXPECT_EQ(CKVLTreeCtrl::FindItemByPath(dup, dup.GetFirstRoot(), "Dup.two."), TREE_NONE);
}

TEST_F(TreeCtrlTest, SaveRemembersExpandedItemsAndSelectionThenDeletesAll) {
    Refresh(Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Select(Item({"KVL's online", "bob", "Sign: GG"}));  // selecting opens the user's branch
    tree.SaveTreeState();

    EXPECT_EQ(tree.ModelState().Count(), 0u);
    EXPECT_EQ(view.DeleteAllCalls(), 0) << "the control keeps its items until the rebuilt tree is brought over";
    EXPECT_EQ(tree.SelectedPath(), "KVL's online.bob.Sign: GG.");
    const std::vector<std::string> expected = {"Games.", "Games.[2/8] Ladder.", "Waiting games.", "KVL's online.",
                                               "KVL's online.bob."};
    EXPECT_EQ(tree.ExpandedPaths(), expected);
}

TEST_F(TreeCtrlTest, ExpandedGameAndSelectionSurviveARefresh) {
    Refresh(Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Select(Item({"KVL's online", "bob", "Sign: GG"}));
    Refresh(Sample());

    EXPECT_TRUE(view.IsExpanded(Item({"Games", "[2/8] Ladder"})));
    EXPECT_FALSE(view.IsExpanded(Item({"Games", "[3/8] Alpha"})));
    EXPECT_EQ(view.GetSelection(), Item({"KVL's online", "bob", "Sign: GG"}));
    EXPECT_TRUE(view.IsExpanded(Item({"KVL's online", "bob"})));
}

TEST_F(TreeCtrlTest, ChangedTextsComeBackCollapsedAndUnselected) {
    Refresh(Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Select(Item({"KVL's online", "bob", "Sign: GG"}));

    TreeContent changed = Sample();
    changed.games[0] = "[3/8] Ladder";  // one more player
    changed.users[0].sign = "brb";      // a new sign
    Refresh(changed);

    EXPECT_FALSE(view.IsExpanded(Item({"Games", "[3/8] Ladder"})));
    EXPECT_EQ(view.GetSelection(), TREE_NONE);
    EXPECT_TRUE(view.IsExpanded(Item({"KVL's online", "bob"})));  // its own path is unchanged
    EXPECT_TRUE(view.IsExpanded(Item({"Games"})));
}

TEST_F(TreeCtrlTest, RestoreWithoutSelectionSelectsNothing) {
    Refresh(Sample());
    view.Select(Item({"Waiting games", "[10.0.0.2]"}));
    Refresh(Sample(), false);
    EXPECT_EQ(view.GetSelection(), TREE_NONE);
    EXPECT_EQ(tree.SelectedPath(), "Waiting games.[10.0.0.2].");
    tree.RestoreTreeState(true);
    EXPECT_EQ(view.GetSelection(), Item({"Waiting games", "[10.0.0.2]"}));
}

TEST_F(TreeCtrlTest, ExpandedItemScrolledOutAboveTheViewIsForgotten) {
    Refresh(Sample());
    view.Expand(Item({"Games", "[1/4] Zeta"}));
    view.Expand(Item({"Games", "[3/8] Alpha"}));
    // Scroll so that the view starts at the Ladder game: the root and the Zeta game are then above it.
    const std::vector<std::string> order = view.ChildTexts(Item({"Games"}));
    ASSERT_EQ(order, (std::vector<std::string>{"[1/4] Zeta", "[2/8] Ladder", "[3/8] Alpha"}));
    view.ScrollTo(Item({"Games", "[2/8] Ladder"}));
    Refresh(Sample());

    EXPECT_FALSE(view.IsExpanded(Item({"Games", "[1/4] Zeta"})));
    EXPECT_TRUE(view.IsExpanded(Item({"Games", "[3/8] Alpha"})));
    EXPECT_EQ(tree.ExpandedPaths(),
              (std::vector<std::string>{"Games.[3/8] Alpha.", "Waiting games.", "KVL's online."}));
}

TEST_F(TreeCtrlTest, ItemsInsideCollapsedBranchesAndChildlessItemsAreNotRemembered) {
    Refresh(Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Collapse(Item({"Games"}));
    view.SetExpandedState(Item({"Waiting games", "[10.0.0.9]"}), true);  // the state bit without children
    tree.SaveTreeState();
    EXPECT_EQ(tree.ExpandedPaths(), (std::vector<std::string>{"Waiting games.", "KVL's online."}));
}

TEST_F(TreeCtrlTest, EachSaveStartsAFreshMemory) {
    Refresh(Sample());
    view.Select(Item({"Games", "[1/4] Zeta"}));
    tree.SaveTreeState();
    EXPECT_EQ(tree.ExpandedPaths().size(), 3u);
    Refresh(Sample());
    view.Collapse(Item({"Games"}));
    tree.SaveTreeState();
    EXPECT_EQ(tree.ExpandedPaths(), (std::vector<std::string>{"Waiting games.", "KVL's online."}));
    EXPECT_EQ(tree.SelectedPath(), "");

    // A save of an empty tree remembers nothing and the restore does nothing.
    tree.SaveTreeState();
    EXPECT_TRUE(tree.ExpandedPaths().empty());
    Build(tree.Model(), TreeContent{});
    const int selects = view.SelectCalls();
    tree.RestoreTreeState(true);
    EXPECT_EQ(view.SelectCalls(), selects);
    EXPECT_EQ(view.GetSelection(), TREE_NONE);
}

// ---------------------------------------------------------------- bringing the control to a rebuilt tree

namespace {

struct Game {
    std::string text, address;
    bool running;
};
struct Lan {
    std::vector<Game> games;
    std::vector<std::string> idle;
    std::vector<UserRow> users;
};

void BuildLan(ITreeView& view, const Lan& lan) {
    TreeItem games = view.InsertItem(TREE_NONE, "Games", IMG_ROOT_GAMES, false);
    for (const Game& g : lan.games) {
        TreeItem item = view.InsertItem(games, g.text, g.running ? IMG_GAME_RUNNING : IMG_GAME_WAITING, false);
        view.InsertItem(item, "Address: " + g.address, IMG_ADDRESS, false);
        view.InsertItem(item, "Status: " + std::string(g.running ? "Running" : "Waiting"), IMG_STATUS, false);
    }
    view.SortChildren(games);
    view.Expand(games);
    TreeItem waiting = view.InsertItem(TREE_NONE, "Waiting games", IMG_ROOT_WAITING, false);
    for (const std::string& i : lan.idle)
        view.InsertItem(waiting, i, IMG_IDLE_PLAYER, false);
    view.SortChildren(waiting);
    view.Expand(waiting);
    TreeItem users = view.InsertItem(TREE_NONE, "KVL's online", IMG_ROOT_USERS, false);
    for (const UserRow& u : lan.users) {
        TreeItem item = view.InsertItem(users, u.name, IMG_USER_BASE, u.address == "10.0.0.1");
        view.InsertItem(item, "Address: " + u.address, IMG_ADDRESS, false);
        view.InsertItem(item, "Sign: " + u.sign, IMG_SIGN, false);
    }
    view.SortChildren(users);
    view.Expand(users);
}

// The rebuild from scratch that the edits must be equivalent to: remember, delete all, build, restore.
void RebuildFromScratch(FakeTreeView& view, const Lan& lan) {
    const std::string selected = CKVLTreeCtrl::ItemPath(view, view.GetSelection());
    std::vector<std::string> expanded;
    for (TreeItem item = view.GetFirstVisible(); item != TREE_NONE; item = view.GetNextVisible(item))
        if (view.IsExpanded(item) && view.GetChild(item) != TREE_NONE)
            expanded.push_back(CKVLTreeCtrl::ItemPath(view, item));
    view.DeleteAll();
    BuildLan(view, lan);
    for (const std::string& path : expanded)
        if (TreeItem item = CKVLTreeCtrl::FindItemByPath(view, view.GetFirstRoot(), path))
            view.Expand(item);
    if (TreeItem item = CKVLTreeCtrl::FindItemByPath(view, view.GetFirstRoot(), selected))
        view.Select(item);
}

// Items by their places (child indexes from the roots), so that the same item is named in two equal trees.
std::vector<std::vector<size_t>> Places(const FakeTreeView& view) {
    std::vector<std::vector<size_t>> places;
    std::function<void(TreeItem, std::vector<size_t>)> walk = [&](TreeItem parent, std::vector<size_t> at) {
        const std::vector<TreeItem> children = view.Children(parent);
        for (size_t i = 0; i < children.size(); ++i) {
            at.push_back(i);
            places.push_back(at);
            walk(children[i], at);
            at.pop_back();
        }
    };
    walk(TREE_NONE, {});
    return places;
}
TreeItem At(const FakeTreeView& view, const std::vector<size_t>& place) {
    TreeItem item = TREE_NONE;
    for (size_t i : place)
        item = view.Children(item).at(i);
    return item;
}

// Texts, images, weights, expanded states and the selection, item by item.
std::string Describe(const FakeTreeView& view) {
    std::string out;
    for (const std::vector<size_t>& place : Places(view)) {
        const TreeItem item = At(view, place);
        out += std::string(place.size() * 2, ' ') + view.GetText(item) + " img" + std::to_string(view.Image(item)) +
               (view.IsBold(item) ? " bold" : "") + (view.IsExpanded(item) ? " +" : "") +
               (view.GetSelection() == item ? " *" : "") + "\n";
    }
    return out;
}

struct LanMaker {
    unsigned state = 12345;
    unsigned Next(unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    }
    Game MakeGame() {
        static const char* names[] = {"Ladder", "ladder", "Zeta", "co-op", "coop", "a.b", "Alpha", "[x]"};
        return {"[" + std::to_string(1 + Next(8)) + "/8] " + names[Next(8)], "10.0.1." + std::to_string(Next(6)),
                Next(2) == 0};
    }
    UserRow MakeUser() {
        static const char* names[] = {"bob", "Bob", "alice", "x.y"};
        return {names[Next(4)], "10.0.0." + std::to_string(1 + Next(3)), Next(2) ? "GG" : "brb"};
    }
    // A few records come and go or change; now and then the whole LAN is another one.
    void Change(Lan& lan) {
        if (Next(6) == 0)
            lan = Lan();
        for (unsigned k = Next(lan.games.empty() ? 40 : 4); k-- > 0;) {
            if (!lan.games.empty() && Next(3) == 0)
                lan.games.erase(lan.games.begin() + Next(static_cast<unsigned>(lan.games.size())));
            else if (!lan.games.empty() && Next(2) == 0)
                lan.games[Next(static_cast<unsigned>(lan.games.size()))] = MakeGame();
            else
                lan.games.insert(lan.games.begin() + Next(static_cast<unsigned>(lan.games.size()) + 1), MakeGame());
        }
        for (unsigned k = Next(4); k-- > 0;) {
            if (!lan.idle.empty() && Next(2) == 0)
                lan.idle.erase(lan.idle.begin() + Next(static_cast<unsigned>(lan.idle.size())));
            else
                lan.idle.push_back("[10.0.2." + std::to_string(Next(30)) + "]");
        }
        if (Next(3) == 0)
            lan.users.clear();
        for (unsigned k = Next(3); k-- > 0;)
            lan.users.push_back(MakeUser());
    }
    // What a user might do between two refreshes, to the item at the same place in both trees; the view is
    // always scrolled somewhere last (a rebuild from scratch would otherwise start at the top).
    void Act(FakeTreeView& a, FakeTreeView& b) {
        const auto places = Places(a);
        if (places.empty())
            return;
        for (unsigned k = Next(4); k-- > 0;) {
            const std::vector<size_t>& place = places[Next(static_cast<unsigned>(places.size()))];
            switch (Next(3)) {
            case 0:
                a.Expand(At(a, place));
                b.Expand(At(b, place));
                break;
            case 1:
                a.Collapse(At(a, place));
                b.Collapse(At(b, place));
                break;
            default:
                a.Select(At(a, place));
                b.Select(At(b, place));
            }
        }
        const std::vector<size_t>& top =
            Next(3) == 0 ? places.front() : places[Next(static_cast<unsigned>(places.size()))];
        a.ScrollTo(At(a, top));
        b.ScrollTo(At(b, top));
    }
};

}  // namespace

TEST(TreeSync, EditsGiveWhatARebuildFromScratchGives) {
    FakeTreeView shown, rebuilt;
    CKVLTreeCtrl tree;
    tree.Attach(&shown);
    LanMaker maker;
    Lan lan;
    for (int round = 0; round < 400; ++round) {
        maker.Change(lan);
        tree.SaveTreeState();
        BuildLan(tree.Model(), lan);
        tree.RestoreTreeState(true);
        RebuildFromScratch(rebuilt, lan);
        ASSERT_EQ(Describe(shown), Describe(rebuilt)) << "round " << round;
        maker.Act(shown, rebuilt);
    }
    EXPECT_EQ(shown.DeleteAllCalls(), 0);
}

TEST(TreeSync, TheSameLanTouchesNoItemAndOneChangeTouchesOnlyItsOwn) {
    FakeTreeView shown;
    CKVLTreeCtrl tree;
    tree.Attach(&shown);
    Lan lan;
    for (int i = 0; i < 100; ++i)
        lan.games.push_back({"[1/8] Game " + std::to_string(1000 + i), "10.0.1." + std::to_string(i), false});
    lan.idle = {"[10.0.2.1]", "[10.0.2.2]"};
    lan.users = {{"bob", "10.0.0.1", "GG"}};
    auto refresh = [&] {
        tree.SaveTreeState();
        BuildLan(tree.Model(), lan);
        tree.RestoreTreeState(true);
        return tree.ModelState().LastSync();
    };
    refresh();
    shown.Expand(shown.FindByTexts({"Games", "[1/8] Game 1050"}));
    const int inserts = shown.InsertCalls();
    const int redraws = shown.RedrawChanges();

    TreeSyncCounts same = refresh();
    EXPECT_EQ(same.inserted + same.deleted + same.changed + same.expansions, 0);
    EXPECT_EQ(same.queries, 104) << "the user expanded a game: every branch (3 roots, 100 games, 1 user) is asked";
    EXPECT_EQ(refresh().queries, 0) << "nobody touched the control since: nothing to ask";
    EXPECT_EQ(shown.InsertCalls(), inserts);
    EXPECT_EQ(shown.RedrawChanges(), redraws) << "nothing to redraw";
    EXPECT_TRUE(shown.IsExpanded(shown.FindByTexts({"Games", "[1/8] Game 1050"})));

    lan.games.push_back({"[1/8] Game 0999", "10.0.1.200", true});  // sorts first
    lan.games[10].text = "[1/8] Game 1010b";  // renamed, still sorted in the same place: the item shows the new text
    lan.games[20].running = true;             // another image, and another status line
    lan.idle.pop_back();
    TreeSyncCounts changed = refresh();
    EXPECT_EQ(changed.inserted, 3);  // the new game and its two lines
    EXPECT_EQ(changed.deleted, 1);   // the idle player
    EXPECT_EQ(changed.changed, 3);   // in place: the renamed game, the running game and its status line
    EXPECT_EQ(changed.expansions, 0);
    EXPECT_EQ(shown.RedrawChanges(), redraws + 2) << "drawing off for the edits, then on again";
    EXPECT_TRUE(shown.RedrawEnabled());
    EXPECT_EQ(shown.ChildTexts(shown.FindByTexts({"Games"})).front(), "[1/8] Game 0999");
    EXPECT_TRUE(shown.IsExpanded(shown.FindByTexts({"Games", "[1/8] Game 1050"})));
}

TEST(TreeSync, TheViewKeepsItsTopItem) {
    FakeTreeView shown;
    CKVLTreeCtrl tree;
    tree.Attach(&shown);
    Lan lan;
    for (int i = 0; i < 30; ++i)
        lan.games.push_back({"[1/8] Game " + std::to_string(10 + i), "10.0.1." + std::to_string(i), false});
    auto refresh = [&] {
        tree.SaveTreeState();
        BuildLan(tree.Model(), lan);
        tree.RestoreTreeState(true);
    };
    refresh();
    shown.ScrollTo(shown.FindByTexts({"Games", "[1/8] Game 20"}));
    refresh();
    EXPECT_EQ(shown.GetText(shown.GetFirstVisible()), "[1/8] Game 20") << "not back at the top";

    // The top item goes: the control's choice stands (the next one); the selection elsewhere stays as it is.
    shown.Select(shown.FindByTexts({"Games", "[1/8] Game 12"}));
    shown.ScrollTo(shown.FindByTexts({"Games", "[1/8] Game 20"}));
    const int selects = shown.SelectCalls();
    lan.games.erase(lan.games.begin() + 10);
    refresh();
    EXPECT_EQ(shown.GetText(shown.GetFirstVisible()), "[1/8] Game 21");
    EXPECT_EQ(shown.GetText(shown.GetSelection()), "[1/8] Game 12");
    EXPECT_EQ(shown.SelectCalls(), selects);
}

// ---------------------------------------------------------------- the fake itself

TEST(TreeFakeView, SortsChildrenLikeTheControl) {
    FakeTreeView view;
    TreeItem root = view.InsertItem(TREE_NONE, "r", 0, false);
    for (const char* t : {"beta", "Alpha", "alpha2", "Gamma", "10x", "_sym", "[2/8] Alpha", "[1/8] Zeta"})
        view.InsertItem(root, t, 0, false);
    view.SortChildren(root);
    EXPECT_EQ(view.ChildTexts(root), (std::vector<std::string>{"[1/8] Zeta", "[2/8] Alpha", "_sym", "10x", "Alpha",
                                                               "alpha2", "beta", "Gamma"}));
    // Hyphens are passed over: "co-op" sorts between "con" and "copy".
    EXPECT_LT(FakeTreeView::CompareText("con", "co-op"), 0);
    EXPECT_LT(FakeTreeView::CompareText("co-op", "copy"), 0);
    EXPECT_NE(FakeTreeView::CompareText("co-op", "coop"), 0);
    EXPECT_EQ(FakeTreeView::CompareText("ABC", "abc"), 0);
}

TEST(TreeFakeView, VisibleOrderFollowsExpansionAndScroll) {
    FakeTreeView view;
    TreeItem a = view.InsertItem(TREE_NONE, "a", 0, false);
    TreeItem a1 = view.InsertItem(a, "a1", 0, false);
    TreeItem a1x = view.InsertItem(a1, "a1x", 0, false);
    TreeItem b = view.InsertItem(TREE_NONE, "b", 0, false);
    TreeItem leaf = view.InsertItem(b, "b1", 0, false);

    EXPECT_EQ(view.VisibleOrder(), (std::vector<TreeItem>{a, b}));
    view.Expand(leaf);  // no children: no state
    EXPECT_FALSE(view.IsExpanded(leaf));
    view.Expand(a);
    view.Expand(a1);
    EXPECT_EQ(view.VisibleOrder(), (std::vector<TreeItem>{a, a1, a1x, b}));
    EXPECT_EQ(view.GetNextVisible(a1x), b);
    EXPECT_EQ(view.GetNextVisible(b), TREE_NONE);

    view.ScrollTo(a1x);
    EXPECT_EQ(view.GetFirstVisible(), a1x);
    view.Collapse(a);  // the top item is hidden: the view shows from its collapsed ancestor
    EXPECT_EQ(view.GetFirstVisible(), a);

    view.Select(a1x);  // opens the branch again, like the control
    EXPECT_TRUE(view.IsExpanded(a));
    view.Collapse(a1);  // the selection moves out of a collapsed branch
    EXPECT_EQ(view.GetSelection(), a1);

    view.DeleteAll();
    EXPECT_EQ(view.GetFirstVisible(), TREE_NONE);
    EXPECT_EQ(view.GetSelection(), TREE_NONE);
    EXPECT_NE(view.InsertItem(TREE_NONE, "c", 0, false), a) << "handles are not reused";
}
