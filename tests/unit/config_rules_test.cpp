// The configuration dialog's rules: the bad-word table and search, the number boxes, the game folder check.
#include <gtest/gtest.h>

#include <set>

#include "config/BadWords.h"
#include "config/ConfigRules.h"
#include "tests/unit/TestNames.h"

namespace {

TEST(BadWords, TableShape) {
    ASSERT_EQ(kBadWordCount, 31u);
    std::set<std::string> seen;
    for (size_t i = 0; i < kBadWordCount; ++i) {
        const std::string word = BadWords[i];
        EXPECT_GE(word.size(), 3u) << i;
        EXPECT_LE(word.size(), 11u) << i;
        EXPECT_EQ(LowerCase1251(word), word) << "entry " << i << " is lower case";
        EXPECT_TRUE(seen.insert(word).second) << "entry " << i << " repeats";
        for (unsigned char c : word) {
            if (i == 0)
                EXPECT_TRUE(c >= 'a' && c <= 'z') << "the first entry is an English word";
            else
                EXPECT_TRUE(c >= 0xE0 || c == 0xB8) << "entry " << i << " is Cyrillic in Windows-1251";
        }
    }
    EXPECT_EQ(std::string(BadWords[0]).size(), 4u);
}

struct BadWordCase {
    const char* what;
    std::string name;
    std::string found;
};

class BadWordTest : public ::testing::TestWithParam<BadWordCase> {};

TEST_P(BadWordTest, Finds) { EXPECT_EQ(CheckBadWord(GetParam().name), GetParam().found) << GetParam().what; }

const std::string kDurak = "\xe4\xf3\xf0\xe0\xea";      // entry 1
const std::string kDurakCaps = "\xc4\xd3\xd0\xc0\xca";  // the same in capitals
const std::string kIdiot = "\xe8\xe4\xe8\xee\xf2";      // entry 2

INSTANTIATE_TEST_SUITE_P(
    Config, BadWordTest,
    ::testing::Values(BadWordCase{"clean", "Zerg_Rusher", ""}, BadWordCase{"empty", "", ""},
                      BadWordCase{"English in capitals, quoted as typed", "xXDORKXx", "DORK"},
                      BadWordCase{"mixed case", "the_DoRk_", "DoRk"},
                      BadWordCase{"Cyrillic capitals, quoted as typed", "[" + kDurakCaps + "]", kDurakCaps},
                      BadWordCase{"inside a longer word", "super" + kDurak + "ovich", kDurak},
                      // Both occur; the one earlier in the table wins though it stands later in the name.
                      BadWordCase{"table order, not name order", kIdiot + "_" + kDurak, kDurak},
                      BadWordCase{"first occurrence of the entry", "dork-DORK", "dork"}),
    [](const ::testing::TestParamInfo<BadWordCase>& param) { return kvltest::RowName(param.param.what); });

TEST(BadWords, SearchUsesTheGivenLowerCase) {
    // A code page that lowers nothing: only names already in lower case match.
    auto keep = [](const std::string& text) { return text; };
    EXPECT_EQ(CheckBadWord("DORK", +keep), "");
    EXPECT_EQ(CheckBadWord("dork", +keep), "dork");
}

TEST(BadWords, LowerCaseOfWindows1251) {
    EXPECT_EQ(LowerCase1251("AZaz09"), "azaz09");
    EXPECT_EQ(LowerCase1251("\xc0\xdf\xa8"), "\xe0\xff\xb8");
    EXPECT_EQ(LowerCase1251("\xe0\xff\xb8"), "\xe0\xff\xb8");
}

struct NumberCase {
    const char* what;
    const char* text;
    bool ok;
    uint32_t value;
};

class NumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTest, WholeNumbers) {
    uint32_t value = 77;
    EXPECT_EQ(ParseWholeNumber(GetParam().text, value), GetParam().ok) << "'" << GetParam().text << "'";
    EXPECT_EQ(value, GetParam().ok ? GetParam().value : 77u) << "'" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Config, NumberTest,
    ::testing::Values(NumberCase{"digits", "15000", true, 15000}, NumberCase{"zero", "0", true, 0},
                      NumberCase{"blanks around", " 42 ", true, 42},
                      NumberCase{"largest 32-bit", "4294967295", true, 4294967295u},
                      NumberCase{"one past 32 bits", "4294967296", false, 0},
                      NumberCase{"far too large", "99999999999", false, 0}, NumberCase{"empty", "", false, 0},
                      NumberCase{"blanks only", "   ", false, 0}, NumberCase{"minus sign", "-5", false, 0},
                      NumberCase{"plus sign", "+5", false, 0}, NumberCase{"trailing letter", "12a", false, 0},
                      NumberCase{"blank inside", "1 2", false, 0}, NumberCase{"fraction", "1.5", false, 0}),
    [](const ::testing::TestParamInfo<NumberCase>& param) { return kvltest::RowName(param.param.what); });

class FakeFiles : public IFileProbe {
public:
    std::set<std::string> files;
    std::vector<std::string> asked;
    bool IsFile(const std::string& path) override {
        asked.push_back(path);
        return files.count(path) != 0;
    }
};

ConfigTexts Texts(const std::string& path) {
    ConfigTexts t;
    t.Name = "player";
    t.Sign = "gg";
    t.Path = path;
    t.RefreshTimeout = "2500";
    t.RefreshAuto = true;
    t.RefreshPeriod = "9000";
    return t;
}

