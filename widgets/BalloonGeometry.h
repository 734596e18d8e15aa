// The arithmetic of a balloon tip, apart from any window: its options, its size from the measured header and text,
// where it stands relative to the point its stem touches, its stem and body, the fades and the mouse rules.
#pragma once

#include <cstdint>

// Bits of a balloon's options.
enum BalloonOptions : uint32_t {
    BalloonCloseOnClick = 0x01,       // the left button released anywhere closes it (mouse captured)
    BalloonCloseOnRightClick = 0x02,  // the right button released closes it (mouse captured)
    BalloonCloseOnMouseMove = 0x04,   // a cursor moved beyond the tolerance closes it, once fully faded in
    BalloonCloseOnKey = 0x08,         // any key pressed in the program's thread closes it
    BalloonDeleteOnClose = 0x10,      // the object deletes itself when its window is gone
    BalloonCloseButton = 0x20,        // a 16 by 16 close button in the top-right corner
    BalloonTopmost = 0x80,            // stays above all other windows
    BalloonNoFadeIn = 0x100,          // appears at once
    BalloonNoFadeOut = 0x200,         // vanishes at once
};

namespace balloon {

struct Point {
    int x = 0;
    int y = 0;
};
struct Size {
    int cx = 0;
    int cy = 0;
};
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

constexpr int kMargin = 8;          // frame around the client area, and the gap between header and text
constexpr int kStemHeight = 20;     // the strip that holds the stem
constexpr int kStemWidth = 20;      // width of the stem's base
constexpr int kCloseButton = 16;    // the close button's side
constexpr int kCornerEllipse = 24;  // the body's rounded corners
constexpr int kMouseTolerance = 3;  // pixels the cursor may move before a move closes the balloon

// Timers of the balloon window.
enum : unsigned {
    TIMER_FADE_IN = 3333,
    TIMER_FADE_OUT = 3334,
    TIMER_TIMEOUT = 3335,
    TIMER_MOUSE = 3336,
};
constexpr unsigned kFadePeriod = 25;
constexpr unsigned kMousePeriod = 100;
constexpr unsigned kMousePeriodOnButton = 500;

// The header: icon, 8 pixels, the title on one line, and the close button when there is one.
Size HeaderSize(Size icon, Size title, bool closeButton);
// The whole window: the wider of header and text by their heights plus 8, with 8 pixels on every side and the stem.
Size WindowSize(Size header, Size content);

// Which quarter of the screen the anchor lies in: 0 upper right, 1 upper left, 2 lower right, 3 lower left; a point
// exactly on a middle line counts as right or lower.
int Quadrant(Point anchor, const Rect& screen);

struct Placement {
    int quadrant = 0;
    Point position;  // the window's top-left corner, in screen coordinates
    Point stem[3];   // base start, base end, tip; window coordinates
    Rect body;       // the rounded rectangle, window coordinates
    Rect client;     // where header and text are drawn, window coordinates
    Size size;
    bool operator==(const Placement& other) const;
    bool operator!=(const Placement& other) const { return !(*this == other); }
};

// Places a window of `size` so that its stem's tip touches `anchor`, inside `screen`. Pushed back inside
// horizontally, the tip moves the opposite way so that it still points at the anchor; vertically only the window
// moves.
Placement Place(Point anchor, Size size, const Rect& screen);

// The close button's rectangle (window coordinates): the top-right corner of the client area.
Rect CloseButtonRect(const Placement& placement);

// Fade options: with the system's tooltip animation or fading off, or without layered windows, no fades.
uint32_t SettleFadeOptions(uint32_t options, bool tooltipAnimation, bool tooltipFade, bool layeredWindows);

// One step of a fade. The opacity to apply, and whether the fade has ended.
struct FadeStep {
    int alpha;
    bool done;
};
constexpr int kFadeInStart = 5;
constexpr int kFadeOutStart = 250;
constexpr int kFadeDelta = 25;
FadeStep FadeInStep(int alpha);
FadeStep FadeOutStep(int alpha);

// Whether a cursor at `cursor` (client coordinates) closes a balloon shown with the cursor at `start`.
bool ClosesOnMove(uint32_t options, int alpha, Point start, Point cursor, int tolerance = kMouseTolerance);

// The close button's look: bit 0x200 held down, and the drawn look in the low bits.
enum : uint32_t {
    CloseButtonFlat = 0,
    CloseButtonHot = 1,
    CloseButtonPushed = 2,
    CloseButtonHeld = 0x200,
};
uint32_t CloseButtonLook(bool held, bool cursorOnButton);

// What creation does besides drawing: the window the balloon belongs to (the caller's; the main window when the
// caller gives none; 0 when there is neither, and creation fails), and the watches its options ask for.
struct CreationSteps {
    uintptr_t parent;
    bool watchMouse;    // remember the cursor and check it on a timer (close on a move)
    bool captureMouse;  // a click anywhere closes it
    bool closeOnKey;    // joins the key-close list
};
CreationSteps PlanCreation(uint32_t options, uintptr_t parent, uintptr_t mainWindow);

// What the left button's release does: the capture released, the balloon closed, its link opened.
struct ButtonUpSteps {
    bool releaseCapture;
    bool close;
    bool openLink;
};
ButtonUpSteps LeftButtonUp(uint32_t options, bool closeButtonHeld, bool onCloseButton, bool hasLink);

}  // namespace balloon
