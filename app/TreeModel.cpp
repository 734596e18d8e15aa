// The network status tree in memory, and bringing the tree-view control to it with as few edits as it takes.
#include "app/TreeModel.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

// More edits than this below one expanded item are made with it collapsed: the control renumbers every shown item
// below an edit while its parent is expanded, and does nothing of the kind while it is collapsed.
constexpr size_t kBulkEdits = 16;

}  // namespace

int CTreeModel::Index(TreeItem item) const {
    if (item <= m_Base || item - m_Base > m_Live.nodes.size())
        return -1;
    return static_cast<int>(item - m_Base - 1);
}

TreeItem CTreeModel::InsertItem(TreeItem parent, const std::string& text, int image, bool bold) {
    const int up = Index(parent);
    if (parent != TREE_NONE && up < 0)
        return TREE_NONE;
    const int index = static_cast<int>(m_Live.nodes.size());
    Node node;
    node.text = text;
    node.image = image;
    node.bold = bold;
    node.parent = up;
    m_Live.nodes.push_back(std::move(node));
    int& first = up < 0 ? m_Live.firstRoot : m_Live.nodes[up].first;
    int& last = up < 0 ? m_Live.lastRoot : m_Live.nodes[up].last;
    if (last >= 0)
        m_Live.nodes[last].next = index;
    else
        first = index;
    last = index;
    return Item(index);
}

TreeItem CTreeModel::GetFirstRoot() const { return Item(m_Live.firstRoot); }

TreeItem CTreeModel::GetChild(TreeItem item) const {
    const int index = Index(item);
    return index < 0 ? TREE_NONE : Item(m_Live.nodes[index].first);
}

TreeItem CTreeModel::GetNextSibling(TreeItem item) const {
    const int index = Index(item);
    return index < 0 ? TREE_NONE : Item(m_Live.nodes[index].next);
}

TreeItem CTreeModel::GetParent(TreeItem item) const {
    const int index = Index(item);
    return index < 0 ? TREE_NONE : Item(m_Live.nodes[index].parent);
}

std::string CTreeModel::GetText(TreeItem item) const {
    const int index = Index(item);
    return index < 0 ? std::string() : m_Live.nodes[index].text;
}

TreeItem CTreeModel::GetSelection() const { return Item(m_Live.selected); }

void CTreeModel::Select(TreeItem item) {
    const int index = Index(item);
    m_Live.selected = index;
    if (index < 0)
        return;
    for (int up = m_Live.nodes[index].parent; up >= 0; up = m_Live.nodes[up].parent)
        m_Live.nodes[up].expanded = true;
}

void CTreeModel::Expand(TreeItem item) {
    const int index = Index(item);
    if (index >= 0 && m_Live.nodes[index].first >= 0)
        m_Live.nodes[index].expanded = true;
}

bool CTreeModel::IsExpanded(TreeItem item) const {
    const int index = Index(item);
    return index >= 0 && m_Live.nodes[index].expanded;
}

TreeItem CTreeModel::GetFirstVisible() const {
    return Item(m_Live.firstVisible >= 0 ? m_Live.firstVisible : m_Live.firstRoot);
}

TreeItem CTreeModel::GetNextVisible(TreeItem item) const {
    int index = Index(item);
    if (index < 0)
        return TREE_NONE;
    const Node& node = m_Live.nodes[index];
    if (node.expanded && node.first >= 0)
        return Item(node.first);
    for (; index >= 0; index = m_Live.nodes[index].parent)
        if (m_Live.nodes[index].next >= 0)
            return Item(m_Live.nodes[index].next);
    return TREE_NONE;
}

void CTreeModel::DeleteAll() {
    m_Base += m_Live.nodes.size() + 1;
    // A second DeleteAll before ApplyTo drops an unshown tree; the control still shows the first one.
    if (!m_bRebuilt)
        m_Shown = std::move(m_Live);
    m_Live = Generation();
    m_Live.nodes.reserve(m_Shown.nodes.size());
    m_bRebuilt = true;
}

