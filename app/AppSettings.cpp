// The settings record and its store: load and save of the seven values.
#include "app/AppSettings.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kTextBufferSize = 128;

void LoadText(ISettingsKey& key, const char* name, std::string& field) {
    uint8_t buffer[kTextBufferSize] = {};
    uint32_t size = sizeof(buffer);
    uint32_t type = VALUE_NONE;
    if (!key.QueryValue(name, buffer, size, type) || type != VALUE_SZ || size == 0 || size > sizeof(buffer))
        return;
    // The stored text need not carry its terminator: take the bytes up to the first zero, within the value's size.
    const void* zero = std::memchr(buffer, 0, size);
    size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - buffer) : size;
    field.assign(reinterpret_cast<const char*>(buffer), length);
}

void LoadNumber(ISettingsKey& key, const char* name, uint32_t& field) {
    // The value's type is not checked: whatever fits in four bytes is taken as the number, low byte first.
    uint8_t buffer[4] = {};
    uint32_t size = sizeof(buffer);
    uint32_t type = VALUE_NONE;
    if (!key.QueryValue(name, buffer, size, type) || size > sizeof(buffer))
        return;
    uint32_t value = field;
    for (uint32_t i = 0; i < size; ++i) {
        value &= ~(0xFFu << (8 * i));
        value |= static_cast<uint32_t>(buffer[i]) << (8 * i);
    }
    field = value;
}

void SaveText(ISettingsKey& key, const char* name, const std::string& text) {
    key.SetValue(name, VALUE_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                 static_cast<uint32_t>(text.size() + 1));
}

void SaveNumber(ISettingsKey& key, const char* name, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    key.SetValue(name, VALUE_DWORD, bytes, sizeof(bytes));
}

}  // namespace

namespace {

// The stored values, in the order load and save handle them: the texts, then the numbers.
struct TextValue {
    const char* name;
    std::string SettingsRecord::*field;
};
struct NumberValue {
    const char* name;
    uint32_t SettingsRecord::*field;
};
constexpr TextValue kTextValues[] = {
    {"WindowPlacement", &SettingsRecord::WindowPlacement},
    {"Name", &SettingsRecord::Name},
    {"Sign", &SettingsRecord::Sign},
    {"Path", &SettingsRecord::Path},
};
constexpr NumberValue kNumberValues[] = {
    {"RefreshTimeout", &SettingsRecord::RefreshTimeout},
    {"RefreshAuto", &SettingsRecord::RefreshAuto},
    {"RefreshPeriod", &SettingsRecord::RefreshPeriod},
};

}  // namespace

int LoadSettings(SettingsRecord& settings, const std::string& applicationKey, ISettingsStore& store) {
    std::unique_ptr<ISettingsKey> key = store.OpenApplicationKey(applicationKey);
    if (!key)
        return -1;
    for (const TextValue& value : kTextValues)
        LoadText(*key, value.name, settings.*value.field);
    for (const NumberValue& value : kNumberValues)
        LoadNumber(*key, value.name, settings.*value.field);
    return 0;
}

int SaveSettings(const SettingsRecord& settings, const std::string& applicationKey, ISettingsStore& store) {
    std::unique_ptr<ISettingsKey> key = store.OpenApplicationKey(applicationKey);
    if (!key)
        return -1;
    for (const TextValue& value : kTextValues)
        SaveText(*key, value.name, settings.*value.field);
    for (const NumberValue& value : kNumberValues)
        SaveNumber(*key, value.name, settings.*value.field);
    return 0;
}
