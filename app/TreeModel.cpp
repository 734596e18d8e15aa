// The network status tree in memory, and bringing the tree-view control to it with as few edits as it takes.
#include "app/TreeModel.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

// More edits than this below one expanded item are made with it collapsed: the control renumbers every shown item
// below an edit while its parent is expanded, and does nothing of the kind while it is collapsed.
constexpr size_t kBulkEdits = 16;

// Positions of a longest increasing run in values (which are distinct).
std::vector<size_t> LongestIncreasing(const std::vector<int>& values) {
    std::vector<size_t> tails;  // tails[k]: position of the smallest last value of a run of length k + 1
    std::vector<size_t> before(values.size(), static_cast<size_t>(-1));
    for (size_t i = 0; i < values.size(); ++i) {
        auto it =
            std::lower_bound(tails.begin(), tails.end(), values[i], [&](size_t t, int v) { return values[t] < v; });
        if (it != tails.begin())
            before[i] = *(it - 1);
        if (it == tails.end())
            tails.push_back(i);
        else
            *it = i;
    }
    std::vector<size_t> run(tails.size());
    size_t at = tails.empty() ? 0 : tails.back();
    for (size_t k = run.size(); k-- > 0;) {
        run[k] = at;
        at = before[at];
    }
    return run;
}

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
    const int newFirst = newParent < 0 ? m_Live.firstRoot : m_Live.nodes[newParent].first;
    // Most lists are the same items as before, each where it was (a game's lines, a steady LAN): then each new
    // item takes over its old one, without any bookkeeping.
    int before = oldFirst, after = newFirst;
    while (before >= 0 && after >= 0 && Same(m_Shown.nodes[before], m_Live.nodes[after])) {
        before = m_Shown.nodes[before].next;
        after = m_Live.nodes[after].next;
    }
    if (before < 0 && after < 0) {
        for (before = oldFirst, after = newFirst; after >= 0;
             before = m_Shown.nodes[before].next, after = m_Live.nodes[after].next)
            TakeOver(control, before, after);
        for (before = oldFirst, after = newFirst; after >= 0;
             before = m_Shown.nodes[before].next, after = m_Live.nodes[after].next)
            SyncChildren(control, m_Shown.nodes[before].first, after);
        return;
    }

    std::vector<int> olds, news;
    for (int o = oldFirst; o >= 0; o = m_Shown.nodes[o].next)
        olds.push_back(o);
    for (int n = newFirst; n >= 0; n = m_Live.nodes[n].next)
        news.push_back(n);
    const TreeItem parentHandle = newParent < 0 ? TREE_NONE : m_Live.nodes[newParent].handle;

    // Which old child each new one takes over (a position in olds, or -1 for a new item). Equal texts pair up in
    // their order; then only pairs in the same order on both sides are kept, the longest such run, since the
    // control cannot move an item.
    std::vector<int> taken(news.size(), -1);
    std::unordered_map<std::string_view, std::vector<int>> byText;
    for (size_t o = olds.size(); o-- > 0;)
        byText[m_Shown.nodes[olds[o]].text].push_back(static_cast<int>(o));
    std::vector<int> values;
    std::vector<size_t> where;
    for (size_t i = 0; i < news.size(); ++i) {
        auto it = byText.find(m_Live.nodes[news[i]].text);
        if (it == byText.end() || it->second.empty())
            continue;
        values.push_back(it->second.back());
        where.push_back(i);
        it->second.pop_back();
    }
    for (size_t k : LongestIncreasing(values))
        taken[where[k]] = values[k];
    // Between two kept pairs, the old items left over show the new ones of the same gap, in order.
    int spare = 0;
    size_t gap = 0;
    for (size_t i = 0; i <= news.size(); ++i) {
        if (i < news.size() && taken[i] < 0)
            continue;
        const int bound = i < news.size() ? taken[i] : static_cast<int>(olds.size());
        for (size_t k = gap; k < i && spare < bound; ++k)
            taken[k] = spare++;
        spare = bound + 1;
        gap = i + 1;
    }

    std::vector<bool> kept(olds.size(), false);
    size_t edits = 0;
    for (size_t i = 0; i < news.size(); ++i) {
        if (taken[i] < 0) {
            ++edits;
            continue;
        }
        kept[taken[i]] = true;
        const Node& was = m_Shown.nodes[olds[taken[i]]];
        if (!Same(was, m_Live.nodes[news[i]]))
            ++edits;
    }
    size_t deletions = 0;
    for (bool k : kept)
        deletions += k ? 0 : 1;
    edits += deletions;

    if (newParent >= 0 && edits > kBulkEdits && m_Actual[newParent] != 0) {
        Suspend(control);
        control.SetExpanded(parentHandle, false);
        ++m_Counts.expansions;
        m_Actual[newParent] = 0;
    }
    for (size_t o = 0; o < olds.size(); ++o) {
        if (kept[o])
            continue;
        Suspend(control);
        control.DeleteItem(m_Shown.nodes[olds[o]].handle);
        ++m_Counts.deleted;
    }
    // The control may drop the expanded state of an item that lost all its children.
    if (deletions > 0 && newParent >= 0 && m_Actual[newParent] != 0)
        m_Actual[newParent] = -1;

    size_t lastTaken = 0;
    bool anyTaken = false;
    for (size_t i = 0; i < news.size(); ++i)
        if (taken[i] >= 0) {
            lastTaken = i;
            anyTaken = true;
        }
    TreeItem previous = TREE_NONE;
    for (size_t i = 0; i < news.size(); ++i) {
        Node& now = m_Live.nodes[news[i]];
        if (taken[i] >= 0) {
            TakeOver(control, olds[taken[i]], news[i]);
        } else {
            // Past the last item that stays, the new ones go at the end: the control need not find a sibling.
            Suspend(control);
            now.handle = anyTaken && i < lastTaken
                             ? control.InsertItem(parentHandle, previous, now.text, now.image, now.bold)
                             : control.AppendItem(parentHandle, now.text, now.image, now.bold);
            ++m_Counts.inserted;
            m_NewSubtrees.push_back(news[i]);
        }
        previous = now.handle;
    }
    for (size_t i = 0; i < news.size(); ++i)
        if (taken[i] >= 0)
            SyncChildren(control, m_Shown.nodes[olds[taken[i]]].first, news[i]);
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
