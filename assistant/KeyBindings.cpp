// Key bindings and the hook's watched keys.
#include "assistant/KeyBindings.h"

#include <algorithm>

#include "assistant/KeyNames.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

CKeyBindings::CKeyBindings(IKeyRelay& keyRelay) : m_KeyRelay(keyRelay), m_KeyNames(MakeKeyNames()) {}

void CKeyBindings::BindCommand(const std::string& argument, IConsoleWriter& console) {
    if (argument.empty()) {
        // Each binding's line brings its own line end; no bindings, no output.
        const std::string all = List("");
        if (!all.empty())
            console.Write(all);
        return;
    }
    const size_t blank = argument.find(' ');
    if (blank == std::string::npos) {
        console.WriteLine(List(Trim(argument)));
        return;
    }
    const std::string key = Trim(argument.substr(0, blank));
    if (!Bind(key, Trim(argument.substr(blank))))
        console.WriteLine("Unknown key: '" + key + "'");
}

void CKeyBindings::UnbindCommand(const std::string& argument, IConsoleWriter& console) {
    if (argument.empty()) {
        console.WriteLine("Wrong syntax");
        return;
    }
    const std::string key = Upper(Trim(argument));
    Unbind(key == "ALL" ? std::string() : key);
}

std::optional<std::string> CKeyBindings::Command(uint16_t vk) const {
    const auto name = m_KeyNames.find(vk);
    if (name == m_KeyNames.end())
        return std::nullopt;
    for (const auto& binding : m_Bindings)
        if (binding.first == name->second)
            return binding.second;
    return std::nullopt;
}

uint16_t CKeyBindings::KeyCode(const std::string& name) const {
    for (const auto& entry : m_KeyNames)
        if (entry.second == name)
            return entry.first;
    return 0;
}

bool CKeyBindings::Bind(std::string keyName, const std::string& command) {
    keyName = Upper(std::move(keyName));
    const uint16_t code = KeyCode(keyName);
    if (code == 0)
        return false;
    const auto bound = std::find_if(m_Bindings.begin(), m_Bindings.end(),
                                    [&](const auto& binding) { return binding.first == keyName; });
    if (bound != m_Bindings.end())
        bound->second = command;
    else
        m_Bindings.emplace_back(keyName, command);
    m_KeyRelay.AddKey(code);
    return true;
}

void CKeyBindings::Unbind(const std::string& keyName) {
    if (keyName.empty()) {
        m_KeyRelay.RemoveKey(0);
        m_Bindings.clear();
        return;
    }
    if (const uint16_t code = KeyCode(keyName))
        m_KeyRelay.RemoveKey(code);
    m_Bindings.erase(std::remove_if(m_Bindings.begin(), m_Bindings.end(),
                                    [&](const auto& binding) { return binding.first == keyName; }),
                     m_Bindings.end());
}

std::string CKeyBindings::List(std::string filter) const {
    std::string out;
    if (filter.empty()) {
        for (const auto& binding : m_Bindings)
            out += binding.first + " -> " + binding.second + "\r\n";
        return out;
    }
    filter = Upper(std::move(filter));
    for (const auto& binding : m_Bindings)
        if (binding.first == filter)
            return binding.first + " -> " + binding.second;
    return out;
}
