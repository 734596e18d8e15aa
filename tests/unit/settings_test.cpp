// Settings store: defaults, value rules at load, names and types at save, and the placement text.
#include <gtest/gtest.h>

#include <map>

#include "app/AppSettings.h"
#include "widgets/Placement.h"

namespace {

struct StoredValue {
    uint32_t type;
    std::vector<uint8_t> data;
};

// A registry key in memory; the store can be told that its keys cannot be opened.
class FakeStore : public ISettingsStore {
public:
    std::map<std::string, StoredValue> values;
    std::vector<std::string> writeOrder;
    bool openFails = false;
    int opened = 0;

    std::unique_ptr<ISettingsKey> OpenApplicationKey(const std::string& applicationKey) override {
        lastKey = applicationKey;
        if (openFails)
            return nullptr;
        ++opened;
        return std::make_unique<Key>(*this);
    }
    std::string lastKey;

    void PutText(const std::string& name, const std::string& text, bool withTerminator = true) {
        StoredValue v{VALUE_SZ, std::vector<uint8_t>(text.begin(), text.end())};
        if (withTerminator)
            v.data.push_back(0);
        values[name] = v;
    }
    std::string Text(const std::string& name) const {
        const StoredValue& v = values.at(name);
        EXPECT_EQ(v.type, VALUE_SZ);
        EXPECT_FALSE(v.data.empty());
        EXPECT_EQ(v.data.back(), 0) << name << " is stored with its terminating zero";
        return std::string(v.data.begin(), v.data.end() - 1);
    }
    uint32_t Number(const std::string& name) const {
        const StoredValue& v = values.at(name);
        EXPECT_EQ(v.type, VALUE_DWORD);
        EXPECT_EQ(v.data.size(), 4u);
        return v.data[0] | v.data[1] << 8 | v.data[2] << 16 | static_cast<uint32_t>(v.data[3]) << 24;
    }

private:
    class Key : public ISettingsKey {
    public:
        explicit Key(FakeStore& store) : m_Store(store) {}
        bool QueryValue(const char* name, uint8_t* buffer, uint32_t& size, uint32_t& type) override {
            auto it = m_Store.values.find(name);
            if (it == m_Store.values.end())
                return false;
            type = it->second.type;
            const uint32_t needed = static_cast<uint32_t>(it->second.data.size());
            if (needed > size) {
                size = needed;
                return false;
            }
            std::copy(it->second.data.begin(), it->second.data.end(), buffer);
            size = needed;
            return true;
        }
        void SetValue(const char* name, uint32_t type, const uint8_t* data, uint32_t size) override {
            m_Store.values[name] = StoredValue{type, std::vector<uint8_t>(data, data + size)};
            m_Store.writeOrder.push_back(name);
        }

    private:
        FakeStore& m_Store;
    };
};

TEST(SettingsStore, DefaultsStayWhenNothingIsStored) {
    FakeStore store;
    SettingsRecord settings;
    EXPECT_EQ(LoadSettings(settings, "Korvalen SE", store), 0);
    EXPECT_EQ(store.lastKey, "Korvalen SE");
    EXPECT_EQ(settings.Name, "noname");
    EXPECT_EQ(settings.Sign, "KVL User");
    EXPECT_EQ(settings.Path, "");
    EXPECT_EQ(settings.WindowPlacement, "");
    EXPECT_EQ(settings.RefreshTimeout, 2000u);
    EXPECT_EQ(settings.RefreshAuto, 1u);
    EXPECT_EQ(settings.RefreshPeriod, 15000u);
}

TEST(SettingsStore, KeysThatCannotBeOpenedLeaveEverythingAndReportFailure) {
    FakeStore store;
    store.openFails = true;
    SettingsRecord settings;
    settings.Name = "kept";
    EXPECT_EQ(LoadSettings(settings, "Korvalen SE", store), -1);
    EXPECT_EQ(settings.Name, "kept");
    EXPECT_EQ(SaveSettings(settings, "Korvalen SE", store), -1);
    EXPECT_TRUE(store.values.empty());
}

TEST(SettingsStore, TextValuesFollowTheSizeAndTypeRules) {
    struct Case {
        const char* what;
        std::string stored;
        uint32_t type;
        bool terminator;
        std::string expected;
    };
    const std::string n127(127, 'a'), n128(128, 'b');
    const Case cases[] = {
        {"127 characters fit the 128-byte buffer", n127, VALUE_SZ, true, n127},
        {"128 characters do not", n128, VALUE_SZ, true, "noname"},
        {"an empty text (one byte) replaces the field", "", VALUE_SZ, true, ""},
        {"a value of size 0 does not", "", VALUE_SZ, false, "noname"},
        {"another type is ignored", "abc", VALUE_BINARY, true, "noname"},
        {"a text stored without its zero is still read within its size", "bob", VALUE_SZ, false, "bob"},
    };
    for (const Case& c : cases) {
        FakeStore store;
        store.PutText("Name", c.stored, c.terminator);
        store.values["Name"].type = c.type;
        SettingsRecord settings;
        EXPECT_EQ(LoadSettings(settings, "Korvalen SE", store), 0);
        EXPECT_EQ(settings.Name, c.expected) << c.what;
    }
}

TEST(SettingsStore, NumbersAreReadWhateverTheirType) {
    FakeStore store;
    store.values["RefreshPeriod"] = {VALUE_BINARY, {0x10, 0x27, 0, 0}};  // 10000
    store.values["RefreshTimeout"] = {VALUE_DWORD, {0xE8, 0x03, 0, 0}};  // 1000
    store.values["RefreshAuto"] = {VALUE_DWORD, {0, 0, 0, 0}};
    SettingsRecord settings;
    EXPECT_EQ(LoadSettings(settings, "Korvalen SE", store), 0);
    EXPECT_EQ(settings.RefreshPeriod, 10000u);
    EXPECT_EQ(settings.RefreshTimeout, 1000u);
    EXPECT_EQ(settings.RefreshAuto, 0u);
}

TEST(SettingsStore, ANumberValueLargerThanFourBytesIsNotTaken) {
    FakeStore store;
    store.values["RefreshPeriod"] = {VALUE_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}};
    SettingsRecord settings;
    LoadSettings(settings, "Korvalen SE", store);
    EXPECT_EQ(settings.RefreshPeriod, 15000u);
}

