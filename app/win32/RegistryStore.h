// The settings store under HKEY_CURRENT_USER\Software\Nimbrel\<application key>.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "app/AppSettings.h"
#include "base/win32/WinHandle.h"

class CRegistryKey : public ISettingsKey {
public:
    // Takes the three opened keys; they close application key first (members go in reverse order).
    CRegistryKey(CRegistryKeyHandle software, CRegistryKeyHandle company, CRegistryKeyHandle application);

    bool QueryValue(const char* name, uint8_t* buffer, uint32_t& size, uint32_t& type) override;
    void SetValue(const char* name, uint32_t type, const uint8_t* data, uint32_t size) override;

private:
    CRegistryKeyHandle m_hSoftware;
    CRegistryKeyHandle m_hCompany;
    CRegistryKeyHandle m_hApplication;
};

class CRegistryStore : public ISettingsStore {
public:
    std::unique_ptr<ISettingsKey> OpenApplicationKey(const std::string& applicationKey) override;
};
