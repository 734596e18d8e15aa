// The window placement text written and read with the pattern "%d,%d,%d,%d,%d,%d".
#include "widgets/Placement.h"

#include <cstdio>

std::string FormatPlacement(const PlacementValues& p) {
    char text[96];
    std::snprintf(text, sizeof(text), "%d,%d,%d,%d,%d,%d", p.left, p.top, p.right, p.bottom, p.showCmd, p.flags);
    return text;
}

bool ParsePlacement(const std::string& text, PlacementValues& placement) {
    PlacementValues read;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%d,%d", &read.left, &read.top, &read.right, &read.bottom, &read.showCmd,
                    &read.flags) != 6)
        return false;
    placement = read;
    return true;
}
