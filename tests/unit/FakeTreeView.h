// An in-memory tree-view control for the unit tests: items with texts, images and bold flags, the expanded state
// bit, the selection, a scroll position (the first visible item) and the display order that follows from them,
// the control's child sort and its collation keys, and the edits that bring it to a rebuilt tree (counted).
// Helpers let a test act as the user (collapse, scroll) and read the tree back.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/KVLTreeCtrl.h"
#include "app/TreeControl.h"

class FakeTreeView : public ITreeView, public ITreeControl {
public:
    struct Node {
        std::string text;
        int image = 0;
        bool bold = false;
        TreeItem parent = TREE_NONE;
        std::vector<TreeItem> children;
        bool expanded = false;
    };

    // ---------------------------------------------------------------- ITreeView
    TreeItem InsertItem(TreeItem parent, const std::string& text, int image, bool bold) override {
        m_bChangedByOthers = true;
        if (parent != TREE_NONE && !Exists(parent))
            return TREE_NONE;
        // Handles are never reused, so a handle kept across DeleteAll cannot alias a new item.
        const TreeItem item = ++m_LastHandle;
        Node node;
        node.text = text;
        node.image = image;
        node.bold = bold;
        node.parent = parent;
        m_Nodes[item] = node;
        SiblingList(parent).push_back(item);
        return item;
    }
    TreeItem GetFirstRoot() const override { return m_Roots.empty() ? TREE_NONE : m_Roots.front(); }
    TreeItem GetChild(TreeItem item) const override {
        const Node* node = Find(item);
        return node && !node->children.empty() ? node->children.front() : TREE_NONE;
    }
    TreeItem GetNextSibling(TreeItem item) const override {
        const Node* node = Find(item);
        if (!node)
            return TREE_NONE;
        const std::vector<TreeItem>& siblings = node->parent == TREE_NONE ? m_Roots : m_Nodes.at(node->parent).children;
        auto it = std::find(siblings.begin(), siblings.end(), item);
        return it + 1 < siblings.end() ? *(it + 1) : TREE_NONE;
    }
    TreeItem GetParent(TreeItem item) const override {
        const Node* node = Find(item);
        return node ? node->parent : TREE_NONE;
    }
    std::string GetText(TreeItem item) const override {
        const Node* node = Find(item);
        return node ? node->text : std::string();
    }
    TreeItem GetSelection() const override { return m_Selected; }
    // Like the control, selecting an item makes it visible: its ancestors are expanded, and the view scrolls up
    // to it when it lies above the top.
    void Select(TreeItem item) override {
        m_bChangedByOthers = true;
        ++m_SelectCalls;
        if (item == TREE_NONE || !Exists(item)) {
            m_Selected = TREE_NONE;
            return;
        }
        for (TreeItem up = GetParent(item); up != TREE_NONE; up = GetParent(up))
            m_Nodes[up].expanded = true;
        m_Selected = item;
        const std::vector<TreeItem> order = VisibleOrder();
        const TreeItem top = GetFirstVisible();
        if (std::find(order.begin(), order.end(), item) < std::find(order.begin(), order.end(), top))
            m_FirstVisible = item;
    }
    // Like the control, an item without children does not take the expanded state.
    void Expand(TreeItem item) override {
        m_bChangedByOthers = true;
        ++m_ExpandCalls;
        Node* node = Find(item);
        if (node && !node->children.empty())
            node->expanded = true;
    }
    bool IsExpanded(TreeItem item) const override {
        const Node* node = Find(item);
        return node && node->expanded;
    }
    TreeItem GetFirstVisible() const override {
        if (m_Roots.empty())
            return TREE_NONE;
        if (!Exists(m_FirstVisible))
            return m_Roots.front();
        // A top item hidden by a collapse gives way to its nearest shown ancestor.
        TreeItem top = m_FirstVisible;
        for (TreeItem up = GetParent(top); up != TREE_NONE; up = GetParent(up))
            if (!IsExpanded(up))
                top = up;
        return top;
    }
    TreeItem GetNextVisible(TreeItem item) const override {
        const std::vector<TreeItem> order = VisibleOrder();
        auto it = std::find(order.begin(), order.end(), item);
        return it != order.end() && it + 1 < order.end() ? *(it + 1) : TREE_NONE;
    }
    void DeleteAll() override {
        m_bChangedByOthers = true;
        ++m_DeleteAllCalls;
        m_Nodes.clear();
        m_Roots.clear();
        m_Selected = TREE_NONE;
        m_FirstVisible = TREE_NONE;
    }
    // TREE_NONE sorts the roots. Stable, like a merge of equal texts keeping their order.
    void SortChildren(TreeItem item) override {
        m_bChangedByOthers = true;
        if (item != TREE_NONE && !Exists(item))
            return;
        std::vector<TreeItem>& children = SiblingList(item);
        std::stable_sort(children.begin(), children.end(),
                         [this](TreeItem a, TreeItem b) { return CompareText(m_Nodes[a].text, m_Nodes[b].text) < 0; });
    }
    void SetRedraw(bool redraw) override {
        m_bRedraw = redraw;
        ++m_RedrawChanges;
    }

