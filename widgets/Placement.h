// The window placement text: six numbers, the window's normal rectangle, show state and flags.
#pragma once

#include <string>

// A window's normal rectangle, show state and flags, as the placement text holds them.
struct PlacementValues {
    int left = 0, top = 0, right = 0, bottom = 0, showCmd = 0, flags = 0;
};

std::string FormatPlacement(const PlacementValues& placement);
// True only when all six numbers are read.
bool ParsePlacement(const std::string& text, PlacementValues& placement);
