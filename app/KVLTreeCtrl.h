// The network status tree: item paths and the view (expanded branches, selection) kept across rebuilds.
#pragma once

#include <string>
#include <vector>

#include "base/TreeView.h"

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
