// overlayprobe: the in-game console's drawing (the program's own CGdiOverlay) run as the assistant runs it on a
// window of its own: the fonts made, a frame drawn (its picture keeps the console font selected), drawing ended, and
// the console font deleted as at shutdown. Prints "console font freed" when the font is gone afterwards, else
// "console font still exists" (Wine keeps a font that is deleted while selected until it is deselected; Windows does
// not delete it at all) and exits with 1.
#include "assistant/win32/GdiOverlay.h"  // the system's headers in the program's order

#include <cstdio>

int main() {
    HWND window = ::CreateWindowExA(0, "STATIC", "overlay probe", WS_POPUP | WS_VISIBLE, 0, 0, 640, 240, nullptr,
                                    nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        std::printf("no window\n");
        return 2;
    }
    CGdiOverlay overlay;
    if (!overlay.CreateFonts()) {
        std::printf("no fonts\n");
        return 2;
    }
    const HFONT font = overlay.ConsoleFont();
    IOverlayCanvas* canvas = overlay.BeginDrawing(reinterpret_cast<uintptr_t>(window));
    if (!canvas) {
        std::printf("no drawing context\n");
        return 2;
    }
    canvas->SelectWhiteBrushAndPen();
    canvas->SetTransparentText();
    canvas->SelectFont(OverlayFont::Console);
    canvas->WriteText(5, 9, "chat line", OVERLAY_WHITE);
    canvas->Flush();
    overlay.EndDrawing();
    overlay.DeleteConsoleFont();
    const bool freed = ::GetObjectType(font) == 0;
    std::printf(freed ? "console font freed\n" : "console font still exists\n");
    ::DestroyWindow(window);
    return freed ? 0 : 1;
}
