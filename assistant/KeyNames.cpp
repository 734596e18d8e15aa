// The bindable keys' names.
#include "assistant/KeyNames.h"

namespace {

struct NamedKey {
    const char* name;
    uint16_t code;
};

constexpr NamedKey kNamedKeys[] = {
    {"BSPACE", 0x08},   {"TAB", 0x09},        {"ENTER", 0x0D},  {"SHIFT", 0x10},  {"CTRL", 0x11},     {"PAUSE", 0x13},
    {"CAPSLOCK", 0x14}, {"ESC", 0x1B},        {"SPACE", 0x20},  {"PAGEUP", 0x21}, {"PAGEDOWN", 0x22}, {"END", 0x23},
    {"HOME", 0x24},     {"LEFT", 0x25},       {"UP", 0x26},     {"RIGHT", 0x27},  {"DOWN", 0x28},     {"INSERT", 0x2D},
    {"DELETE", 0x2E},   {"NP_MUL", 0x6A},     {"NP_ADD", 0x6B}, {"NP_SEP", 0x6C}, {"NP_SUB", 0x6D},   {"NP_DIV", 0x6F},
    {"NUMLOCK", 0x90},  {"SCROLLLOCK", 0x91}, {":", 0xBA},      {"=", 0xBB},      {",", 0xBC},        {"-", 0xBD},
    {".", 0xBE},        {"/", 0xBF},          {"[", 0xDB},      {"\\", 0xDC},     {"]", 0xDD},        {"'", 0xDE},
};

}  // namespace

std::map<uint16_t, std::string> MakeKeyNames() {
    std::map<uint16_t, std::string> names;
    for (const NamedKey& key : kNamedKeys)
        names.emplace(key.code, key.name);
    // Digits and letters are named by the character whose code is the key's code.
    for (uint16_t code = '0'; code <= '9'; ++code)
        names.emplace(code, std::string(1, static_cast<char>(code)));
    for (uint16_t code = 'A'; code <= 'Z'; ++code)
        names.emplace(code, std::string(1, static_cast<char>(code)));
    for (uint16_t n = 0; n <= 9; ++n)
        names.emplace(static_cast<uint16_t>(0x60 + n), "NP_" + std::to_string(n));
    for (uint16_t n = 1; n <= 12; ++n)
        names.emplace(static_cast<uint16_t>(0x70 + n - 1), "F" + std::to_string(n));
    return names;
}
