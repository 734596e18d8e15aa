// printf-style formatting of list lines and tree items into a 256-byte buffer, which holds every field of the
// program's records at its full width; anything longer is cut.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string FormatLine(const char* pattern, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof(buffer), pattern, args...);
    return buffer;
}
