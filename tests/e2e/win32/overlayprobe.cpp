// overlayprobe: the program's own drawing of the in-game console (CGdiOverlay) as shutdown leaves it: a frame drawn
// on a window (its picture keeps the console font selected), drawing ended, the console font deleted. Prints "console
// font freed" and exits with 0 when the font is gone then; Wine keeps a font deleted while selected until it is
// deselected (Windows does not delete it at all).
#include "assistant/win32/GdiOverlay.h"  // the system's headers in the program's order

#include <cstdio>

int main() {
    HWND window = ::CreateWindowExA(0, "STATIC", "overlay probe", WS_POPUP | WS_VISIBLE, 0, 0, 640, 240, nullptr,
                                    nullptr, nullptr, nullptr);
    CGdiOverlay overlay;
    IOverlayCanvas* canvas = window && overlay.CreateFonts() ? overlay.BeginDrawing(uintptr_t(window)) : nullptr;
    if (!canvas)
        return std::printf("no window, fonts or drawing context\n"), 2;
    const HFONT font = overlay.ConsoleFont();
    canvas->SelectFont(OverlayFont::Console);
    canvas->WriteText(5, 9, "chat line", OVERLAY_WHITE);
    canvas->Flush();
    overlay.EndDrawing();
    overlay.DeleteConsoleFont();
    const bool freed = ::GetObjectType(font) == 0;
    std::printf(freed ? "console font freed\n" : "console font still exists\n");
    return freed ? 0 : 1;
}
