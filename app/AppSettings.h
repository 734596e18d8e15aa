// The settings record, its store under the per-user key, and the window placement text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SettingsRecord {
    std::string Name = "noname";
    std::string WindowPlacement;
    std::string Sign = "KVL User";
    std::string Path;
    uint32_t RefreshTimeout = 2000;
    uint32_t RefreshAuto = 1;
    uint32_t RefreshPeriod = 15000;
};

// The process-wide settings and the placement text carried between them and the main window's layout.
extern SettingsRecord AppSettings;
extern std::string PlacementText;

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

// A window's normal rectangle, show state and flags, as the placement text holds them.
struct PlacementValues {
    int left = 0, top = 0, right = 0, bottom = 0, showCmd = 0, flags = 0;
};

std::string FormatPlacement(const PlacementValues& placement);
// True only when all six numbers are read.
bool ParsePlacement(const std::string& text, PlacementValues& placement);
