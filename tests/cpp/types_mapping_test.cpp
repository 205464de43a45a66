// The insertion-ordered tree mapping, the sequence payload and copy-on-write
// independence of copies.

#include <gtest/gtest.h>

#include <string>

#include "types/node.h"

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
