// The pairing of a tree item's children before and after a rebuild, as a script of edits: "=a" keeps a, "~a>b"
// changes a to b in place, "-a" deletes a, "+a" inserts a.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/SiblingPairing.h"

namespace {

struct PairingCase {
    const char* name;
    const char* olds;  // texts separated by spaces
    const char* news;
    const char* script;
};

std::ostream& operator<<(std::ostream& out, const PairingCase& c) { return out << c.name; }

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

class SiblingPairingTest : public ::testing::TestWithParam<PairingCase> {};

TEST_P(SiblingPairingTest, GivesTheScript) {
    const std::vector<std::string_view> olds = Words(GetParam().olds), news = Words(GetParam().news);
    std::ostringstream script;
    size_t nextOld = 0, nextNew = 0;  // every item comes once, in its list's order
    for (const SiblingEdit& edit : PairSiblings(olds, news)) {
        if (edit.kind != SiblingEdit::Insert) {
            ASSERT_EQ(edit.old, nextOld++);
        }
        if (edit.kind != SiblingEdit::Delete) {
            ASSERT_EQ(edit.now, nextNew++);
        }
        script << (script.tellp() > 0 ? " " : "") << "=~-+"[edit.kind]
               << (edit.kind == SiblingEdit::Insert ? news[edit.now] : olds[edit.old]);
        if (edit.kind == SiblingEdit::Change)
            script << '>' << news[edit.now];
    }
    EXPECT_EQ(nextOld, olds.size());
    EXPECT_EQ(nextNew, news.size());
    EXPECT_EQ(script.str(), GetParam().script);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lists, SiblingPairingTest,
    ::testing::Values(
        PairingCase{"Identical", "a b c", "a b c", "=a =b =c"},
        PairingCase{"OneInserted", "a c", "a b c", "=a +b =c"},
        PairingCase{"OneDeleted", "a b c", "a c", "=a -b =c"},
        PairingCase{"OneRenamedInPlace", "a b c", "a x c", "=a ~b>x =c"},
        PairingCase{"LongestOrderedRunStays", "a b c d e", "b c d a e", "-a =b =c =d +a =e"},
        PairingCase{"GapWithMoreOld", "a x y b", "a z b", "=a ~x>z -y =b"},
        PairingCase{"GapWithMoreNew", "a x b", "a y z b", "=a ~x>y +z =b"},
        PairingCase{"AllOthersChangeInPlace", "a b", "c d", "~a>c ~b>d"},
        PairingCase{"DuplicateGoes", "a a b", "a b", "=a -a =b"},
        PairingCase{"DuplicateComes", "a b", "a a b", "=a +a =b"},
        PairingCase{"CaseVariantIsAnotherText", "x Bob y", "x bob y", "=x ~Bob>bob =y"},
        PairingCase{"CaseVariantsSwapped", "Bob bob", "bob Bob", "+bob =Bob -bob"},
        PairingCase{"EmptyOld", "", "a b", "+a +b"},
        PairingCase{"EmptyNew", "a b", "", "-a -b"},
        PairingCase{"BothEmpty", "", "", ""}),
    [](const ::testing::TestParamInfo<PairingCase>& param) { return std::string(param.param.name); });
// clang-format on

}  // namespace
