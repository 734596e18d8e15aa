// The bad-word check of the configuration dialog's name box.
#pragma once

#include <cstddef>
#include <string>

// Makes a lower-case copy of an 8-bit text under the ANSI code page.
using LowerCaseFn = std::string (*)(const std::string& text);

// Lower case under Windows-1251: Latin and Cyrillic capitals, Yo and the other letters of the code page.
std::string LowerCase1251(const std::string& text);

constexpr size_t kBadWordCount = 31;
// The table, in search order: one English word, then thirty Russian ones in Windows-1251.
extern const char* const BadWords[kBadWordCount];

// The first entry of BadWords (in table order) that occurs anywhere in `name` regardless of case, spelled as in
// `name` (from its first occurrence, the entry's length); empty when none does.
std::string CheckBadWord(const std::string& name, LowerCaseFn lower = &LowerCase1251);