    // ---------------------------------------------------------------- ITreeControl
    // Like the control, an "after" item that is not a sibling puts the item last.
    TreeItem InsertItem(TreeItem parent, TreeItem after, const std::string& text, int image, bool bold) override {
        ++m_InsertCalls;
        const TreeItem item = InsertItem(parent, text, image, bold);
        if (item == TREE_NONE)
            return item;
        std::vector<TreeItem>& siblings = SiblingList(parent);
        siblings.pop_back();
        auto at = siblings.end();
        if (after == TREE_NONE)
            at = siblings.begin();
        else if (auto found = std::find(siblings.begin(), siblings.end(), after); found != siblings.end())
            at = found + 1;
        siblings.insert(at, item);
        return item;
    }
    TreeItem AppendItem(TreeItem parent, const std::string& text, int image, bool bold) override {
        ++m_InsertCalls;
        return InsertItem(parent, text, image, bold);
    }
    void SetItem(TreeItem item, const std::string& text, int image, bool bold) override {
        m_bChangedByOthers = true;
        ++m_SetItemCalls;
        if (Node* node = Find(item)) {
            node->text = text;
            node->image = image;
            node->bold = bold;
        }
    }
    // As the control does, a deleted selection passes to the next sibling, else the parent, else the previous
    // sibling; so does the top of the view.
    void DeleteItem(TreeItem item) override {
        m_bChangedByOthers = true;
        ++m_DeleteCalls;
        const Node* node = Find(item);
        if (!node)
            return;
        const TreeItem parent = node->parent;
        std::vector<TreeItem>& siblings = SiblingList(parent);
        auto at = std::find(siblings.begin(), siblings.end(), item);
        const TreeItem next = at + 1 < siblings.end() ? *(at + 1) : TREE_NONE;
        const TreeItem previous = at > siblings.begin() ? *(at - 1) : TREE_NONE;
        const TreeItem heir = next != TREE_NONE ? next : (parent != TREE_NONE ? parent : previous);
        if (Within(m_Selected, item))
            m_Selected = heir;
        if (Within(m_FirstVisible, item))
            m_FirstVisible = heir;
        siblings.erase(at);
        Erase(item);
    }
    void SetExpanded(TreeItem item, bool expanded) override {
        if (expanded) {
            Expand(item);
        } else {
            ++m_ExpandCalls;
            Collapse(item);
        }
    }
    void SetFirstVisible(TreeItem item) override { ScrollTo(item); }
    // Like the control's watch on its messages: every edit counts (scrolling does not) until cleared.
    bool MayHaveChangesByOthers() const override { return m_bChangedByOthers; }
    void ClearChangesByOthers() override { m_bChangedByOthers = false; }
    // Orders as CompareText: the weights without word marks first, then with them.
    std::string SortKey(const std::string& text) const override {
        std::string key;
        for (int pass = 0; pass < 2; ++pass) {
            for (unsigned char c : text) {
                if (pass == 0 && (c == '-' || c == '\''))
                    continue;
                const int weight = CharWeight(c);
                key += static_cast<char>(weight >> 8);
                key += static_cast<char>(weight & 0xFF);
            }
            key += '\0';
        }
        return key;
    }

    // ---------------------------------------------------------------- what the user does
    // Collapsing a branch that holds the selection moves the selection to the branch, as the control does.
    void Collapse(TreeItem item) {
        m_bChangedByOthers = true;
        Node* node = Find(item);
        if (!node)
            return;
        node->expanded = false;
        for (TreeItem up = GetParent(m_Selected); up != TREE_NONE; up = GetParent(up))
            if (up == item)
                m_Selected = item;
    }
    // Sets the state bit directly, as a state change through the item's attributes would (even without children).
    void SetExpandedState(TreeItem item, bool expanded) {
        m_bChangedByOthers = true;
        if (Node* node = Find(item))
            node->expanded = expanded;
    }
    // Scrolls so that item is the first visible one.
    void ScrollTo(TreeItem item) { m_FirstVisible = item; }

