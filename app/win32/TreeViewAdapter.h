// The network status tree's control: the tree-view control driven through TVM_* messages.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include "app/TreeControl.h"

class CTreeViewAdapter : public ITreeControl {
public:
    CTreeViewAdapter() = default;
    CTreeViewAdapter(const CTreeViewAdapter&) = delete;
    CTreeViewAdapter& operator=(const CTreeViewAdapter&) = delete;
    ~CTreeViewAdapter() override;

    // Watches the control's messages (without acting on any) to know when somebody else may have changed it.
    void Attach(HWND tree);
    HWND Get() const { return m_hTree; }

    TreeItem InsertItem(TreeItem parent, TreeItem after, const std::string& text, int image, bool bold) override;
    TreeItem AppendItem(TreeItem parent, const std::string& text, int image, bool bold) override;
    void SetItem(TreeItem item, const std::string& text, int image, bool bold) override;
    void DeleteItem(TreeItem item) override;
    bool IsExpanded(TreeItem item) const override;
    void SetExpanded(TreeItem item, bool expanded) override;
    TreeItem GetSelection() const override;
    void Select(TreeItem item) override;
    TreeItem GetFirstVisible() const override;
    void SetFirstVisible(TreeItem item) override;
    void SetRedraw(bool redraw) override;
    std::string SortKey(const std::string& text) const override;
    bool MayHaveChangesByOthers() const override { return m_bChangedByOthers; }
    void ClearChangesByOthers() override { m_bChangedByOthers = false; }

    static constexpr const char* kFaultName = "status tree";

private:
    static LRESULT CALLBACK WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void Detach();
    TreeItem Insert(TreeItem parent, HTREEITEM after, const std::string& text, int image, bool bold);
    TreeItem Next(TreeItem item, UINT relation) const;

    HWND m_hTree = nullptr;
    WNDPROC m_OriginalProc = nullptr;
    bool m_bChangedByOthers = true;
};
