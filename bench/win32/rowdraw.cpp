// The in-game console benchmark's baseline: a bare program that draws what an open console shows (eleven lines,
// the input row and the caret row, each text with its black shadow, the title and the frame) straight onto the game
// window on every tick of a timer as fast as the program's, with the same fonts and calls, and nothing else. Prints
// "drawing" once it runs; runs until it is ended.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND g_hGame = nullptr;
HDC g_hDC = nullptr;
HFONT g_hConsoleFont = nullptr;
HFONT g_hTitleFont = nullptr;

void Row(int y, const std::string& text) {
    SetTextColor(g_hDC, RGB(0, 0, 0));
    TextOutA(g_hDC, 6, y + 1, text.data(), static_cast<int>(text.size()));
    SetTextColor(g_hDC, RGB(255, 255, 255));
    TextOutA(g_hDC, 5, y, text.data(), static_cast<int>(text.size()));
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    SelectObject(g_hDC, GetStockObject(WHITE_BRUSH));
    SelectObject(g_hDC, GetStockObject(WHITE_PEN));
    SetBkMode(g_hDC, TRANSPARENT);
    SelectObject(g_hDC, g_hConsoleFont);
    for (int k = 0; k < 11; ++k)
        Row(165 - 15 * k, "console line " + std::to_string(k) + " with some words in it");
    Row(185, "> typed so far");
    SetTextColor(g_hDC, RGB(255, 255, 255));
    const std::string caret = ">              _";
    TextOutA(g_hDC, 5, 185, caret.data(), static_cast<int>(caret.size()));
    SelectObject(g_hDC, g_hTitleFont);
    TextOutA(g_hDC, 442, 204, "KVL SE", 6);
    const POINT frame[7] = {{0, 0}, {639, 0}, {639, 220}, {440, 220}, {424, 204}, {0, 204}, {0, 0}};
    Polyline(g_hDC, frame, 7);
    GdiFlush();
}

}  // namespace

int main() {
    g_hGame = FindWindowA("SWarClass", "Brood War");
    if (!g_hGame || !(g_hDC = GetDC(g_hGame)))
        return 2;
    g_hConsoleFont = CreateFontA(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier");
    g_hTitleFont = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Verdana");
    if (!SetTimer(nullptr, 0, 1, Tick))
        return 3;
    printf("drawing\n");
    fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