const std::string& CTreeModel::Key(const std::string& text) {
    auto it = m_Keys.find(text);
    if (it == m_Keys.end())
        it = m_Keys.emplace(text, m_pCollation ? m_pCollation->SortKey(text) : text).first;
    return it->second;
}

void CTreeModel::SortChildren(TreeItem item) {
    const int up = Index(item);
    if (item != TREE_NONE && up < 0)
        return;
    int& first = up < 0 ? m_Live.firstRoot : m_Live.nodes[up].first;
    int& last = up < 0 ? m_Live.lastRoot : m_Live.nodes[up].last;
    std::vector<std::pair<const std::string*, int>> children;
    for (int child = first; child >= 0; child = m_Live.nodes[child].next)
        children.emplace_back(&Key(m_Live.nodes[child].text), child);
    // Stable: texts that collate the same keep the order they were inserted in.
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return *a.first < *b.first; });
    first = last = -1;
    for (const auto& child : children) {
        if (last >= 0)
            m_Live.nodes[last].next = child.second;
        else
            first = child.second;
        last = child.second;
    }
    if (last >= 0)
        m_Live.nodes[last].next = -1;
}

void CTreeModel::ReadView(const ITreeControl& control) {
    const TreeItem selected = control.GetSelection();
    const TreeItem top = control.GetFirstVisible();
    // Each question makes the control search its list of items; when nobody else touched it since the last
    // ApplyTo, the branches are as that left them.
    const bool ask = control.MayHaveChangesByOthers();
    m_nViewQueries = 0;
    m_Live.selected = m_Live.firstVisible = -1;
    for (size_t i = 0; i < m_Live.nodes.size(); ++i) {
        Node& node = m_Live.nodes[i];
        if (node.handle == TREE_NONE)
            continue;
        if (node.handle == selected)
            m_Live.selected = static_cast<int>(i);
        if (node.handle == top)
            m_Live.firstVisible = static_cast<int>(i);
        // The user may have opened or closed any branch, also one scrolled out of view.
        if (ask && node.first >= 0) {
            node.expanded = control.IsExpanded(node.handle);
            ++m_nViewQueries;
        }
    }
}

void CTreeModel::Suspend(ITreeControl& control) {
    if (!m_bSuspended) {
        control.SetRedraw(false);
        m_bSuspended = true;
    }
}

void CTreeModel::ApplyTo(ITreeControl& control) {
    m_Counts = TreeSyncCounts();
    m_Counts.queries = m_nViewQueries;
    m_nViewQueries = 0;
    m_bSuspended = false;
    ApplyChanges(control);
    control.ClearChangesByOthers();
    // Drawing resumes, and the control repaints once, only when something changed: resuming has the control
    // measure every item again.
    if (m_bSuspended)
        control.SetRedraw(true);
}

void CTreeModel::ApplyChanges(ITreeControl& control) {
    if (!m_bRebuilt) {
        // Nothing was rebuilt: only the expanded states and the view are the model's.
        m_Actual.assign(m_Live.nodes.size(), -1);
        SyncExpansion(control);
        SyncView(control, m_Live.firstVisible);
        return;
    }
    m_Actual.assign(m_Live.nodes.size(), 0);
    m_OldToNew.assign(m_Shown.nodes.size(), -1);
    m_NewSubtrees.clear();
    SyncChildren(control, m_Shown.firstRoot, -1);
    InsertSubtrees(control);
    SyncExpansion(control);
    SyncView(control, m_Shown.firstVisible >= 0 ? m_OldToNew[m_Shown.firstVisible] : -1);

    m_Shown = Generation();
    m_bRebuilt = false;
    // Keys are kept for the texts of about one tree.
    if (m_Keys.size() > 2 * m_Live.nodes.size() + 64)
        m_Keys.clear();
}

