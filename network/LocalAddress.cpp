// The choice of the host's own address among what the resolver and the interfaces report.
#include "network/LocalAddress.h"

#include <cstdio>

bool IsLoopbackAddress(const std::string& dottedQuad) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (std::sscanf(dottedQuad.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4)
        return false;
    return a == 127;
}

bool ParseDottedQuad(const std::string& text, uint32_t& result) {
    int parts = 0, digits = 0;
    uint32_t value = 0, quad = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<uint32_t>(c - '0');
            if (++digits > 3 || value > 255)
                return false;
        } else if (c == '.' && digits > 0 && parts < 3) {
            ++parts;
            quad = quad << 8 | value;
            digits = 0;
            value = 0;
        } else {
            return false;
        }
    }
    if (parts != 3 || digits == 0)
        return false;
    result = quad << 8 | value;
    return true;
}

std::string FormatDottedQuad(uint32_t value) {
    return std::to_string(value >> 24) + "." + std::to_string(value >> 16 & 0xFF) + "." +
           std::to_string(value >> 8 & 0xFF) + "." + std::to_string(value & 0xFF);
}

bool IsDottedQuad(const std::string& text) {
    uint32_t value;
    return ParseDottedQuad(text, value);
}

namespace {
bool IsUsable(const std::string& address) {
    return !address.empty() && address != "0.0.0.0" && !IsLoopbackAddress(address);
}
}  // namespace

std::string ChooseLocalAddress(const std::vector<std::string>& resolved, const std::vector<std::string>& interfaces) {
    return ChooseLocalAddress(resolved, [&interfaces] { return interfaces; });
}

std::string ChooseLocalAddress(const std::vector<std::string>& resolved,
                               const std::function<std::vector<std::string>()>& interfaces) {
    // The resolver's first answer is the host's address, unless it names loopback (Debian maps the host name to
    // 127.0.1.1) or there is none: bound there, the sockets would never hear the LAN.
    if (!resolved.empty() && IsUsable(resolved.front()))
        return resolved.front();
    for (const std::string& address : interfaces())
        if (IsUsable(address))
            return address;
    return "0.0.0.0";
}
