// The configuration dialog's rules: number boxes, the game folder check and the warning texts.
#include "config/ConfigRules.h"

#include <limits>

ConfigValues ConfigValues::From(const SettingsRecord& settings) {
    ConfigValues v;
    v.Name = settings.Name;
    v.Sign = settings.Sign;
    v.Path = settings.Path;
    v.RefreshTimeout = settings.RefreshTimeout;
    v.RefreshAuto = settings.RefreshAuto;
    v.RefreshPeriod = settings.RefreshPeriod;
    return v;
}

void ConfigValues::ApplyTo(SettingsRecord& settings) const {
    settings.Name = Name;
    settings.Sign = Sign;
    settings.Path = Path;
    settings.RefreshTimeout = RefreshTimeout;
    settings.RefreshAuto = RefreshAuto;
    settings.RefreshPeriod = RefreshPeriod;
}

bool ParseWholeNumber(const std::string& text, uint32_t& value) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    size_t end = text.find_last_not_of(" \t") + 1;
    uint64_t number = 0;
    for (size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > std::numeric_limits<uint32_t>::max())
            return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

std::string WithTrailingBackslash(const std::string& path) {
    if (path.empty() || path.back() == '\\')
        return path;
    return path + '\\';
}

std::string WithoutTrailingBackslash(const std::string& path) {
    std::string folder(path);
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

ConfigOutcome CheckConfig(const ConfigTexts& texts, IFileProbe& files) {
    ConfigOutcome out;
    ConfigValues& v = out.values;
    v.Name = texts.Name;
    v.Sign = texts.Sign;
    v.Path = texts.Path;
    v.RefreshAuto = texts.RefreshAuto ? 1 : 0;
    if (!ParseWholeNumber(texts.RefreshTimeout, v.RefreshTimeout)) {
        out.check = ConfigCheck::BadTimeout;
        return out;
    }
    if (!ParseWholeNumber(texts.RefreshPeriod, v.RefreshPeriod)) {
        out.check = ConfigCheck::BadPeriod;
        return out;
    }
    if (v.Path.empty())
        return out;  // the game is simply not launched from here

    const std::string folder = WithTrailingBackslash(v.Path);
    out.pathChanged = folder != v.Path;
    v.Path = folder;
    if (folder.size() > kMaxSettingText) {
        out.check = ConfigCheck::PathTooLong;
        return out;
    }
    out.gameFile = folder + kGameExecutable;
    if (!files.IsFile(out.gameFile))
        out.check = ConfigCheck::GameNotFound;
    return out;
}

std::string BadWordText(const std::string& word) {
    return "Looks like \"" + word +
           "\" is a 'bad word'\n\nIt's highly recommended not to use bad words in your nickname\nPlease, remove "
           "word \"" +
           word + "\" from your name";
}

std::string GameNotFoundText(const std::string& gameFile) {
    return "File \"" + gameFile +
           "\" not found\n\nPlease, enter a valid path or an empty string\nif you don't want to run the game from KVL";
}

std::string PathTooLongText(const std::string& path) {
    // The path itself is not quoted: a line that long would stretch the balloon across the screen.
    return "The path is " + std::to_string(path.size()) + " characters long\n\nA path may have " +
           std::to_string(kMaxSettingText) + " characters at most, with its closing backslash";
}