// Brings the children of new node newParent (-1: the roots) to the model, given the old node's first child.
void CTreeModel::SyncChildren(ITreeControl& control, int oldFirst, int newParent) {
    const int newFirst = FirstChild(newParent);
    if (SameChildren(oldFirst, newFirst)) {
        // Most lists are the same items as before, each where it was (a game's lines, a steady LAN): then each new
        // item takes over its old one, without any bookkeeping.
        for (int o = oldFirst, n = newFirst; n >= 0; o = m_Shown.nodes[o].next, n = m_Live.nodes[n].next)
            TakeOver(control, o, n);
        for (int o = oldFirst, n = newFirst; n >= 0; o = m_Shown.nodes[o].next, n = m_Live.nodes[n].next)
            SyncChildren(control, m_Shown.nodes[o].first, n);
        return;
    }
    const SiblingPlan plan = PlanChildren(oldFirst, newParent);
    CollapseForBulkEdits(control, plan);
    DeleteDropped(control, plan);
    TakeOverOrInsert(control, plan);
    for (const SiblingEdit& edit : plan.edits)
        if (edit.Paired())
            SyncChildren(control, m_Shown.nodes[plan.olds[edit.old]].first, plan.news[edit.now]);
}

bool CTreeModel::SameChildren(int oldFirst, int newFirst) const {
    int o = oldFirst, n = newFirst;
    while (o >= 0 && n >= 0 && Same(m_Shown.nodes[o], m_Live.nodes[n])) {
        o = m_Shown.nodes[o].next;
        n = m_Live.nodes[n].next;
    }
    return o < 0 && n < 0;
}

CTreeModel::SiblingPlan CTreeModel::PlanChildren(int oldFirst, int newParent) const {
    SiblingPlan plan;
    plan.parent = newParent;
    std::vector<std::string_view> oldTexts, newTexts;
    for (int o = oldFirst; o >= 0; o = m_Shown.nodes[o].next) {
        plan.olds.push_back(o);
        oldTexts.push_back(m_Shown.nodes[o].text);
    }
    for (int n = FirstChild(newParent); n >= 0; n = m_Live.nodes[n].next) {
        plan.news.push_back(n);
        newTexts.push_back(m_Live.nodes[n].text);
    }
    plan.edits = PairSiblings(oldTexts, newTexts);
    return plan;
}

// An expanded item is collapsed before more than kBulkEdits edits below it; each insertion, deletion and item shown
// with another text, image or weight is one.
void CTreeModel::CollapseForBulkEdits(ITreeControl& control, const SiblingPlan& plan) {
    if (plan.parent < 0 || m_Actual[plan.parent] == 0)
        return;
    size_t edits = 0;
    for (const SiblingEdit& edit : plan.edits)
        if (!edit.Paired() || !Same(m_Shown.nodes[plan.olds[edit.old]], m_Live.nodes[plan.news[edit.now]]))
            ++edits;
    if (edits <= kBulkEdits)
        return;
    Suspend(control);
    control.SetExpanded(m_Live.nodes[plan.parent].handle, false);
    ++m_Counts.expansions;
    m_Actual[plan.parent] = 0;
}

// Deletes the old children that no new one takes over.
void CTreeModel::DeleteDropped(ITreeControl& control, const SiblingPlan& plan) {
    bool deleted = false;
    for (const SiblingEdit& edit : plan.edits) {
        if (edit.kind != SiblingEdit::Delete)
            continue;
        Suspend(control);
        control.DeleteItem(m_Shown.nodes[plan.olds[edit.old]].handle);
        ++m_Counts.deleted;
        deleted = true;
    }
    // The control may drop the expanded state of an item that lost all its children.
    if (deleted && plan.parent >= 0 && m_Actual[plan.parent] != 0)
        m_Actual[plan.parent] = -1;
}

