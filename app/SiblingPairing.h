// Pairs the texts of a tree item's children as the control shows them with the texts after a rebuild: which old
// item each new one takes over, which old items go and which new ones come. The control cannot move an item, so
// the pairs keep their order on both sides.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

struct SiblingEdit {
    enum Kind {
        Keep,    // the old item shows the new one of the same text
        Change,  // the old item shows the new one of another text, changed in place
        Delete,  // the old item goes
        Insert,  // the new item is inserted
    };
    static constexpr size_t kNone = static_cast<size_t>(-1);

    Kind kind;
    size_t old;  // position in the old list (kNone for Insert)
    size_t now;  // position in the new list (kNone for Delete)

    bool Paired() const { return kind == Keep || kind == Change; }
};

// Equal texts pair up in their order, and of those pairs the longest run in the same order on both sides is kept.
// Between two kept pairs, the old items left over show the new ones of the same gap, in order; the rest of the old
// items are deleted and the rest of the new ones inserted. The edits come in the order of both lists, the
// deletions of a gap before its insertions.
std::vector<SiblingEdit> PairSiblings(const std::vector<std::string_view>& olds,
                                      const std::vector<std::string_view>& news);
