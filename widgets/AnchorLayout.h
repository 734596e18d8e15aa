// Anchored layout of a resizable window's controls: where each control goes when the client area changes size.
#pragma once

#include <optional>
#include <vector>

struct LayoutSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const LayoutSize& other) const { return cx == other.cx && cy == other.cy; }
};

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const LayoutRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// A point of the client area in per cent of its width and height.
struct AnchorPoint {
    int x = 0;
    int y = 0;
};

constexpr AnchorPoint ANCHOR_TOP_LEFT{0, 0};
constexpr AnchorPoint ANCHOR_TOP_RIGHT{100, 0};
constexpr AnchorPoint ANCHOR_BOTTOM_LEFT{0, 100};
constexpr AnchorPoint ANCHOR_BOTTOM_RIGHT{100, 100};

// The rect of a control for a new client size. Each corner keeps its distance to its anchor point; without a second
// anchor the control keeps its size and moves with its first anchor.
LayoutRect AnchoredRect(const LayoutRect& initial, LayoutSize initialClient, AnchorPoint topLeft,
                        std::optional<AnchorPoint> bottomRight, LayoutSize client);

// A window may be enlarged but never made smaller than its size at creation.
LayoutSize ApplyMinimumSize(LayoutSize requested, LayoutSize minimum);

// The anchored controls of one window, keyed by an id the caller chooses (the control id).
class CAnchorLayout {
public:
    struct Placed {
        int id;
        LayoutRect rect;
    };

    void SetInitialClient(LayoutSize size) { m_InitialClient = size; }
    LayoutSize InitialClient() const { return m_InitialClient; }

    // A control added twice is anchored by its last call.
    void Add(int id, const LayoutRect& initial, AnchorPoint topLeft, std::optional<AnchorPoint> bottomRight);
    void Clear() { m_Items.clear(); }
    bool Empty() const { return m_Items.empty(); }

    // The rects of every control, in the order they were added, for a client area of the given size. A client
    // smaller than the initial one (a window that is minimised, or maximised on a small screen) is laid out as the
    // initial size, so that controls are clipped rather than turned inside out.
    std::vector<Placed> Arrange(LayoutSize client) const;

private:
    struct Item {
        int id;
        LayoutRect initial;
        AnchorPoint topLeft;
        std::optional<AnchorPoint> bottomRight;
    };
    LayoutSize m_InitialClient;
    std::vector<Item> m_Items;
};