// The new children in their order: each takes over its old item or is inserted after the one before it.
void CTreeModel::TakeOverOrInsert(ITreeControl& control, const SiblingPlan& plan) {
    // Past the last item that stays, the new ones go at the end: the control need not find a sibling.
    size_t appendFrom = 0;
    for (const SiblingEdit& edit : plan.edits)
        if (edit.Paired())
            appendFrom = edit.now + 1;
    const TreeItem parentHandle = plan.parent < 0 ? TREE_NONE : m_Live.nodes[plan.parent].handle;
    TreeItem previous = TREE_NONE;
    for (const SiblingEdit& edit : plan.edits) {
        if (edit.kind == SiblingEdit::Delete)
            continue;
        const int n = plan.news[edit.now];
        Node& now = m_Live.nodes[n];
        if (edit.Paired()) {
            TakeOver(control, plan.olds[edit.old], n);
        } else {
            Suspend(control);
            now.handle = edit.now < appendFrom
                             ? control.InsertItem(parentHandle, previous, now.text, now.image, now.bold)
                             : control.AppendItem(parentHandle, now.text, now.image, now.bold);
            ++m_Counts.inserted;
            m_NewSubtrees.push_back(n);
        }
        previous = now.handle;
    }
}

// New node n is shown by old node o's item, changed in place where they differ.
void CTreeModel::TakeOver(ITreeControl& control, int o, int n) {
    const Node& was = m_Shown.nodes[o];
    Node& now = m_Live.nodes[n];
    now.handle = was.handle;
    m_Actual[n] = was.expanded ? 1 : 0;
    m_OldToNew[o] = n;
    if (!Same(was, now)) {
        Suspend(control);
        control.SetItem(now.handle, now.text, now.image, now.bold);
        ++m_Counts.changed;
    }
}

// The children of new items, a level at a time: the control then finds the items that take most children near
// the front of its list of items.
void CTreeModel::InsertSubtrees(ITreeControl& control) {
    for (size_t k = 0; k < m_NewSubtrees.size(); ++k) {
        const int parent = m_NewSubtrees[k];
        for (int child = m_Live.nodes[parent].first; child >= 0; child = m_Live.nodes[child].next) {
            Node& node = m_Live.nodes[child];
            Suspend(control);
            node.handle = control.AppendItem(m_Live.nodes[parent].handle, node.text, node.image, node.bold);
            ++m_Counts.inserted;
            m_NewSubtrees.push_back(child);
        }
    }
}

// Parents before children, as a rebuild expands them.
void CTreeModel::SyncExpansion(ITreeControl& control) {
    std::vector<int> stack, children;
    auto pushChildren = [&](int first) {
        children.clear();
        for (int child = first; child >= 0; child = m_Live.nodes[child].next)
            children.push_back(child);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    };
    pushChildren(m_Live.firstRoot);
    while (!stack.empty()) {
        const int index = stack.back();
        stack.pop_back();
        const Node& node = m_Live.nodes[index];
        if (node.handle != TREE_NONE) {
            bool actual = m_Actual[index] > 0;
            if (m_Actual[index] < 0) {
                actual = control.IsExpanded(node.handle);
                ++m_Counts.queries;
            }
            if (actual != node.expanded) {
                Suspend(control);
                control.SetExpanded(node.handle, node.expanded);
                ++m_Counts.expansions;
            }
        }
        pushChildren(node.first);
    }
}

// The view keeps the item at its top when that item stays (or its nearest shown ancestor when a branch above it
// closed); then the selection is set, which scrolls it into view.
void CTreeModel::SyncView(ITreeControl& control, int top) {
    if (top >= 0) {
        for (int up = m_Live.nodes[top].parent; up >= 0; up = m_Live.nodes[up].parent)
            if (!m_Live.nodes[up].expanded)
                top = up;
        const TreeItem handle = m_Live.nodes[top].handle;
        if (handle != TREE_NONE && control.GetFirstVisible() != handle) {
            Suspend(control);
            control.SetFirstVisible(handle);
        }
    }
    const TreeItem selected = m_Live.selected >= 0 ? m_Live.nodes[m_Live.selected].handle : TREE_NONE;
    if (control.GetSelection() != selected) {
        Suspend(control);
        control.Select(selected);
    }
}
