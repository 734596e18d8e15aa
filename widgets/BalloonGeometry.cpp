// The arithmetic of a balloon tip: size, quadrant, stem, clamping to the screen, fades and mouse rules.
#include "widgets/BalloonGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace balloon {

Size HeaderSize(Size icon, Size title, bool closeButton) {
    Size header;
    header.cx = icon.cx + kMargin + title.cx + (closeButton ? kCloseButton : 0);
    header.cy = std::max({icon.cy, title.cy, closeButton ? kCloseButton : 0});
    return header;
}

Size WindowSize(Size header, Size content) {
    const int innerWidth = std::max(header.cx, content.cx);
    const int innerHeight = header.cy + content.cy + kMargin;
    return Size{innerWidth + 2 * kMargin, innerHeight + 2 * kMargin + kStemHeight};
}

int Quadrant(Point anchor, const Rect& screen) {
    const int middleX = screen.left + screen.Width() / 2;
    const int middleY = screen.top + screen.Height() / 2;
    const bool right = anchor.x >= middleX;
    const bool lower = anchor.y >= middleY;
    return (lower ? 2 : 0) + (right ? 0 : 1);
}

bool Placement::operator==(const Placement& other) const {
    for (int i = 0; i < 3; ++i) {
        if (stem[i].x != other.stem[i].x || stem[i].y != other.stem[i].y)
            return false;
    }
    return quadrant == other.quadrant && size.cx == other.size.cx && size.cy == other.size.cy &&
           body.left == other.body.left && body.top == other.body.top && body.right == other.body.right &&
           body.bottom == other.body.bottom;
}

Placement Place(Point anchor, Size size, const Rect& screen) {
    Placement p;
    p.size = size;
    p.quadrant = Quadrant(anchor, screen);
    const bool below = p.quadrant < 2;  // hangs below the anchor, stem at the top
    const int w = size.cx;
    const int h = size.cy;

    int tipY, baseY;
    if (below) {
        p.body = Rect{0, kStemHeight, w, h};
        tipY = 1;
        baseY = kStemHeight + 1;
        p.client = Rect{kMargin, kStemHeight + kMargin, w - kMargin, h - kMargin};
    } else {
        p.body = Rect{0, 0, w, h - kStemHeight};
        tipY = h - 2;
        baseY = h - kStemHeight - 2;
        p.client = Rect{kMargin, kMargin, w - kMargin, h - kStemHeight - kMargin};
    }

    const int q = (w - kStemWidth) / 4;
    int xs[3];
    if (p.quadrant == 0 || p.quadrant == 2) {
        xs[0] = 3 * q;
        xs[1] = 3 * q + kStemWidth;
        xs[2] = 3 * q + kStemWidth;
    } else {
        xs[0] = q + kStemWidth;
        xs[1] = q;
        xs[2] = q;
    }
    for (int& x : xs)
        x = std::min(std::max(x, kMargin), w - kMargin);
    p.stem[0] = Point{xs[0], baseY};
    p.stem[1] = Point{xs[1], baseY};
    p.stem[2] = Point{xs[2], tipY};

    p.position = Point{anchor.x - p.stem[2].x, anchor.y - p.stem[2].y};
    // Horizontally the tip follows the anchor: what the window moves, the tip moves back.
    int shift = 0;
    if (p.position.x + w > screen.right)
        shift = screen.right - (p.position.x + w);
    if (p.position.x + shift < screen.left)
        shift = screen.left - p.position.x;
    p.position.x += shift;
    p.stem[2].x -= shift;
    // Vertically the window only moves.
    if (p.position.y + h > screen.bottom)
        p.position.y = screen.bottom - h;
    if (p.position.y < screen.top)
        p.position.y = screen.top;
    return p;
}

Rect CloseButtonRect(const Placement& placement) {
    const Rect& c = placement.client;
    return Rect{c.right - kCloseButton, c.top, c.right, c.top + kCloseButton};
}

uint32_t SettleFadeOptions(uint32_t options, bool tooltipAnimation, bool tooltipFade, bool layeredWindows) {
    if (!tooltipAnimation || !tooltipFade || !layeredWindows)
        options |= BalloonNoFadeIn | BalloonNoFadeOut;
    return options;
}

FadeStep FadeInStep(int alpha) {
    alpha += kFadeDelta;
    if (alpha > 255)
        return FadeStep{255, true};
    return FadeStep{alpha, false};
}

FadeStep FadeOutStep(int alpha) {
    alpha -= kFadeDelta;
    if (alpha < 0)
        return FadeStep{0, true};
    return FadeStep{alpha, false};
}

bool ClosesOnMove(uint32_t options, int alpha, Point start, Point cursor, int tolerance) {
    if (!(options & BalloonCloseOnMouseMove) || alpha != 255)
        return false;
    return std::abs(cursor.x - start.x) > tolerance || std::abs(cursor.y - start.y) > tolerance;
}

uint32_t CloseButtonLook(bool held, bool cursorOnButton) {
    if (held)
        return CloseButtonHeld | (cursorOnButton ? CloseButtonPushed : CloseButtonFlat);
    return cursorOnButton ? CloseButtonHot : CloseButtonFlat;
}

CreationSteps PlanCreation(uint32_t options, uintptr_t parent, uintptr_t mainWindow) {
    return CreationSteps{parent != 0 ? parent : mainWindow, (options & BalloonCloseOnMouseMove) != 0,
                         (options & (BalloonCloseOnClick | BalloonCloseOnRightClick)) != 0,
                         (options & BalloonCloseOnKey) != 0};
}

ButtonUpSteps LeftButtonUp(uint32_t options, bool closeButtonHeld, bool onCloseButton, bool hasLink) {
    // The button took the mouse when it was pressed and gives it back, whatever else closes the balloon; let go
    // beside the button, it leaves the balloon open.
    if (closeButtonHeld)
        return ButtonUpSteps{true, onCloseButton, false};
    if (options & BalloonCloseOnClick)
        return ButtonUpSteps{true, true, false};
    return ButtonUpSteps{false, hasLink, hasLink};
}

}  // namespace balloon
