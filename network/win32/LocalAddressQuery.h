// The host's own IPv4 address as the resolver and the interfaces report it, and the networks the PC is on.
#pragma once

#include <string>
#include <vector>

#include "network/NotifySocket.h"

// Dotted-quad text; "0.0.0.0" when nothing usable is found.
std::string DetermineLocalAddress();
// The address and mask on each interface that is up, is not loopback and has a broadcast address, in the system's
// order; empty when the system cannot tell.
std::vector<ISocketFactory::Network> QueryNetworks();
