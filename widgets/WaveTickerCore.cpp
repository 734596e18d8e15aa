// The wave ticker's arithmetic: the sine table, the characters that enter the strip and the frame's column heights.
#include "widgets/WaveTickerCore.h"

#include <cmath>

namespace {

// The degree-to-radian factor with π as 3.141592654, as the table has always been built.
constexpr double kDegree = 0.017453292522222223;

bool IsSingleByte(char byte) {
    const int value = static_cast<signed char>(byte);
    return value >= 32 && value <= 126;
}

}  // namespace

const std::array<double, CWaveTickerCore::kTableSize>& CWaveTickerCore::Sine() {
    static const std::array<double, kTableSize> table = [] {
        std::array<double, kTableSize> t{};
        for (int k = 0; k < kTableSize; ++k)
            t[k] = std::sin(k * 0.5 * kDegree);
        return t;
    }();
    return table;
}

std::string CWaveTickerCore::NextChunk() {
    if (m_nPixelsToNextChar > 0 || m_strText.empty())
        return std::string();
    const int length = static_cast<int>(m_strText.size());
    auto take = [&] {
        if (m_nTextPos >= length)
            m_nTextPos = 0;
        return m_strText[m_nTextPos++];
    };
    std::string chunk(1, take());
    if (!IsSingleByte(chunk[0]))
        chunk += take();
    return chunk;
}

void CWaveTickerCore::AdvancePhase() {
    m_nPhase += m_nStep;
    if (m_nStep > 0 && m_nPhase >= kTableSize)
        m_nPhase = 0;
    if (m_nStep < 0 && m_nPhase < 0)
        m_nPhase = kTableSize - 1;
}

int CWaveTickerCore::BaseOffset(int clientHeight, int charHeight) {
    return ((clientHeight - 2 * charHeight) >> 1) + (charHeight >> 1);
}

void CWaveTickerCore::ColumnHeights(int width, int base, std::vector<int>& heights) const {
    const auto& sine = Sine();
    heights.resize(width > 0 ? width : 0);
    int index = m_nPhase;
    for (int x = 0; x < width; ++x) {
        if (++index >= kTableSize)
            index = 0;
        heights[x] = base + static_cast<int>(base * sine[index]);
    }
}

std::string AboutTickerText() {
    const std::string dashes(6, '\x97');
    std::string text = dashes + "[ Korvalen SE v0.70. Made by Nimbrel for LAN evenings, free to share ]";
    static const char* const credits[] = {
        "[ Code: the Nimbrel workshop ]",
        "[ Testing: everyone at the Friday LAN ]",
        "[ Icons: drawn by a small script, pixel by pixel ]",
        "[ Thanks: all who keep their games open ]",
    };
    for (const char* line : credits)
        text += dashes + line;
    return text + std::string(18, '\x97');
}
