// Loading and saving the settings record through its store under the per-user key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/AppContext.h"

// Value types of the store (the registry's numbers).
enum : uint32_t { VALUE_NONE = 0, VALUE_SZ = 1, VALUE_BINARY = 3, VALUE_DWORD = 4 };

// The opened application key.
class ISettingsKey {
public:
    virtual ~ISettingsKey() = default;
    // Queries a value into buffer (capacity in size). On success true, size and type set. A value larger than the
    // buffer fails (size then tells the needed size); the buffer is untouched on failure.
    virtual bool QueryValue(const char* name, uint8_t* buffer, uint32_t& size, uint32_t& type) = 0;
    virtual void SetValue(const char* name, uint32_t type, const uint8_t* data, uint32_t size) = 0;
};

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Opens HKCU\Software (not created), creates-or-opens Nimbrel and the application key below it.
    // Null when any step fails (the keys opened so far are closed).
    virtual std::unique_ptr<ISettingsKey> OpenApplicationKey(const std::string& applicationKey) = 0;
};

int LoadSettings(SettingsRecord& settings, const std::string& applicationKey, ISettingsStore& store);
int SaveSettings(const SettingsRecord& settings, const std::string& applicationKey, ISettingsStore& store);
