// The in-game console's drawing on Windows: its two fonts, a drawing context borrowed from the game window (GDI
// draws on another process's window through GetDC), repaint requests and beeps.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "assistant/Overlay.h"
#include "base/win32/WinHandle.h"

class CGdiOverlay : public IOverlayPlatform, private IOverlayCanvas {
public:
    CGdiOverlay() = default;
    ~CGdiOverlay() override { EndDrawing(); }
    CGdiOverlay(const CGdiOverlay&) = delete;
    CGdiOverlay& operator=(const CGdiOverlay&) = delete;

    bool CreateFonts() override;
    void DeleteConsoleFont() override { m_ConsoleFont.Reset(); }
    IOverlayCanvas* BeginDrawing(uintptr_t window) override;
    void EndDrawing() override;
    void Invalidate(uintptr_t window, const OverlayRect& area) override;
    void Beep(OverlayBeep sound) override;

private:
    // IOverlayCanvas, on the borrowed context.
    void SelectWhiteBrushAndPen() override;
    void SetTransparentText() override;
    void SelectFont(OverlayFont font) override;
    void WriteText(int x, int y, const std::string& text, uint32_t colour) override;
    void DrawLines(const OverlayPoint* points, size_t count) override;
    void Flush() override;
    int ShownLength(int x, int length) const;

    CFontHandle m_ConsoleFont;
    CFontHandle m_TitleFont;
    HWND m_hDrawWindow = nullptr;
    HDC m_hDC = nullptr;
};
