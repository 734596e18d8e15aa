// A banner line with no subsystem behind it. Bulwark has never had one; a subsystem still to be written keeps its
// place the same way: its line reports " [FAILED]" because nothing was started, its commands are registered (help
// lists them) and do nothing, and its root of the status tree and its part of the tray tip keep their shape, empty.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/Module.h"

class CAbsentModule : public IModule {
public:
    struct TreeRoot {
        const char* text;
        int image;
    };

    explicit CAbsentModule(const char* bannerText, std::vector<ConsoleCommand> rows = {}, TreeRoot root = {nullptr, 0},
                           std::string trayTipPart = std::string())
        : m_pBannerText(bannerText), m_Rows(std::move(rows)), m_Root(root), m_strTrayTipPart(std::move(trayTipPart)) {}

    const char* BannerText() const override { return m_pBannerText; }
    int Start() override { return -1; }
    std::vector<ConsoleCommand> Commands() const override { return m_Rows; }
    void BuildTreeSection(ITreeView& tree) override {
        if (!m_Root.text)
            return;
        const TreeItem root = tree.InsertItem(TREE_NONE, m_Root.text, m_Root.image, false);
        tree.SortChildren(root);
        tree.Expand(root);
    }
    std::string TrayTipPart() const override { return m_strTrayTipPart; }

private:
    const char* m_pBannerText;
    std::vector<ConsoleCommand> m_Rows;
    TreeRoot m_Root;
    std::string m_strTrayTipPart;
};
