// The wave ticker's arithmetic, apart from any drawing surface: which characters enter the strip, how far the text
// has scrolled, and at which height each column of the strip lands in a frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CWaveTickerCore {
public:
    static constexpr int kTableSize = 720;  // one step is half a degree
    static constexpr int kScrollPixels = 2;
    static constexpr unsigned kTimerId = 1;
    static constexpr unsigned kFramePeriod = 15;
    static constexpr int kInitialStep = -3;

    CWaveTickerCore() = default;

    // sin(k × 0.5°), with π taken as 3.141592654.
    static const std::array<double, kTableSize>& Sine();

    void SetText(std::string text) {
        m_strText = std::move(text);
        m_nTextPos = 0;
    }
    void ResetTextPos() { m_nTextPos = 0; }
    const std::string& Text() const { return m_strText; }
    void SetStep(int step) { m_nStep = step; }
    int Step() const { return m_nStep; }
    int Phase() const { return m_nPhase; }
    int TextPos() const { return m_nTextPos; }
    int PixelsToNextChar() const { return m_nPixelsToNextChar; }

    // The next character to draw at the strip's right end, or empty when the last one has not scrolled in yet (or
    // the text is empty). A byte outside 32..126 starts a two-byte character and is taken with the byte after it.
    std::string NextChunk();
    // The width of what NextChunk returned, as drawn.
    void ChunkDrawn(int width) { m_nPixelsToNextChar = width; }

    // Advances the wave by one step and wraps the phase into 0..719.
    void AdvancePhase();
    // The height around which the wave swings: (clientHeight − 2 × charHeight) / 2 + charHeight / 2.
    static int BaseOffset(int clientHeight, int charHeight);
    // The height of each strip column in this frame, for a client `width` wide (after AdvancePhase).
    void ColumnHeights(int width, int base, std::vector<int>& heights) const;
    // The end of a frame: the strip has scrolled by two pixels.
    void FrameScrolled() { m_nPixelsToNextChar -= kScrollPixels; }

private:
    std::string m_strText;
    int m_nStep = kInitialStep;
    int m_nPhase = 0;
    int m_nTextPos = 0;
    int m_nPixelsToNextChar = 0;
};

// The About box's ticker text: the title with its version, the maker's notice, and the credits.
std::string AboutTickerText();
