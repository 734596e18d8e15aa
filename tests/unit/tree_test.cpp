// The status tree's item paths and its memory of the view across rebuilds, over the in-memory tree view; and the
// behaviour of that fake which the other tree tests rely on.
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
void Build(FakeTreeView& view, const TreeContent& c) {
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

    // A refresh as the main window does it: remember, rebuild, restore.
    void Refresh(const TreeContent& c, bool withSelection = true) {
        tree.SaveTreeState();
        ASSERT_EQ(view.Count(), 0u) << "SaveTreeState empties the tree";
        Build(view, c);
        tree.RestoreTreeState(withSelection);
    }
    TreeItem Item(const std::vector<std::string>& texts) const { return view.FindByTexts(texts); }

    FakeTreeView view;
    CKVLTreeCtrl tree;
};

}  // namespace

TEST_F(TreeCtrlTest, ItemPathJoinsTextsWithFullStops) {
    Build(view, Sample());
    EXPECT_EQ(tree.ItemPath(TREE_NONE), "");
    EXPECT_EQ(tree.ItemPath(Item({"Games"})), "Games.");
    EXPECT_EQ(tree.ItemPath(Item({"Games", "[2/8] Ladder", "Map: Plains"})), "Games.[2/8] Ladder.Map: Plains.");
    EXPECT_EQ(tree.ItemPath(Item({"KVL's online", "bob", "Sign: GG"})), "KVL's online.bob.Sign: GG.");

    CKVLTreeCtrl detached;
    EXPECT_EQ(detached.ItemPath(Item({"Games"})), "");
    EXPECT_EQ(detached.FindItemByPath(view.GetFirstRoot(), "Games."), TREE_NONE);
}

TEST_F(TreeCtrlTest, EveryItemIsFoundByItsPath) {
    Build(view, Sample());
    int items = 0;
    ForEachItem(view, view.GetFirstRoot(), [&](TreeItem item) {
        ++items;
        EXPECT_EQ(tree.FindItemByPath(view.GetFirstRoot(), tree.ItemPath(item)), item) << tree.ItemPath(item);
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
        EXPECT_EQ(tree.FindItemByPath(view.GetFirstRoot(), path), TREE_NONE) << '"' << path << '"';
    EXPECT_EQ(tree.FindItemByPath(TREE_NONE, "Games."), TREE_NONE);
}

TEST_F(TreeCtrlTest, FirstMatchingSiblingDecides) {
    // A text with a full stop: "a." heads the path "a.b.y." as well as "a.b." does.
    TreeItem a = view.InsertItem(TREE_NONE, "a", 0, false);
    view.InsertItem(a, "x", 0, false);
    TreeItem ab = view.InsertItem(TREE_NONE, "a.b", 0, false);
    TreeItem y = view.InsertItem(ab, "y", 0, false);
    EXPECT_EQ(tree.FindItemByPath(view.GetFirstRoot(), "a.b.y."), TREE_NONE);
    EXPECT_EQ(tree.FindItemByPath(view.GetFirstRoot(), "a.b."), TREE_NONE);
    // Starting the search at the second sibling finds it.
    EXPECT_EQ(tree.FindItemByPath(ab, "a.b.y."), y);

    // Two siblings with the same text: only the first is ever searched below.
    FakeTreeView dup;
    CKVLTreeCtrl dupTree;
    dupTree.Attach(&dup);
    TreeItem first = dup.InsertItem(TREE_NONE, "Dup", 0, false);
    TreeItem one = dup.InsertItem(first, "one", 0, false);
    TreeItem second = dup.InsertItem(TREE_NONE, "Dup", 0, false);
    dup.InsertItem(second, "two", 0, false);
    EXPECT_EQ(dupTree.FindItemByPath(dup.GetFirstRoot(), "Dup."), first);
    EXPECT_EQ(dupTree.FindItemByPath(dup.GetFirstRoot(), "Dup.one."), one);
    EXPECT_EQ(dupTree.FindItemByPath(dup.GetFirstRoot(), "Dup.two."), TREE_NONE);
}

TEST_F(TreeCtrlTest, SaveRemembersExpandedItemsAndSelectionThenDeletesAll) {
    Build(view, Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Select(Item({"KVL's online", "bob", "Sign: GG"}));  // selecting opens the user's branch
    tree.SaveTreeState();

    EXPECT_EQ(view.Count(), 0u);
    EXPECT_EQ(view.DeleteAllCalls(), 1);
    EXPECT_EQ(tree.SelectedPath(), "KVL's online.bob.Sign: GG.");
    const std::vector<std::string> expected = {"Games.", "Games.[2/8] Ladder.", "Waiting games.", "KVL's online.",
                                               "KVL's online.bob."};
    EXPECT_EQ(tree.ExpandedPaths(), expected);
}

TEST_F(TreeCtrlTest, ExpandedGameAndSelectionSurviveARefresh) {
    Build(view, Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Select(Item({"KVL's online", "bob", "Sign: GG"}));
    Refresh(Sample());

    EXPECT_TRUE(view.IsExpanded(Item({"Games", "[2/8] Ladder"})));
    EXPECT_FALSE(view.IsExpanded(Item({"Games", "[3/8] Alpha"})));
    EXPECT_EQ(view.GetSelection(), Item({"KVL's online", "bob", "Sign: GG"}));
    EXPECT_TRUE(view.IsExpanded(Item({"KVL's online", "bob"})));
}

TEST_F(TreeCtrlTest, ChangedTextsComeBackCollapsedAndUnselected) {
    Build(view, Sample());
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
    Build(view, Sample());
    view.Select(Item({"Waiting games", "[10.0.0.2]"}));
    Refresh(Sample(), false);
    EXPECT_EQ(view.GetSelection(), TREE_NONE);
    EXPECT_EQ(tree.SelectedPath(), "Waiting games.[10.0.0.2].");
    tree.RestoreTreeState(true);
    EXPECT_EQ(view.GetSelection(), Item({"Waiting games", "[10.0.0.2]"}));
}

TEST_F(TreeCtrlTest, ExpandedItemScrolledOutAboveTheViewIsForgotten) {
    Build(view, Sample());
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
    Build(view, Sample());
    view.Expand(Item({"Games", "[2/8] Ladder"}));
    view.Collapse(Item({"Games"}));
    view.SetExpandedState(Item({"Waiting games", "[10.0.0.9]"}), true);  // the state bit without children
    tree.SaveTreeState();
    EXPECT_EQ(tree.ExpandedPaths(), (std::vector<std::string>{"Waiting games.", "KVL's online."}));
}

TEST_F(TreeCtrlTest, EachSaveStartsAFreshMemory) {
    Build(view, Sample());
    view.Select(Item({"Games", "[1/4] Zeta"}));
    tree.SaveTreeState();
    EXPECT_EQ(tree.ExpandedPaths().size(), 3u);
    Build(view, Sample());
    view.Collapse(Item({"Games"}));
    tree.SaveTreeState();
    EXPECT_EQ(tree.ExpandedPaths(), (std::vector<std::string>{"Waiting games.", "KVL's online."}));
    EXPECT_EQ(tree.SelectedPath(), "");

    // A save of an empty tree remembers nothing and the restore does nothing.
    tree.SaveTreeState();
    EXPECT_TRUE(tree.ExpandedPaths().empty());
    Build(view, TreeContent{});
    const int selects = view.SelectCalls();
    tree.RestoreTreeState(true);
    EXPECT_EQ(view.SelectCalls(), selects);
    EXPECT_EQ(view.GetSelection(), TREE_NONE);
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
