// The insertion-ordered tree mapping, the sequence payload and copy-on-write
// independence of copies.

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "types/node.h"
#include "types/text_hash.h"

using namespace plovarn::types;

namespace {

YamlEntry entry_of(std::int64_t v, OptText before = {}, OptText inline_comment = {}) {
    return YamlEntry{std::move(before), std::move(inline_comment), YamlNode(ScalarValue::make_int(v))};
}

std::int64_t int_at(const YamlMapping& m, std::size_t i) { return m.at(i).second.node.as_scalar().as_int(); }

std::string keys_of(const YamlMapping& m) {
    std::string out;
    for (const auto& [k, e] : m) out += k + ",";
    return out;
}

}  // namespace

TEST(TreeMapping, InsertAppendsAndReplacesInPlace) {
    YamlMapping m;
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(m.insert_full("a", entry_of(1)).first, 0u);
    EXPECT_EQ(m.insert_full("b", entry_of(2, "above", "beside")).first, 1u);
    auto [index, previous] = m.insert_full("b", entry_of(3));
    EXPECT_EQ(index, 1u);
    ASSERT_TRUE(previous.has_value());
    EXPECT_EQ(previous->comment_before, "above");
    EXPECT_EQ(m.size(), 2u);
    // The new entry is stored whole: its absent comments replace the old ones.
    EXPECT_FALSE(m.at(1).second.comment_before.has_value());
    EXPECT_FALSE(m.at(1).second.comment_inline.has_value());
    EXPECT_EQ(int_at(m, 1), 3);
}

TEST(TreeMapping, LookupIsByExactBytes) {
    YamlMapping m;
    m.insert_full("Key", entry_of(1));
    m.insert_full("1", entry_of(2));
    EXPECT_FALSE(m.get_index_of("key").has_value());
    EXPECT_FALSE(m.get_index_of("01").has_value());
    EXPECT_EQ(m.get_index_of("1"), std::optional<std::size_t>(1));
    EXPECT_EQ(m.find("Key")->node.as_scalar().as_int(), 1);
    EXPECT_EQ(m.find("nope"), nullptr);
}

TEST(TreeMapping, ShiftRemoveClosesTheGap) {
    YamlMapping m;
    for (const char* k : {"x", "y", "z"}) m.insert_full(k, entry_of(k[0]));
    auto removed = m.shift_remove("x");
    ASSERT_TRUE(removed.has_value());
    EXPECT_EQ(removed->first, "x");
    EXPECT_EQ(keys_of(m), "y,z,");
    EXPECT_EQ(m.get_index_of("z"), std::optional<std::size_t>(1));
    EXPECT_FALSE(m.shift_remove("x").has_value());
}

TEST(TreeMapping, LargeMapsKeepOrderAndFindEveryKey) {
    YamlMapping m;
    const int n = 5000;
    for (int i = 0; i < n; ++i) m.insert_full("key" + std::to_string(i), entry_of(i));
    for (int i = 0; i < n; i += 2) ASSERT_TRUE(m.shift_remove("key" + std::to_string(i)).has_value());
    ASSERT_EQ(m.size(), static_cast<std::size_t>(n / 2));
    for (int i = 1; i < n; i += 2) {
        auto idx = m.get_index_of("key" + std::to_string(i));
        ASSERT_TRUE(idx.has_value()) << i;
        EXPECT_EQ(int_at(m, *idx), i);
        EXPECT_EQ(*idx, static_cast<std::size_t>(i / 2));
    }
    EXPECT_FALSE(m.get_index_of("key0").has_value());
}

// Every byte of a key counts, at every length across the word and block
// boundaries of the hash: flipping any one bit of any byte changes the low 32
// bits the index keeps, and so does the seed.
TEST(TextHash, EveryByteAndTheSeedCount) {
    for (std::size_t n = 0; n <= 40; ++n) {
        const std::string base(n, 'k');
        std::set<std::uint32_t> seen{static_cast<std::uint32_t>(hash_text(base, 1))};
        EXPECT_NE(hash_text(base, 1), hash_text(base, 2)) << n;
        for (std::size_t i = 0; i < n; ++i)
            for (int bit = 0; bit < 8; ++bit) {
                std::string key = base;
                key[i] = static_cast<char>(key[i] ^ (1 << bit));
                EXPECT_TRUE(seen.insert(static_cast<std::uint32_t>(hash_text(key, 1))).second) << n << " " << i;
            }
    }
}

