// The host's own IPv4 address as the resolver and the interfaces report it.
#pragma once

#include <string>

// Dotted-quad text; "0.0.0.0" when nothing usable is found.
std::string DetermineLocalAddress();
