// The pairing of a tree item's children before and after a rebuild: a longest ordered run of equal texts, and the
// gaps between its pairs filled in order.
#include "app/SiblingPairing.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Positions of a longest increasing run in values (which are distinct).
std::vector<size_t> LongestIncreasing(const std::vector<int>& values) {
    std::vector<size_t> tails;  // tails[k]: position of the smallest last value of a run of length k + 1
    std::vector<size_t> before(values.size(), static_cast<size_t>(-1));
    for (size_t i = 0; i < values.size(); ++i) {
        auto it =
            std::lower_bound(tails.begin(), tails.end(), values[i], [&](size_t t, int v) { return values[t] < v; });
        if (it != tails.begin())
            before[i] = *(it - 1);
        if (it == tails.end())
            tails.push_back(i);
        else
            *it = i;
    }
    std::vector<size_t> run(tails.size());
    size_t at = tails.empty() ? 0 : tails.back();
    for (size_t k = run.size(); k-- > 0;) {
        run[k] = at;
        at = before[at];
    }
    return run;
}

// For each new item, the old one it takes over (a position in olds), or -1 for a new item.
std::vector<int> Pairs(const std::vector<std::string_view>& olds, const std::vector<std::string_view>& news) {
    std::vector<int> taken(news.size(), -1);
    // Equal texts pair up in their order: each text's old positions, the first one last.
    std::unordered_map<std::string_view, std::vector<int>> byText;
    for (size_t o = olds.size(); o-- > 0;)
        byText[olds[o]].push_back(static_cast<int>(o));
    std::vector<int> values;
    std::vector<size_t> where;
    for (size_t i = 0; i < news.size(); ++i) {
        auto it = byText.find(news[i]);
        if (it == byText.end() || it->second.empty())
            continue;
        values.push_back(it->second.back());
        where.push_back(i);
        it->second.pop_back();
    }
    for (size_t k : LongestIncreasing(values))
        taken[where[k]] = values[k];
    // The gaps between kept pairs (and before the first and after the last).
    int spare = 0;
    size_t gap = 0;
    for (size_t i = 0; i <= news.size(); ++i) {
        if (i < news.size() && taken[i] < 0)
            continue;
        const int bound = i < news.size() ? taken[i] : static_cast<int>(olds.size());
        for (size_t k = gap; k < i && spare < bound; ++k)
            taken[k] = spare++;
        spare = bound + 1;
        gap = i + 1;
    }
    return taken;
}

}  // namespace

std::vector<SiblingEdit> PairSiblings(const std::vector<std::string_view>& olds,
                                      const std::vector<std::string_view>& news) {
    const std::vector<int> taken = Pairs(olds, news);
    std::vector<SiblingEdit> edits;
    edits.reserve(olds.size() + news.size());
    size_t o = 0, n = 0;
    // The deletions, then the insertions, up to the old item oldEnd and the new item newEnd.
    auto gap = [&](size_t oldEnd, size_t newEnd) {
        for (; o < oldEnd; ++o)
            edits.push_back({SiblingEdit::Delete, o, SiblingEdit::kNone});
        for (; n < newEnd; ++n)
            edits.push_back({SiblingEdit::Insert, SiblingEdit::kNone, n});
    };
    for (size_t i = 0; i < news.size(); ++i) {
        if (taken[i] < 0)
            continue;
        gap(static_cast<size_t>(taken[i]), i);
        edits.push_back({olds[o] == news[n] ? SiblingEdit::Keep : SiblingEdit::Change, o, n});
        ++o;
        ++n;
    }
    gap(olds.size(), news.size());
    return edits;
}
