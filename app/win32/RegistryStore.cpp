// The settings store under HKEY_CURRENT_USER\Software\Nimbrel\<application key>.
#include "app/win32/RegistryStore.h"

#include <cstring>
#include <vector>

namespace {
constexpr char kCompanyKey[] = "Nimbrel";
}

CRegistryKey::CRegistryKey(HKEY software, HKEY company, HKEY application)
    : m_hSoftware(software), m_hCompany(company), m_hApplication(application) {}

CRegistryKey::~CRegistryKey() {
    ::RegCloseKey(m_hApplication);
    ::RegCloseKey(m_hCompany);
    ::RegCloseKey(m_hSoftware);
}

bool CRegistryKey::QueryValue(const char* name, uint8_t* buffer, uint32_t& size, uint32_t& type) {
    // Query into our own buffer: RegQueryValueExA may write into the caller's buffer even when the value does not
    // fit (ERROR_MORE_DATA), and the caller's buffer must stay as it was on failure.
    std::vector<uint8_t> scratch(size ? size : 1);
    DWORD length = size;
    DWORD valueType = REG_NONE;
    const LONG result = ::RegQueryValueExA(m_hApplication, name, nullptr, &valueType, scratch.data(), &length);
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
    ::RegSetValueExA(m_hApplication, name, 0, type, data, size);
}

std::unique_ptr<ISettingsKey> CRegistryStore::OpenApplicationKey(const std::string& applicationKey) {
    HKEY software = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ | KEY_WRITE, &software) != ERROR_SUCCESS)
        return nullptr;
    HKEY company = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(software, kCompanyKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                          &company, &disposition) != ERROR_SUCCESS) {
        ::RegCloseKey(software);
        return nullptr;
    }
    HKEY application = nullptr;
    if (::RegCreateKeyExA(company, applicationKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, &application, &disposition) != ERROR_SUCCESS) {
        ::RegCloseKey(company);
        ::RegCloseKey(software);
        return nullptr;
    }
    return std::make_unique<CRegistryKey>(software, company, application);
}
