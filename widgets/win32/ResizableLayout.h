// Layout support of a resizable dialog: anchored controls, the minimum size, and the window placement text.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <optional>
#include <string>

#include "widgets/AnchorLayout.h"

class CResizableLayout {
public:
    // Takes the window's present client and window sizes as the layout's origin and minimum.
    void Init(HWND window);
    // Anchors a child control by its current rect.
    bool AddAnchor(int controlId, AnchorPoint topLeft, std::optional<AnchorPoint> bottomRight = std::nullopt);
    void RemoveAllAnchors();

    void OnSize(UINT sizeType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info) const;

    // Applies a placement text ("%d,%d,%d,%d,%d,%d"); nothing when it is empty or malformed.
    bool RestorePlacement(const std::string& text);
    // Writes the window's placement into text; text is left as it was when the placement cannot be read.
    bool StorePlacement(std::string& text) const;

private:
    HWND m_hWnd = nullptr;
    CAnchorLayout m_Layout;
    SIZE m_MinimumWindow{0, 0};
};