    // ---------------------------------------------------------------- reading the tree back
    bool Exists(TreeItem item) const { return item != TREE_NONE && m_Nodes.count(item) != 0; }
    size_t Count() const { return m_Nodes.size(); }
    int Image(TreeItem item) const {
        const Node* node = Find(item);
        return node ? node->image : -1;
    }
    bool IsBold(TreeItem item) const {
        const Node* node = Find(item);
        return node && node->bold;
    }
    // Children of item in their order (TREE_NONE: the roots).
    std::vector<TreeItem> Children(TreeItem item) const {
        if (item == TREE_NONE)
            return m_Roots;
        const Node* node = Find(item);
        return node ? node->children : std::vector<TreeItem>();
    }
    std::vector<std::string> ChildTexts(TreeItem item) const {
        std::vector<std::string> texts;
        for (TreeItem child : Children(item))
            texts.push_back(GetText(child));
        return texts;
    }
    // The first child of parent (TREE_NONE: a root) with this text, or TREE_NONE.
    TreeItem FindChild(TreeItem parent, const std::string& text) const {
        for (TreeItem child : Children(parent))
            if (GetText(child) == text)
                return child;
        return TREE_NONE;
    }
    // The item reached by following texts from the roots, or TREE_NONE.
    TreeItem FindByTexts(const std::vector<std::string>& texts) const {
        TreeItem item = TREE_NONE;
        for (const std::string& text : texts) {
            item = FindChild(item, text);
            if (item == TREE_NONE)
                break;
        }
        return item;
    }
    // Every item that is shown (its ancestors expanded), in display order from the first root.
    std::vector<TreeItem> VisibleOrder() const {
        std::vector<TreeItem> order;
        for (TreeItem root : m_Roots)
            AppendVisible(root, order);
        return order;
    }
    // The whole tree as indented lines, two spaces a level; "+ " marks an expanded item, "* " the selection.
    std::string Dump() const {
        std::string out;
        for (TreeItem root : m_Roots)
            DumpItem(root, 0, out);
        return out;
    }
    bool RedrawEnabled() const { return m_bRedraw; }
    int RedrawChanges() const { return m_RedrawChanges; }
    int ExpandCalls() const { return m_ExpandCalls; }
    int SelectCalls() const { return m_SelectCalls; }
    int DeleteAllCalls() const { return m_DeleteAllCalls; }
    int InsertCalls() const { return m_InsertCalls; }
    int SetItemCalls() const { return m_SetItemCalls; }
    int DeleteCalls() const { return m_DeleteCalls; }

    // The control's child sort ignores case; like its word sort, symbols come before digits and digits before
    // letters, and hyphens and apostrophes count only when the texts are otherwise equal.
    static int CompareText(const std::string& a, const std::string& b) {
        int result = CompareKeys(a, b, true);
        return result != 0 ? result : CompareKeys(a, b, false);
    }

private:
    static int CharWeight(unsigned char c) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        if (c >= 'a' && c <= 'z')
            return 0x300 + c;
        if (c >= '0' && c <= '9')
            return 0x200 + c;
        if (c >= 0x80)
            return 0x400 + c;
        return 0x100 + c;
    }
    static int CompareKeys(const std::string& a, const std::string& b, bool skipWordMarks) {
        auto skip = [skipWordMarks](const std::string& s, size_t i) {
            while (skipWordMarks && i < s.size() && (s[i] == '-' || s[i] == '\''))
                ++i;
            return i;
        };
        size_t i = skip(a, 0), j = skip(b, 0);
        while (i < a.size() && j < b.size()) {
            int ka = CharWeight(static_cast<unsigned char>(a[i])), kb = CharWeight(static_cast<unsigned char>(b[j]));
            if (ka != kb)
                return ka < kb ? -1 : 1;
            i = skip(a, i + 1);
            j = skip(b, j + 1);
        }
        if (i < a.size())
            return 1;
        if (j < b.size())
            return -1;
        return 0;
    }

    Node* Find(TreeItem item) {
        auto it = m_Nodes.find(item);
        return it == m_Nodes.end() ? nullptr : &it->second;
    }
    const Node* Find(TreeItem item) const {
        auto it = m_Nodes.find(item);
        return it == m_Nodes.end() ? nullptr : &it->second;
    }
    bool Within(TreeItem item, TreeItem branch) const {
        for (; item != TREE_NONE; item = GetParent(item))
            if (item == branch)
                return true;
        return false;
    }
    void Erase(TreeItem item) {
        for (TreeItem child : m_Nodes.at(item).children)
            Erase(child);
        m_Nodes.erase(item);
    }
    std::vector<TreeItem>& SiblingList(TreeItem parent) {
        return parent == TREE_NONE ? m_Roots : m_Nodes[parent].children;
    }
    void AppendVisible(TreeItem item, std::vector<TreeItem>& order) const {
        order.push_back(item);
        const Node& node = m_Nodes.at(item);
        if (node.expanded)
            for (TreeItem child : node.children)
                AppendVisible(child, order);
    }
    void DumpItem(TreeItem item, int depth, std::string& out) const {
        const Node& node = m_Nodes.at(item);
        out += std::string(static_cast<size_t>(depth) * 2, ' ');
        if (item == m_Selected)
            out += "* ";
        if (node.expanded)
            out += "+ ";
        out += node.text + "\n";
        for (TreeItem child : node.children)
            DumpItem(child, depth + 1, out);
    }

    std::map<TreeItem, Node> m_Nodes;
    std::vector<TreeItem> m_Roots;
    TreeItem m_LastHandle = 0;
    TreeItem m_Selected = TREE_NONE;
    TreeItem m_FirstVisible = TREE_NONE;
    bool m_bRedraw = true;
    int m_RedrawChanges = 0;
    int m_ExpandCalls = 0;
    int m_SelectCalls = 0;
    int m_DeleteAllCalls = 0;
    int m_InsertCalls = 0;
    int m_SetItemCalls = 0;
    int m_DeleteCalls = 0;
    bool m_bChangedByOthers = true;
};
