// Anchored layout arithmetic; the Win32 side only measures controls and moves them.
#include "widgets/AnchorLayout.h"

#include <algorithm>

namespace {

// The anchor's coordinate in a client extent of the given size, rounded to the nearest pixel.
int AnchorOffset(int percent, int extent) {
    const long long product = static_cast<long long>(percent) * extent;
    return static_cast<int>(product >= 0 ? (product + 50) / 100 : (product - 50) / 100);
}

}  // namespace

LayoutRect AnchoredRect(const LayoutRect& initial, LayoutSize initialClient, AnchorPoint topLeft,
                        std::optional<AnchorPoint> bottomRight, LayoutSize client) {
    const int moveX = AnchorOffset(topLeft.x, client.cx) - AnchorOffset(topLeft.x, initialClient.cx);
    const int moveY = AnchorOffset(topLeft.y, client.cy) - AnchorOffset(topLeft.y, initialClient.cy);
    LayoutRect result{initial.left + moveX, initial.top + moveY, initial.right + moveX, initial.bottom + moveY};
    if (bottomRight) {
        result.right =
            initial.right + AnchorOffset(bottomRight->x, client.cx) - AnchorOffset(bottomRight->x, initialClient.cx);
        result.bottom =
            initial.bottom + AnchorOffset(bottomRight->y, client.cy) - AnchorOffset(bottomRight->y, initialClient.cy);
    }
    return result;
}

LayoutSize ApplyMinimumSize(LayoutSize requested, LayoutSize minimum) {
    return {std::max(requested.cx, minimum.cx), std::max(requested.cy, minimum.cy)};
}

void CAnchorLayout::Add(int id, const LayoutRect& initial, AnchorPoint topLeft,
                        std::optional<AnchorPoint> bottomRight) {
    auto it = std::find_if(m_Items.begin(), m_Items.end(), [id](const Item& item) { return item.id == id; });
    if (it != m_Items.end())
        *it = Item{id, initial, topLeft, bottomRight};
    else
        m_Items.push_back(Item{id, initial, topLeft, bottomRight});
}

std::vector<CAnchorLayout::Placed> CAnchorLayout::Arrange(LayoutSize client) const {
    const LayoutSize effective = ApplyMinimumSize(client, m_InitialClient);
    std::vector<Placed> placed;
    placed.reserve(m_Items.size());
    for (const Item& item : m_Items)
        placed.push_back(
            {item.id, AnchoredRect(item.initial, m_InitialClient, item.topLeft, item.bottomRight, effective)});
    return placed;
}
