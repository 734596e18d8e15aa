// Drawing the in-game console onto the game window's own surface, as the console's model sees it: a canvas with
// the few drawing operations a frame needs, and the platform that owns the fonts, the borrowed drawing context,
// repainting requests and beeps. Recording fakes stand in for both in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct OverlayPoint {
    int x, y;
};

struct OverlayRect {
    int left, top, right, bottom;
};

enum class OverlayFont { Console, Title };

// Colours as 0x00BBGGRR.
enum : uint32_t { OVERLAY_BLACK = 0x000000, OVERLAY_WHITE = 0xFFFFFF };

class IOverlayCanvas {
public:
    virtual ~IOverlayCanvas() = default;
    // The white stock brush and pen.
    virtual void SelectWhiteBrushAndPen() = 0;
    virtual void SetTransparentText() = 0;
    virtual void SelectFont(OverlayFont font) = 0;
    virtual void WriteText(int x, int y, const std::string& text, uint32_t colour) = 0;
    // Lines through the points with the selected pen.
    virtual void DrawLines(const OverlayPoint* points, size_t count) = 0;
    virtual void Flush() = 0;
};

// The sounds of the in-game console, by the platform's beep type: the default beep (MB_OK) and the exclamation
// (MB_ICONEXCLAMATION). 0xFFFFFFFF would be the simple beep of the speaker, which is not one of them.
enum class OverlayBeep : uint32_t { Default = 0x00, Exclamation = 0x30 };

class IOverlayPlatform {
public:
    virtual ~IOverlayPlatform() = default;
    // The console font ("Courier", height 16) and the title font ("Verdana", height 12); false when either fails.
    virtual bool CreateFonts() = 0;
    virtual void DeleteConsoleFont() = 0;
    // Borrows the window's drawing context; null when it cannot be had. One at a time: EndDrawing gives it back.
    virtual IOverlayCanvas* BeginDrawing(uintptr_t window) = 0;
    virtual void EndDrawing() = 0;
    // Asks the window to repaint the area with its background erased (the game then draws over the console).
    virtual void Invalidate(uintptr_t window, const OverlayRect& area) = 0;
    virtual void Beep(OverlayBeep sound) = 0;
};
