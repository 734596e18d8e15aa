// The tree-view control under the network status tree: the few edits and questions that bring it to a rebuilt tree.
#pragma once

#include <string>

#include "base/TreeView.h"

class ITreeControl {
public:
    virtual ~ITreeControl() = default;
    // Inserts an item below parent (TREE_NONE: a root) right after the sibling after, or first when after is
    // TREE_NONE; AppendItem puts it after the last one. image is used as both images.
    virtual TreeItem InsertItem(TreeItem parent, TreeItem after, const std::string& text, int image, bool bold) = 0;
    virtual TreeItem AppendItem(TreeItem parent, const std::string& text, int image, bool bold) = 0;
    // Gives an item another text, image and weight; its place and its children stay.
    virtual void SetItem(TreeItem item, const std::string& text, int image, bool bold) = 0;
    // Deletes an item with everything below it.
    virtual void DeleteItem(TreeItem item) = 0;
    virtual bool IsExpanded(TreeItem item) const = 0;
    // Expands or collapses an item, as the expand message does (an item without children is never expanded).
    virtual void SetExpanded(TreeItem item, bool expanded) = 0;
    virtual TreeItem GetSelection() const = 0;
    // Selects an item (TREE_NONE: nothing) and scrolls it into view.
    virtual void Select(TreeItem item) = 0;
    // The item at the top of the scrolled view, and scrolling so that item is there.
    virtual TreeItem GetFirstVisible() const = 0;
    virtual void SetFirstVisible(TreeItem item) = 0;
    // Suspends (false) and resumes (true) drawing.
    virtual void SetRedraw(bool redraw) = 0;
    // A key whose byte order is the alphabetical order of texts that the children of a root are sorted in.
    virtual std::string SortKey(const std::string& text) const = 0;
    // Whether anybody else (the user's clicks and keys, another program's messages) may have opened or closed a
    // branch since ClearChangesByOthers; true when unsure. What is done through this interface does not count
    // until the next clear.
    virtual bool MayHaveChangesByOthers() const = 0;
    virtual void ClearChangesByOthers() = 0;
};