TEST(SettingsStore, SaveWritesTheSevenValuesWithNamesTypesAndOrder) {
    FakeStore store;
    SettingsRecord settings;
    settings.Name = "alice";
    settings.Sign = "gg";
    settings.Path = "C:\\Games\\StarCraft\\";
    settings.WindowPlacement = "120,80,706,412,1,0";
    settings.RefreshTimeout = 2500;
    settings.RefreshAuto = 0;
    settings.RefreshPeriod = 30000;
    EXPECT_EQ(SaveSettings(settings, "Korvalen SE", store), 0);
    EXPECT_EQ(store.writeOrder, (std::vector<std::string>{"WindowPlacement", "Name", "Sign", "Path", "RefreshTimeout",
                                                          "RefreshAuto", "RefreshPeriod"}));
    EXPECT_EQ(store.Text("Name"), "alice");
    EXPECT_EQ(store.Text("Sign"), "gg");
    EXPECT_EQ(store.Text("Path"), "C:\\Games\\StarCraft\\");
    EXPECT_EQ(store.Text("WindowPlacement"), "120,80,706,412,1,0");
    EXPECT_EQ(store.Number("RefreshTimeout"), 2500u);
    EXPECT_EQ(store.Number("RefreshAuto"), 0u);
    EXPECT_EQ(store.Number("RefreshPeriod"), 30000u);

    SettingsRecord reread;
    reread.Name = "x";
    LoadSettings(reread, "Korvalen SE", store);
    EXPECT_EQ(reread.Name, "alice");
    EXPECT_EQ(reread.RefreshPeriod, 30000u);
    EXPECT_EQ(reread.RefreshAuto, 0u);
}

TEST(SettingsStore, ALongTextIgnoredAtLoadIsWrittenBackInFullBySave) {
    FakeStore store;
    SettingsRecord settings;
    settings.Sign = std::string(300, 's');
    SaveSettings(settings, "Korvalen SE", store);
    EXPECT_EQ(store.Text("Sign"), std::string(300, 's'));
    SettingsRecord reread;
    LoadSettings(reread, "Korvalen SE", store);
    EXPECT_EQ(reread.Sign, "KVL User");
}

TEST(PlacementText, FormatsSixSignedNumbers) {
    EXPECT_EQ(FormatPlacement({120, 80, 706, 412, 1, 0}), "120,80,706,412,1,0");
    EXPECT_EQ(FormatPlacement({-32000, -32000, -31414, -31668, 2, 1}), "-32000,-32000,-31414,-31668,2,1");
}

TEST(PlacementText, ParsesOnlyWhenAllSixNumbersAreThere) {
    PlacementValues p;
    ASSERT_TRUE(ParsePlacement("120,80,706,412,1,0", p));
    EXPECT_EQ(p.left, 120);
    EXPECT_EQ(p.top, 80);
    EXPECT_EQ(p.right, 706);
    EXPECT_EQ(p.bottom, 412);
    EXPECT_EQ(p.showCmd, 1);
    EXPECT_EQ(p.flags, 0);
    ASSERT_TRUE(ParsePlacement("-5,-6,7,8,3,2", p));
    EXPECT_EQ(p.left, -5);
    EXPECT_EQ(p.showCmd, 3);

    for (const char* bad : {"", "1,2,3,4,5", "a,b,c,d,e,f", "1;2;3;4;5;6", "1,2,3,,5,6"}) {
        PlacementValues untouched{9, 9, 9, 9, 9, 9};
        EXPECT_FALSE(ParsePlacement(bad, untouched)) << bad;
        EXPECT_EQ(untouched.left, 9) << bad;
    }
}

}  // namespace
