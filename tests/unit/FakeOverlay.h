// Fakes of the in-game console's platform: a canvas that records every drawing call as a line of text, the overlay
// platform that hands it out and records repaint requests and beeps, and the hook reports' channel.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "assistant/KeyRelay.h"
#include "assistant/Overlay.h"

namespace kvltest {

class RecordingCanvas : public IOverlayCanvas {
public:
    void SelectWhiteBrushAndPen() override { calls.push_back("brush+pen white"); }
    void SetTransparentText() override { calls.push_back("transparent"); }
    void SelectFont(OverlayFont font) override {
        calls.push_back(font == OverlayFont::Title ? "font title" : "font console");
    }
    void WriteText(int x, int y, const std::string& text, uint32_t colour) override {
        char head[48];
        std::snprintf(head, sizeof(head), "%s %d,%d ", colour == OVERLAY_WHITE ? "white" : "black", x, y);
        calls.push_back(head + text);
    }
    void DrawLines(const OverlayPoint* points, size_t count) override {
        std::string line = "lines";
        for (size_t i = 0; i < count; ++i)
            line += " " + std::to_string(points[i].x) + "," + std::to_string(points[i].y);
        calls.push_back(line);
    }
    void Flush() override { calls.push_back("flush"); }

    std::vector<std::string> calls;
};

class FakeOverlayPlatform : public IOverlayPlatform {
public:
    bool CreateFonts() override { return fontsAvailable; }
    void DeleteConsoleFont() override { ++fontsDeleted; }
    IOverlayCanvas* BeginDrawing(uintptr_t window) override {
        drawWindow = window;
        drawing = true;
        return &canvas;
    }
    void EndDrawing() override { drawing = false; }
    void Invalidate(uintptr_t window, const OverlayRect& area) override {
        ++invalidations;
        lastInvalidated = window;
        lastArea = area;
    }
    // By the platform's beep type, so that a wrong sound shows.
    void Beep(OverlayBeep sound) override {
        const uint32_t type = static_cast<uint32_t>(sound);
        beeps += type == 0x00 ? "." : type == 0x30 ? "!" : "?";
    }

    bool fontsAvailable = true;
    int fontsDeleted = 0;
    bool drawing = false;
    uintptr_t drawWindow = 0;
    int invalidations = 0;
    uintptr_t lastInvalidated = 0;
    OverlayRect lastArea{};
    std::string beeps;  // "." the default beep (MB_OK), "!" the exclamation, "?" any other sound
    RecordingCanvas canvas;
};

class FakeHookReports : public IHookReports {
public:
    void Connect(IHookReceiver* r) override { receiver = r; }
    IHookReceiver* receiver = nullptr;
};

}  // namespace kvltest
