// The settings store under HKEY_CURRENT_USER\Software\Nimbrel\<application key>.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "app/AppSettings.h"

class CRegistryKey : public ISettingsKey {
public:
    // Takes the three opened keys; closes them application key first.
    CRegistryKey(HKEY software, HKEY company, HKEY application);
    ~CRegistryKey() override;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    bool QueryValue(const char* name, uint8_t* buffer, uint32_t& size, uint32_t& type) override;
    void SetValue(const char* name, uint32_t type, const uint8_t* data, uint32_t size) override;

private:
    HKEY m_hSoftware;
    HKEY m_hCompany;
    HKEY m_hApplication;
};

class CRegistryStore : public ISettingsStore {
public:
    std::unique_ptr<ISettingsKey> OpenApplicationKey(const std::string& applicationKey) override;
};
