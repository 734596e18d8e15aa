// The host's own IPv4 address, which both UDP sockets bind to.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// resolved: the addresses of the host's own name, in the resolver's order; interfaces: the IPv4 addresses of the
// host's interfaces. The first resolved address unless it is a loopback one or there is none; then the first
// non-loopback interface address; else "0.0.0.0".
std::string ChooseLocalAddress(const std::vector<std::string>& resolved, const std::vector<std::string>& interfaces);
// The same choice, asking for the interfaces' addresses only when the resolver's answer does not do: reading them
// loads a library and asks the system, which start-up is spared on most hosts.
std::string ChooseLocalAddress(const std::vector<std::string>& resolved,
                               const std::function<std::vector<std::string>()>& interfaces);
bool IsLoopbackAddress(const std::string& dottedQuad);
// Four decimal numbers from 0 to 255 joined by dots, and nothing else.
bool IsDottedQuad(const std::string& text);
// The same, as a number in host order (the first number in the top byte), and back.
bool ParseDottedQuad(const std::string& text, uint32_t& value);
std::string FormatDottedQuad(uint32_t value);