TEST(ConfigCheck, FolderGainsABackslashAndTheGameIsLookedForThere) {
    FakeFiles files;
    files.files.insert("C:\\Games\\starcraft.exe");
    const ConfigOutcome out = CheckConfig(Texts("C:\\Games"), files);
    EXPECT_EQ(out.check, ConfigCheck::Accept);
    EXPECT_TRUE(out.pathChanged);
    EXPECT_EQ(out.values.Path, "C:\\Games\\");
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_EQ(files.asked[0], "C:\\Games\\starcraft.exe");
    EXPECT_EQ(out.values.RefreshTimeout, 2500u);
    EXPECT_EQ(out.values.RefreshPeriod, 9000u);
    EXPECT_EQ(out.values.RefreshAuto, 1u);
}

TEST(ConfigCheck, PathWithItsBackslashIsNotChanged) {
    FakeFiles files;
    files.files.insert("D:\\SC\\starcraft.exe");
    const ConfigOutcome out = CheckConfig(Texts("D:\\SC\\"), files);
    EXPECT_EQ(out.check, ConfigCheck::Accept);
    EXPECT_FALSE(out.pathChanged);
    EXPECT_EQ(out.values.Path, "D:\\SC\\");
}

TEST(ConfigCheck, EmptyPathIsAcceptedUntested) {
    FakeFiles files;
    const ConfigOutcome out = CheckConfig(Texts(""), files);
    EXPECT_EQ(out.check, ConfigCheck::Accept);
    EXPECT_TRUE(files.asked.empty());
    EXPECT_EQ(out.values.Path, "");
}

TEST(ConfigCheck, MissingGameOrAFileForAFolder) {
    FakeFiles files;
    files.files.insert("C:\\Games\\starcraft.exe");
    const ConfigOutcome missing = CheckConfig(Texts("C:\\Gone"), files);
    EXPECT_EQ(missing.check, ConfigCheck::GameNotFound);
    EXPECT_EQ(missing.gameFile, "C:\\Gone\\starcraft.exe");
    EXPECT_TRUE(missing.pathChanged) << "the box shows the backslash even though OK failed";
    // The game's own file typed where its folder belongs.
    const ConfigOutcome file = CheckConfig(Texts("C:\\Games\\starcraft.exe"), files);
    EXPECT_EQ(file.check, ConfigCheck::GameNotFound);
    EXPECT_EQ(file.gameFile, "C:\\Games\\starcraft.exe\\starcraft.exe");
}

TEST(ConfigCheck, PathThatWouldNotFitTheSetting) {
    FakeFiles files;
    const std::string longest(kMaxSettingText - 1, 'p');
    EXPECT_EQ(CheckConfig(Texts(longest), files).check, ConfigCheck::GameNotFound) << "126 + backslash fits";
    const ConfigOutcome out = CheckConfig(Texts(longest + "q"), files);
    EXPECT_EQ(out.check, ConfigCheck::PathTooLong);
    EXPECT_EQ(files.asked.size(), 1u) << "a path too long is not looked at";
}

TEST(ConfigCheck, NumbersComeFirst) {
    FakeFiles files;
    ConfigTexts t = Texts("C:\\Nowhere");
    t.RefreshTimeout = "abc";
    EXPECT_EQ(CheckConfig(t, files).check, ConfigCheck::BadTimeout);
    t.RefreshTimeout = "100";
    t.RefreshPeriod = "";
    EXPECT_EQ(CheckConfig(t, files).check, ConfigCheck::BadPeriod);
    EXPECT_TRUE(files.asked.empty());
}

TEST(ConfigCheck, UncheckedAutoKeepsThePeriod) {
    FakeFiles files;
    ConfigTexts t = Texts("");
    t.RefreshAuto = false;
    const ConfigOutcome out = CheckConfig(t, files);
    EXPECT_EQ(out.check, ConfigCheck::Accept);
    EXPECT_EQ(out.values.RefreshAuto, 0u);
    EXPECT_EQ(out.values.RefreshPeriod, 9000u);
}

TEST(ConfigValues, CopiedFromAndToTheRecordOnly) {
    SettingsRecord record;
    record.WindowPlacement = "1,2,3,4,1,0";
    ConfigValues v = ConfigValues::From(record);
    EXPECT_EQ(v.Name, "noname");
    EXPECT_EQ(v.RefreshPeriod, 15000u);
    v.Name = "new";
    v.RefreshAuto = 0;
    v.ApplyTo(record);
    EXPECT_EQ(record.Name, "new");
    EXPECT_EQ(record.RefreshAuto, 0u);
    EXPECT_EQ(record.WindowPlacement, "1,2,3,4,1,0") << "not one of the dialog's values";
}

TEST(ConfigTexts, Messages) {
    EXPECT_EQ(BadWordText("DORK"),
              "Looks like \"DORK\" is a 'bad word'\n\nIt's highly recommended not to use bad words in your "
              "nickname\nPlease, remove word \"DORK\" from your name");
    EXPECT_EQ(GameNotFoundText("C:\\X\\starcraft.exe"),
              "File \"C:\\X\\starcraft.exe\" not found\n\nPlease, enter a valid path or an empty string\nif you "
              "don't want to run the game from KVL");
    EXPECT_EQ(PathTooLongText(std::string(128, 'p')),
              "The path is 128 characters long\n\nA path may have 127 characters at most, with its closing backslash");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\"), "C:");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\Games"), "C:\\Games");
}

}  // namespace
