// The network status tree's view: the tree-view control driven through TVM_* messages.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include "app/KVLTreeCtrl.h"

class CTreeViewAdapter : public ITreeView {
public:
    void Attach(HWND tree) { m_hTree = tree; }
    HWND Get() const { return m_hTree; }

    TreeItem InsertItem(TreeItem parent, const std::string& text, int image, bool bold) override;
    TreeItem GetFirstRoot() const override;
    TreeItem GetChild(TreeItem item) const override;
    TreeItem GetNextSibling(TreeItem item) const override;
    TreeItem GetParent(TreeItem item) const override;
    std::string GetText(TreeItem item) const override;
    TreeItem GetSelection() const override;
    void Select(TreeItem item) override;
    void Expand(TreeItem item) override;
    bool IsExpanded(TreeItem item) const override;
    TreeItem GetFirstVisible() const override;
    TreeItem GetNextVisible(TreeItem item) const override;
    void DeleteAll() override;
    void SortChildren(TreeItem item) override;
    void SetRedraw(bool redraw) override;

private:
    TreeItem Next(TreeItem item, UINT relation) const;

    HWND m_hTree = nullptr;
};
