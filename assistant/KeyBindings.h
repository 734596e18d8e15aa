// Key bindings: the command lines bound to keys pressed in the game, in binding order, by the names of the bindable
// keys; the hook's watched keys are kept in step with them. The "bind" and "unbind" commands read and write them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "assistant/KeyRelay.h"
#include "base/Module.h"

class CKeyBindings {
public:
    explicit CKeyBindings(IKeyRelay& keyRelay);
    // The watched keys live in the library's shared section, which outlives this process wherever the library
    // stays loaded: none is left watched.
    ~CKeyBindings() { Unbind(""); }
    CKeyBindings(const CKeyBindings&) = delete;
    CKeyBindings& operator=(const CKeyBindings&) = delete;

    // "bind": no argument lists every binding, a key name alone lists its binding, a name and a line bind it.
    void BindCommand(const std::string& argument, IConsoleWriter& console);
    // "unbind": the key's binding, or every binding for ALL.
    void UnbindCommand(const std::string& argument, IConsoleWriter& console);

    // The line bound to the key of that code; none when the key is not bound.
    std::optional<std::string> Command(uint16_t vk) const;

private:
    // The name is upper-cased; false when it names no bindable key.
    bool Bind(std::string keyName, const std::string& command);
    // The binding of that name (as passed); the empty name removes every binding and leaves no key watched.
    void Unbind(const std::string& keyName);
    // Every binding as "KEY -> command\r\n" lines in binding order, or the one of filter without a line end.
    std::string List(std::string filter) const;
    // The code of a bindable key's name (exact match); 0 when there is none.
    uint16_t KeyCode(const std::string& name) const;

    IKeyRelay& m_KeyRelay;
    const std::map<uint16_t, std::string> m_KeyNames;
    std::vector<std::pair<std::string, std::string>> m_Bindings;  // key name -> command line, in binding order
};
