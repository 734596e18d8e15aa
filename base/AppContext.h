// What the whole program shares, owned by the application object and handed down by reference: the settings record,
// the window placement text carried between the settings and the main window's layout, and the host's own address.
// Whoever changes the settings tells the context, and the parts that depend on them (the automatic refresh) follow.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct SettingsRecord {
    std::string Name = "noname";
    std::string WindowPlacement;
    std::string Sign = "KVL User";
    std::string Path;
    uint32_t RefreshTimeout = 2000;
    uint32_t RefreshAuto = 1;
    uint32_t RefreshPeriod = 15000;
};

// Told after the settings have changed as a whole (the configuration dialog confirmed).
class ISettingsListener {
public:
    virtual ~ISettingsListener() = default;
    virtual void OnSettingsChanged() = 0;
};

class CAppContext {
public:
    explicit CAppContext(std::string localAddress = "0.0.0.0") : m_strLocalAddress(std::move(localAddress)) {}
    CAppContext(const CAppContext&) = delete;
    CAppContext& operator=(const CAppContext&) = delete;

    SettingsRecord& Settings() { return m_Settings; }
    const SettingsRecord& Settings() const { return m_Settings; }
    std::string& PlacementText() { return m_strPlacementText; }
    // Dotted-quad text of the host's own IPv4 address. The game monitor and the messenger bind a socket on every
    // network the PC is on; this address is put first among them, and is bound alone only when the networks cannot
    // be learnt.
    const std::string& LocalAddress() const { return m_strLocalAddress; }
    void SetLocalAddress(std::string address) { m_strLocalAddress = std::move(address); }

    void AddSettingsListener(ISettingsListener& listener) { m_Listeners.push_back(&listener); }
    void RemoveSettingsListener(ISettingsListener& listener) {
        m_Listeners.erase(std::remove(m_Listeners.begin(), m_Listeners.end(), &listener), m_Listeners.end());
    }
    // Tells every listener, in the order they were added.
    void SettingsChanged() {
        const std::vector<ISettingsListener*> listeners = m_Listeners;  // a listener may remove itself
        for (ISettingsListener* listener : listeners)
            listener->OnSettingsChanged();
    }

private:
    SettingsRecord m_Settings;
    std::string m_strPlacementText;
    std::string m_strLocalAddress;
    std::vector<ISettingsListener*> m_Listeners;
};
