// The keys that can be bound: 94 names by virtual-key code (upper-case words, one-character digits, letters and
// punctuation). ALT, the Windows keys, PRINTSCRN, the numeric pad's decimal key and the console key are not here.
#pragma once

#include <cstdint>
#include <map>
#include <string>

std::map<uint16_t, std::string> MakeKeyNames();
