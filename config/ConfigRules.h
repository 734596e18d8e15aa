// The configuration dialog's rules apart from its window: the six values it edits, how the number boxes are read,
// what confirming checks about the game's folder, and the texts of its warnings.
#pragma once

#include <cstdint>
#include <string>

#include "base/AppContext.h"

// The most characters a text setting keeps: a longer one would not be read back from the store.
constexpr size_t kMaxSettingText = 127;
constexpr char kGameExecutable[] = "starcraft.exe";

// The dialog's own copy of the values it edits.
struct ConfigValues {
    std::string Name;
    std::string Sign;
    std::string Path;
    uint32_t RefreshTimeout = 0;
    uint32_t RefreshAuto = 0;
    uint32_t RefreshPeriod = 0;

    static ConfigValues From(const SettingsRecord& settings);
    void ApplyTo(SettingsRecord& settings) const;
};

// What the controls hold when OK is pressed.
struct ConfigTexts {
    std::string Name;
    std::string Sign;
    std::string Path;
    std::string RefreshTimeout;
    bool RefreshAuto = false;
    std::string RefreshPeriod;
};

// Asks the file system whether a file (not a folder) exists.
class IFileProbe {
public:
    virtual ~IFileProbe() = default;
    virtual bool IsFile(const std::string& path) = 0;
};

// A whole number for a 32-bit setting: decimal digits with optional blanks around them. Empty text, a sign, other
// characters or a value beyond 4294967295 are not whole numbers here.
bool ParseWholeNumber(const std::string& text, uint32_t& value);

// The path with one trailing backslash; an empty path stays empty.
std::string WithTrailingBackslash(const std::string& path);
// A folder picked in the browser as it goes into the Path box: without its trailing backslash.
std::string WithoutTrailingBackslash(const std::string& path);

enum class ConfigCheck {
    Accept,        // values complete, the record may be updated
    BadTimeout,    // the time-out box holds no whole number
    BadPeriod,     // the period box holds no whole number
    PathTooLong,   // the path with its backslash would not fit a setting
    GameNotFound,  // no starcraft.exe in the folder
};

struct ConfigOutcome {
    ConfigCheck check = ConfigCheck::Accept;
    ConfigValues values;       // complete when accepted
    bool pathChanged = false;  // the Path box must show values.Path (a backslash was added)
    std::string gameFile;      // the file that was looked for
};

// OK pressed: numbers first, then the path (empty: accepted untested; else a backslash is added and the game must
// be there).
ConfigOutcome CheckConfig(const ConfigTexts& texts, IFileProbe& files);

// Texts of the dialog's messages.
constexpr char kNotIntegerMessage[] = "Please enter an integer.";
constexpr char kBadWordTitle[] = "Warning! A 'bad word' detected";
constexpr char kGameNotFoundTitle[] = "Error! BroodWar not found";
constexpr char kPathTooLongTitle[] = "Error! Path too long";
std::string BadWordText(const std::string& word);
std::string GameNotFoundText(const std::string& gameFile);
std::string PathTooLongText(const std::string& path);
