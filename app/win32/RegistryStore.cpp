// The settings store under HKEY_CURRENT_USER\Software\Nimbrel\<application key>.
#include "app/win32/RegistryStore.h"

#include <cstring>
#include <vector>

namespace {
constexpr char kCompanyKey[] = "Nimbrel";
}

CRegistryKey::CRegistryKey(CRegistryKeyHandle software, CRegistryKeyHandle company, CRegistryKeyHandle application)
    : m_hSoftware(std::move(software)), m_hCompany(std::move(company)), m_hApplication(std::move(application)) {}

bool CRegistryKey::QueryValue(const char* name, uint8_t* buffer, uint32_t& size, uint32_t& type) {
    // Query into our own buffer: RegQueryValueExA may write into the caller's buffer even when the value does not
    // fit (ERROR_MORE_DATA), and the caller's buffer must stay as it was on failure.
    std::vector<uint8_t> scratch(size ? size : 1);
    DWORD length = size;
    DWORD valueType = REG_NONE;
    const LONG result = ::RegQueryValueExA(m_hApplication.Get(), name, nullptr, &valueType, scratch.data(), &length);
    if (result != ERROR_SUCCESS) {
        if (result == ERROR_MORE_DATA)
            size = length;
        return false;
    }
    if (length > size)
        return false;
    if (length)
        std::memcpy(buffer, scratch.data(), length);
    size = length;
    type = valueType;
    return true;
}

void CRegistryKey::SetValue(const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
    ::RegSetValueExA(m_hApplication.Get(), name, 0, type, data, size);
}

std::unique_ptr<ISettingsKey> CRegistryStore::OpenApplicationKey(const std::string& applicationKey) {
    // Each key is owned as soon as it is open, so a failed step closes what was opened before it.
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return nullptr;
    CRegistryKeyHandle software(key);
    DWORD disposition = 0;
    if (::RegCreateKeyExA(software.Get(), kCompanyKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, &key, &disposition) != ERROR_SUCCESS)
        return nullptr;
    CRegistryKeyHandle company(key);
    if (::RegCreateKeyExA(company.Get(), applicationKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return nullptr;
    CRegistryKeyHandle application(key);
    return std::make_unique<CRegistryKey>(std::move(software), std::move(company), std::move(application));
}