TEST(TreeMapping, TakeAllEmptiesTheMap) {
    YamlMapping m;
    m.insert_full("a", entry_of(1));
    m.insert_full("b", entry_of(2));
    auto pairs = m.take_all();
    EXPECT_EQ(pairs.size(), 2u);
    EXPECT_TRUE(m.empty());
    for (auto& [k, e] : pairs) m.insert_full(k, std::move(e));
    EXPECT_EQ(keys_of(m), "a,b,");
}

TEST(CopyOnWrite, MappingCopiesAreIndependent) {
    YamlMapping inner;
    inner.insert_full("deep", entry_of(1, "c"));
    YamlMapping original;
    original.insert_full("n", YamlEntry{{}, {}, YamlNode(inner)});
    original.insert_full("v", entry_of(2));

    YamlMapping copy = original;
    copy.insert_full("added", entry_of(3));
    copy.entry_mut(0).node.as_mapping().entry_mut(0).comment_before = std::string("changed");
    copy.entry_mut(0).node.as_mapping().shift_remove("deep");
    copy.entry_mut(1).comment_inline = std::string("new");

    EXPECT_EQ(keys_of(original), "n,v,");
    const YamlMapping& nested = original.at(0).second.node.as_mapping();
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(nested.at(0).second.comment_before, "c");
    EXPECT_FALSE(original.at(1).second.comment_inline.has_value());
    EXPECT_EQ(inner.size(), 1u);
    EXPECT_EQ(copy.at(0).second.node.as_mapping().size(), 0u);
}

TEST(CopyOnWrite, ItemArrayCopiesAreIndependent) {
    ItemArray items;
    for (int i = 0; i < 3; ++i) items.push_back(YamlItem{{}, {}, YamlNode(ScalarValue::make_int(i))});
    YamlNode node(items);
    YamlNode copy = node;
    copy.as_sequence().reverse();
    copy.as_sequence().remove(0);
    copy.as_sequence().insert(99, YamlItem{"b", "i", YamlNode()});
    copy.as_sequence().at_mut(0).comment_inline = std::string("x");

    const ItemArray& orig = node.as_sequence();
    ASSERT_EQ(orig.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(orig[i].node.as_scalar().as_int(), i);
        EXPECT_FALSE(orig[i].comment_inline.has_value());
    }
    ASSERT_EQ(copy.as_sequence().size(), 3u);
    EXPECT_EQ(copy.as_sequence()[0].node.as_scalar().as_int(), 1);
    EXPECT_TRUE(copy.as_sequence()[2].node.is_null());
    EXPECT_EQ(copy.as_sequence()[2].comment_before, "b");
}

TEST(Comments, AbsentAndEmptyDiffer) {
    OptText absent;
    OptText empty(std::string{});
    EXPECT_FALSE(absent.has_value());
    EXPECT_TRUE(empty.has_value());
    EXPECT_FALSE(absent == empty);
    OptText copy = empty;
    EXPECT_TRUE(copy == empty);
    EXPECT_EQ(*copy, "");
}

// Random edits against a plain vector of (key, value) pairs: key sets from a few
// keys (scanned maps) to thousands (indexed maps with holes), removal-heavy
// phases that close holes, removals of the last entry, positional reads between
// removals, copies changed on both sides, take_all and moving into exact storage.
class MappingAgainstModel : public ::testing::TestWithParam<std::tuple<int, unsigned>> {};

