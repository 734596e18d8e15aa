// The host's own IPv4 address: the resolver's answer for the host's own name, or an interface's address.
#include "network/win32/LocalAddressQuery.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstring>
#include <vector>

#include "network/LocalAddress.h"

namespace {

std::vector<std::string> ResolvedAddresses() {
    std::vector<std::string> addresses;
    char hostName[256] = {};
    if (::gethostname(hostName, sizeof(hostName)) != 0)
        return addresses;
    const hostent* host = ::gethostbyname(hostName);
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4)
        return addresses;
    for (char** entry = host->h_addr_list; entry && *entry; ++entry) {
        in_addr address{};
        std::memcpy(&address, *entry, sizeof(address));
        addresses.emplace_back(::inet_ntoa(address));
    }
    return addresses;
}

// The IP helper library is loaded here, when it is needed, rather than by the loader at every start.
std::vector<std::string> InterfaceAddresses() {
    std::vector<std::string> addresses;
    using GetIpAddrTableFunction = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
    HMODULE library = ::LoadLibraryA("iphlpapi.dll");
    if (!library)
        return addresses;
    const auto getTable =
        reinterpret_cast<GetIpAddrTableFunction>(reinterpret_cast<void*>(::GetProcAddress(library, "GetIpAddrTable")));
    ULONG size = 0;
    if (!getTable || getTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return addresses;
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (getTable(table, &size, FALSE) != NO_ERROR)
        return addresses;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        in_addr address{};
        address.s_addr = table->table[i].dwAddr;
        addresses.emplace_back(::inet_ntoa(address));
    }
    return addresses;
}

}  // namespace

std::string DetermineLocalAddress() { return ChooseLocalAddress(ResolvedAddresses(), InterfaceAddresses); }
