// The in-game console's drawing on Windows: its two fonts, a drawing context borrowed from the game window (GDI
// draws on another process's window through GetDC), repaint requests and beeps.
//
// A frame is not drawn on the game window call by call. The canvas records what a frame draws; a frame that differs
// from the last one is drawn into a picture in memory, and every tick puts that picture on the game window with two
// raster operations (clear where the frame draws, then draw). Drawing the same two dozen texts over the game a
// hundred times a second cost the program under Wine a quarter of a core; the two operations cost a few hundredths.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "assistant/Overlay.h"
#include "base/win32/WinHandle.h"

class CGdiOverlay : public IOverlayPlatform, private IOverlayCanvas {
public:
    CGdiOverlay() = default;
    ~CGdiOverlay() override { EndDrawing(); }
    CGdiOverlay(const CGdiOverlay&) = delete;
    CGdiOverlay& operator=(const CGdiOverlay&) = delete;

    bool CreateFonts() override;
    void DeleteConsoleFont() override;
    IOverlayCanvas* BeginDrawing(uintptr_t window) override;
    void EndDrawing() override;
    void Invalidate(uintptr_t window, const OverlayRect& area) override;
    void Beep(OverlayBeep sound) override;
    // The console font's handle, for the end-to-end probe that checks it is freed.
    HFONT ConsoleFont() const { return m_ConsoleFont.Get(); }

private:
    // One drawing step of a frame, as the canvas was asked for it.
    struct Step {
        enum Kind { WhiteBrushAndPen, TransparentText, Font, Text, Lines } kind;
        int x, y;
        uint32_t colour;            // Text
        OverlayFont font;           // Font
        std::string text;           // Text
        std::vector<POINT> points;  // Lines
        bool operator==(const Step& other) const;
    };
    // A 32-bit bitmap in memory and a context to draw on it.
    struct Surface {
        CBitmapHandle bitmap;  // selected into dc, which goes first
        CMemoryDC dc;
        uint32_t* bits = nullptr;
        SIZE size{};
        bool Make(HDC like, SIZE extent, COLORREF background);
        // The context first: it lets go of the bitmap and of anything else selected into it.
        void Free();
    };

    // IOverlayCanvas: the steps of the frame being made.
    void SelectWhiteBrushAndPen() override;
    void SetTransparentText() override;
    void SelectFont(OverlayFont font) override;
    void WriteText(int x, int y, const std::string& text, uint32_t colour) override;
    void DrawLines(const OverlayPoint* points, size_t count) override;
    void Flush() override;

    // Draws the recorded steps on a context `width` pixels wide.
    void Replay(HDC dc, int width) const;
    bool MakePicture(SIZE size);
    int ShownLength(HDC dc, int x, int length, int right) const;

    CFontHandle m_ConsoleFont;
    CFontHandle m_TitleFont;
    HWND m_hDrawWindow = nullptr;
    HDC m_hDC = nullptr;
    std::vector<Step> m_Frame;     // being recorded
    std::vector<Step> m_Pictured;  // the frame the picture shows
    Surface m_Picture;             // the frame as the game window shows it over black
    Surface m_Mask;                // black where the frame draws, white elsewhere
    RECT m_Used{};                 // where the frame draws anything
    bool m_bPictureValid = false;
};