TEST_P(MappingAgainstModel, EveryOperationAgrees) {
    const auto [universe, seed] = GetParam();
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    using Model = std::vector<std::pair<std::string, std::int64_t>>;
    auto model_index = [](const Model& model, const std::string& k) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < model.size(); ++i)
            if (model[i].first == k) return i;
        return std::nullopt;
    };
    auto check = [&](const YamlMapping& m, const Model& model) {
        ASSERT_EQ(m.size(), model.size());
        std::size_t i = 0;
        for (const auto& [k, e] : m) {
            ASSERT_LT(i, model.size());
            ASSERT_EQ(k, model[i].first) << i;
            ASSERT_EQ(e.node.as_scalar().as_int(), model[i].second) << i;
            ++i;
        }
        ASSERT_EQ(i, model.size());
        for (int probe = 0; probe < 4 && !model.empty(); ++probe) {
            const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(model.size())));
            ASSERT_EQ(m.at(at).first, model[at].first);
            ASSERT_EQ(m.get_index_of(model[at].first), at);
        }
    };

    YamlMapping m;
    Model model;
    std::int64_t next_value = 0;
    for (int step = 0; step < 6000; ++step) {
        const std::string key = "k" + std::to_string(pick(universe));
        // Phases: grow, then drain, so that holes pile up and get closed.
        const bool draining = (step / 700) % 2 == 1;
        const int op = pick(20);
        if (op < (draining ? 4 : 10)) {
            const std::int64_t v = next_value++;
            auto [index, previous] = m.insert_full(key, entry_of(v));
            auto at = model_index(model, key);
            ASSERT_EQ(previous.has_value(), at.has_value());
            if (at) {
                model[*at].second = v;
                ASSERT_EQ(index, *at);
            } else {
                model.emplace_back(key, v);
                ASSERT_EQ(index, model.size() - 1);
            }
        } else if (op < (draining ? 16 : 14)) {
            // The last key half of the time, any key otherwise.
            const std::string victim = op % 2 == 0 && !model.empty() ? model.back().first : key;
            auto removed = m.shift_remove(victim);
            auto at = model_index(model, victim);
            ASSERT_EQ(removed.has_value(), at.has_value());
            if (at) {
                ASSERT_EQ(removed->first, victim);
                ASSERT_EQ(removed->second.node.as_scalar().as_int(), model[*at].second);
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(*at));
            }
        } else if (op == 16) {
            const YamlEntry* found = m.find(key);
            auto at = model_index(model, key);
            ASSERT_EQ(found != nullptr, at.has_value());
            if (found) {
                ASSERT_EQ(found->node.as_scalar().as_int(), model[*at].second);
            }
            if (YamlEntry* entry = m.find_mut(key)) entry->node = YamlNode(ScalarValue::make_int(model[*at].second = -1));
        } else if (op == 17 && !model.empty()) {
            const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(model.size())));
            m.entry_mut(at).node = YamlNode(ScalarValue::make_int(model[at].second = next_value++));
        } else if (op == 18) {
            // A copy changed on both sides: each keeps its own entries.
            YamlMapping copy = m;
            Model copy_model = model;
            if (!model.empty()) {
                copy.shift_remove(copy_model.front().first);
                copy_model.erase(copy_model.begin());
            }
            copy.insert_full("copy-only", entry_of(-2));
            copy_model.emplace_back("copy-only", -2);
            check(copy, copy_model);
            if (pick(2) == 0) {
                m = copy;
                model = copy_model;
                m.shift_remove("copy-only");
                model.pop_back();
            }
        } else if (op == 19 && pick(8) == 0) {
            if (pick(2) == 0) {
                // Moved into exact storage, holes closed; the old map is left empty.
                YamlMapping exact = m.take_exact();
                ASSERT_TRUE(m.empty());
                ASSERT_EQ(exact.capacity(), model.size());
                m = std::move(exact);
            } else {
                auto pairs = m.take_all();
                ASSERT_TRUE(m.empty());
                ASSERT_EQ(pairs.size(), model.size());
                for (auto& [k, e] : pairs) m.insert_full(std::move(k), std::move(e));
            }
        }
        if (step % 50 == 0 || universe < 20) check(m, model);
    }
    check(m, model);
}

INSTANTIATE_TEST_SUITE_P(KeySets, MappingAgainstModel,
                         ::testing::Combine(::testing::Values(4, 12, 60, 3000), ::testing::Values(1u, 2u, 3u)));
