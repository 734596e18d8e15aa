// The network status tree held in memory. Each rebuild is made here from scratch, and the tree-view control is then
// brought to it by changing only what differs: a refresh that finds the same LAN costs the control nothing, where
// deleting and inserting every item costs it a search through all its items for each one.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/SiblingPairing.h"
#include "app/TreeControl.h"
#include "base/TreeView.h"

// What the last ApplyTo asked of the control.
struct TreeSyncCounts {
    int inserted = 0;    // items inserted, children included
    int deleted = 0;     // delete calls (an item's children go with it)
    int changed = 0;     // items given another text, image or weight in place
    int expansions = 0;  // expand and collapse calls
    int queries = 0;     // questions about an item's expanded state (those of ReadView included)
};

class CTreeModel : public ITreeView {
public:
    // The control whose collation orders sorted children (without one, texts are ordered by their bytes).
    void SetCollation(const ITreeControl* control) { m_pCollation = control; }

    TreeItem InsertItem(TreeItem parent, const std::string& text, int image, bool bold) override;
    TreeItem GetFirstRoot() const override;
    TreeItem GetChild(TreeItem item) const override;
    TreeItem GetNextSibling(TreeItem item) const override;
    TreeItem GetParent(TreeItem item) const override;
    std::string GetText(TreeItem item) const override;
    TreeItem GetSelection() const override;
    // Selecting an item expands its ancestors, as the control does when it brings the item into view.
    void Select(TreeItem item) override;
    void Expand(TreeItem item) override;
    bool IsExpanded(TreeItem item) const override;
    TreeItem GetFirstVisible() const override;
    TreeItem GetNextVisible(TreeItem item) const override;
    // Starts a new tree; what the control shows is kept aside until ApplyTo.
    void DeleteAll() override;
    void SortChildren(TreeItem item) override;
    void SetRedraw(bool) override {}

    // Takes from the control what the user may have changed since the last ApplyTo: the selection, the item at
    // the top of the view and the expanded state of each item with children.
    void ReadView(const ITreeControl& control);
    // Brings the control to the model after DeleteAll and a rebuild: what differs is deleted, inserted or changed
    // in place (items keep their places), then items are expanded or collapsed, the view keeps its top item and
    // the selection is set. Without a rebuild only the expanded states and the selection are brought over.
    // Drawing is off from the first edit to the end; with nothing to change the control is not touched.
    void ApplyTo(ITreeControl& control);
    const TreeSyncCounts& LastSync() const { return m_Counts; }
    size_t Count() const { return m_Live.nodes.size(); }

private:
    struct Node {
        std::string text;
        int image = 0;
        bool bold = false;
        bool expanded = false;
        int parent = -1;
        int first = -1;
        int last = -1;
        int next = -1;
        TreeItem handle = TREE_NONE;  // the control's item that shows this one
    };
    struct Generation {
        std::vector<Node> nodes;
        int firstRoot = -1;
        int lastRoot = -1;
        int selected = -1;
        int firstVisible = -1;
    };

    void ApplyChanges(ITreeControl& control);
    void Suspend(ITreeControl& control);
    static bool Same(const Node& a, const Node& b) {
        return a.text == b.text && a.image == b.image && a.bold == b.bold;
    }
    int Index(TreeItem item) const;
    TreeItem Item(int index) const { return index < 0 ? TREE_NONE : m_Base + static_cast<TreeItem>(index) + 1; }
    const std::string& Key(const std::string& text);
    // The children of one new node (-1: the roots) before and after the rebuild, and the edits between them.
    struct SiblingPlan {
        int parent = -1;
        std::vector<int> olds, news;  // old and new nodes, in order
        std::vector<SiblingEdit> edits;
    };
    int FirstChild(int parent) const { return parent < 0 ? m_Live.firstRoot : m_Live.nodes[parent].first; }
    void SyncChildren(ITreeControl& control, int oldFirst, int newParent);
    bool SameChildren(int oldFirst, int newFirst) const;
    SiblingPlan PlanChildren(int oldFirst, int newParent) const;
    void CollapseForBulkEdits(ITreeControl& control, const SiblingPlan& plan);
    void DeleteDropped(ITreeControl& control, const SiblingPlan& plan);
    void TakeOverOrInsert(ITreeControl& control, const SiblingPlan& plan);
    void TakeOver(ITreeControl& control, int o, int n);
    void InsertSubtrees(ITreeControl& control);
    void SyncExpansion(ITreeControl& control);
    void SyncView(ITreeControl& control, int top);

    Generation m_Live;   // the tree as built
    Generation m_Shown;  // what the control shows, from DeleteAll until ApplyTo
    bool m_bRebuilt = false;
    TreeItem m_Base = 0;  // items of each new tree get numbers that no earlier tree used
    const ITreeControl* m_pCollation = nullptr;
    std::unordered_map<std::string, std::string> m_Keys;

    // Working state of ApplyTo.
    std::vector<signed char> m_Actual;  // the control's expanded state of each live node: 0, 1, or -1 unknown
    std::vector<int> m_OldToNew;
    std::vector<int> m_NewSubtrees;
    bool m_bSuspended = false;  // drawing of the control is off until the end of ApplyTo
    TreeSyncCounts m_Counts;
    int m_nViewQueries = 0;
};
