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

// The IP helper library is loaded when it is first needed, rather than by the loader at every start.
class CIpHelper {
public:
    using GetIpAddrTableFunction = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
    using GetIfEntryFunction = DWORD(WINAPI*)(PMIB_IFROW);

    static const CIpHelper& Get() {
        static const CIpHelper helper;
        return helper;
    }

    // The address table, empty when it cannot be read.
    std::vector<MIB_IPADDRROW> Addresses() const {
        ULONG size = 0;
        if (!m_GetTable || m_GetTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0)
            return {};
        std::vector<unsigned char> buffer(size);
        auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
        if (m_GetTable(table, &size, FALSE) != NO_ERROR)
            return {};
        return std::vector<MIB_IPADDRROW>(table->table, table->table + table->dwNumEntries);
    }
    // Whether the interface carries traffic now (connected or operational), and is not a loopback one.
    bool IsUpAndNotLoopback(DWORD index) const {
        MIB_IFROW row{};
        row.dwIndex = index;
        if (!m_GetIfEntry || m_GetIfEntry(&row) != NO_ERROR)
            return false;
        return row.dwType != MIB_IF_TYPE_LOOPBACK &&
               (row.dwOperStatus == MIB_IF_OPER_STATUS_CONNECTED || row.dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL);
    }

private:
    CIpHelper() {
        HMODULE library = ::LoadLibraryA("iphlpapi.dll");
        if (!library)
            return;
        m_GetTable = reinterpret_cast<GetIpAddrTableFunction>(
            reinterpret_cast<void*>(::GetProcAddress(library, "GetIpAddrTable")));
        m_GetIfEntry =
            reinterpret_cast<GetIfEntryFunction>(reinterpret_cast<void*>(::GetProcAddress(library, "GetIfEntry")));
    }

    GetIpAddrTableFunction m_GetTable = nullptr;
    GetIfEntryFunction m_GetIfEntry = nullptr;
};

std::string Text(DWORD networkOrder) {
    in_addr address{};
    address.s_addr = networkOrder;
    return ::inet_ntoa(address);
}

std::vector<std::string> InterfaceAddresses() {
    std::vector<std::string> addresses;
    for (const MIB_IPADDRROW& row : CIpHelper::Get().Addresses())
        addresses.push_back(Text(row.dwAddr));
    return addresses;
}

}  // namespace

std::string DetermineLocalAddress() { return ChooseLocalAddress(ResolvedAddresses(), InterfaceAddresses); }

std::vector<ISocketFactory::Network> QueryNetworks() {
    std::vector<ISocketFactory::Network> networks;
    const CIpHelper& helper = CIpHelper::Get();
    for (const MIB_IPADDRROW& row : helper.Addresses()) {
        // A host address (mask of all ones) has no broadcast address; an address being removed or on a cable that
        // is out is no network to search.
        if (row.dwAddr == 0 || row.dwMask == 0xFFFFFFFF || (row.wType & (MIB_IPADDR_DISCONNECTED | MIB_IPADDR_DELETED)))
            continue;
        const std::string address = Text(row.dwAddr);
        if (IsLoopbackAddress(address) || !helper.IsUpAndNotLoopback(row.dwIndex))
            continue;
        networks.push_back(ISocketFactory::Network{address, Text(row.dwMask)});
    }
    return networks;
}
