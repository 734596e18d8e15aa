// The network status tree: item paths and the view (expanded branches, selection) kept across rebuilds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

class CKVLTreeCtrl {
public:
    void Attach(ITreeView* view) { m_pView = view; }
    ITreeView* View() const { return m_pView; }

    std::string ItemPath(TreeItem item) const;
    TreeItem FindItemByPath(TreeItem first, const std::string& path) const;
    void SaveTreeState();
    void RestoreTreeState(bool withSelection);

    const std::vector<std::string>& ExpandedPaths() const { return m_ExpandedPaths; }
    const std::string& SelectedPath() const { return m_strSelectedPath; }

private:
    ITreeView* m_pView = nullptr;
    std::vector<std::string> m_ExpandedPaths;
    std::string m_strSelectedPath;
};

// Image indexes of the tree's image list.
enum : int {
    IMG_PROGRAM = 0,
    IMG_GAME_WAITING = 1,
    IMG_GAME_RUNNING = 2,
    IMG_ADDRESS = 3,
    IMG_MAP = 4,
    IMG_TYPE = 5,
    IMG_ROOT_GAMES = 6,
    IMG_ROOT_WAITING = 7,
    IMG_IDLE_PLAYER = 8,
    IMG_STATUS = 9,
    IMG_ROOT_USERS = 10,
    IMG_USER_BASE = 11,
    IMG_SIGN = 14,
};
