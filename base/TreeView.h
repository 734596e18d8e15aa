// The tree-view control as the portable core sees it: the network status tree is built through this.
#pragma once

#include <cstdint>
#include <string>

using TreeItem = uintptr_t;  // 0: no item
constexpr TreeItem TREE_NONE = 0;

// The tree-view control the tree works on.
class ITreeView {
public:
    virtual ~ITreeView() = default;
    // Appends an item at the end of parent's children (parent TREE_NONE: a root). image is used as both images.
    virtual TreeItem InsertItem(TreeItem parent, const std::string& text, int image, bool bold) = 0;
    virtual TreeItem GetFirstRoot() const = 0;
    virtual TreeItem GetChild(TreeItem item) const = 0;
    virtual TreeItem GetNextSibling(TreeItem item) const = 0;
    virtual TreeItem GetParent(TreeItem item) const = 0;
    virtual std::string GetText(TreeItem item) const = 0;
    virtual TreeItem GetSelection() const = 0;
    virtual void Select(TreeItem item) = 0;
    virtual void Expand(TreeItem item) = 0;
    virtual bool IsExpanded(TreeItem item) const = 0;
    // The item at the top of the scrolled view, and the next item in display order (not entering collapsed items).
    virtual TreeItem GetFirstVisible() const = 0;
    virtual TreeItem GetNextVisible(TreeItem item) const = 0;
    virtual void DeleteAll() = 0;
    // Sorts the direct children of item by their text (the control's own collation).
    virtual void SortChildren(TreeItem item) = 0;
    // Suspends (false) and resumes (true) drawing.
    virtual void SetRedraw(bool redraw) = 0;
};
