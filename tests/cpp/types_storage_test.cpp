// The compact storage of the tree: in-place and block strings, comment blocks,
// the in-place node alternatives, the lazily built map index and levels made at
// their exact size.

#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "types/node.h"

using namespace plovarn::types;

namespace {

YamlNode str_node(std::string_view s) { return YamlNode(ScalarValue::make_str(s)); }

std::string text_of(const YamlNode& n) { return std::string(n.as_scalar().as_str()); }

}  // namespace

TEST(ScalarStorage, StringsOnBothSidesOfTheInPlaceLimit) {
    const std::size_t limit = ScalarValue::inline_capacity;
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, limit - 1, limit, limit + 1, std::size_t{1000}}) {
        std::string text(n, 'x');
        if (n > 0) text.back() = '\0';  // embedded NUL is kept, length is not a C string's
        const ScalarValue v = ScalarValue::make_str(text);
        ASSERT_TRUE(v.is_str()) << n;
        EXPECT_EQ(v.as_str(), text) << n;
        ScalarValue copy = v;
        EXPECT_EQ(copy.as_str(), text) << n;
        EXPECT_NE(copy.as_str().data(), v.as_str().data()) << n;  // a deep copy
        ScalarValue moved = std::move(copy);
        EXPECT_EQ(moved.as_str(), text) << n;
        EXPECT_TRUE(copy.is_null()) << n;  // a moved-from value is a valid Null
    }
}

TEST(ScalarStorage, AssignmentAcrossKindsReleasesAndKeeps) {
    ScalarValue v = ScalarValue::make_str(std::string(100, 'a'));
    v = ScalarValue::make_int(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(v.as_int(), std::numeric_limits<std::int64_t>::min());
    v = ScalarValue::make_float(-0.0);
    EXPECT_TRUE(v.is_float() && std::signbit(v.as_float()));
    v = ScalarValue::make_bool(true);
    EXPECT_TRUE(v.is_bool() && v.as_bool());
    const ScalarValue long_str = ScalarValue::make_str(std::string(40, 'b'));
    v = long_str;
    v = v;  // self-assignment keeps the text
    EXPECT_EQ(v.as_str(), std::string(40, 'b'));
    EXPECT_EQ(long_str.as_str(), std::string(40, 'b'));
}

TEST(NodeStorage, EveryKindSurvivesCopyMoveAndReassignment) {
    YamlMapping m;
    m.insert_full("k", YamlEntry{"above", {}, str_node("a fairly long string value")});
    std::vector<YamlItem> items;
    items.push_back(YamlItem{{}, "beside", YamlNode(ScalarValue::make_float(1.5))});
    std::vector<YamlNode> nodes;
    nodes.emplace_back(m);
    nodes.emplace_back(ItemArray(items));
    nodes.emplace_back(ScalarValue::make_null());  // Scalar holding Null, not the Null node
    nodes.emplace_back(ScalarValue::make_str("short"));
    nodes.push_back(YamlNode::null());
    const std::vector<YamlNode::Kind> kinds = {YamlNode::Kind::Mapping, YamlNode::Kind::Sequence,
                                               YamlNode::Kind::Scalar, YamlNode::Kind::Scalar, YamlNode::Kind::Null};
    const std::vector<YamlNode> copies = nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(copies[i].kind(), kinds[i]) << i;
        // Overwrite every node with every other kind, by copy and by move.
        for (std::size_t j = 0; j < nodes.size(); ++j) {
            YamlNode target = copies[i];
            target = copies[j];
            EXPECT_EQ(target.kind(), kinds[j]) << i << "<-" << j;
            YamlNode source = copies[i];
            target = std::move(source);
            EXPECT_EQ(target.kind(), kinds[i]) << i << "<-" << j;
        }
    }
    EXPECT_TRUE(copies[2].as_scalar().is_null());
    EXPECT_EQ(text_of(copies[3]), "short");
    EXPECT_EQ(text_of(copies[0].as_mapping().at(0).second.node), "a fairly long string value");
    EXPECT_EQ(*copies[1].as_sequence()[0].comment_inline, "beside");
}

TEST(CommentStorage, TextsAreExactAndIndependent) {
    OptText a(std::string("line one\nline two"));
    OptText b = a;
    EXPECT_EQ(*b, "line one\nline two");
    EXPECT_EQ(b->size(), 17u);
    b = std::string("other");
    EXPECT_EQ(a, "line one\nline two");
    EXPECT_EQ(*a + "\n" + *b, "line one\nline two\nother");
    OptText moved = std::move(a);
    EXPECT_FALSE(a.has_value());
    EXPECT_EQ(moved, "line one\nline two");
    moved = moved;
    EXPECT_EQ(moved, "line one\nline two");
    moved.reset();
    EXPECT_FALSE(moved.has_value());
    EXPECT_EQ(moved, OptText());
    EXPECT_FALSE(moved == OptText(""));
}

TEST(MapIndex, LookupsHoldAcrossGrowthAndShrinkingBelowTheScanLimit) {
    YamlMapping m;
    auto key = [](int i) { return "key" + std::to_string(i); };
    for (int i = 0; i < 40; ++i) m.insert_full(key(i), YamlEntry{{}, {}, YamlNode(ScalarValue::make_int(i))});
    // Down to a size that is scanned, then past the limit again.
    for (int i = 0; i < 36; ++i) ASSERT_TRUE(m.shift_remove(key(i)).has_value()) << i;
    for (int i = 36; i < 40; ++i) EXPECT_EQ(m.get_index_of(key(i)), static_cast<std::size_t>(i - 36));
    for (int i = 100; i < 120; ++i) m.insert_full(key(i), YamlEntry{});
    ASSERT_EQ(m.size(), 24u);
    const YamlMapping copy = m;
    for (std::size_t i = 0; i < m.size(); ++i) {
        EXPECT_EQ(m.get_index_of(m.at(i).first), i);
        EXPECT_EQ(copy.get_index_of(copy.at(i).first), i);
    }
    EXPECT_FALSE(m.get_index_of("key0").has_value());
    EXPECT_FALSE(copy.get_index_of("KEY36").has_value());
}

// A level holds exactly its entries when its storage has no room for one more.
template <class Level>
bool exact(const Level& level) {
    if (level.empty()) return true;
    const auto* first = &*level.begin();
    return malloc_usable_size(const_cast<void*>(static_cast<const void*>(first))) <
           (level.size() + 1) * sizeof(*first);
}

TEST(ExactLevels, HoldTheContentsAtTheirSizeAndLeaveTheGrownStorageEmpty) {
    auto key = [](int i) { return "key" + std::to_string(i); };
    NodeProps props;
    props.anchor = "a";
    for (int n : {0, 1, 2, 3, 5, 8, 9, 17, 100}) {
        YamlMapping grown;
        std::vector<YamlItem> items;
        // Twice over the same storage, as the reader builds one level after another.
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < n; ++i) {
                grown.insert_full(key(i), YamlEntry{"b" + std::to_string(i), {}, YamlNode(ScalarValue::make_int(i))});
                items.push_back(YamlItem{{}, "c", YamlNode(ScalarValue::make_int(i))});
            }
            if (round == 1) grown.set_props(props);
            YamlMapping map = grown.take_exact();
            ItemArray seq = ItemArray::exact_from(items);
            EXPECT_TRUE(grown.empty() && items.empty() && grown.props() == nullptr);
            ASSERT_EQ(map.size(), static_cast<std::size_t>(n));
            ASSERT_EQ(seq.size(), static_cast<std::size_t>(n));
            EXPECT_TRUE(exact(map) && exact(seq)) << n;
            EXPECT_EQ(map.props() != nullptr, round == 1);
            for (int i = 0; i < n; ++i) {
                EXPECT_EQ(map.get_index_of(key(i)), static_cast<std::size_t>(i));
                EXPECT_EQ(*map.at(static_cast<std::size_t>(i)).second.comment_before, "b" + std::to_string(i));
                EXPECT_EQ(seq[static_cast<std::size_t>(i)].node.as_scalar().as_int(), i);
            }
            EXPECT_FALSE(map.get_index_of(key(n)).has_value());
            // The new map grows like any other.
            map.insert_full(key(n), YamlEntry{});
            EXPECT_EQ(map.get_index_of(key(n)), static_cast<std::size_t>(n));
        }
    }
}

TEST(ItemStorage, EmptySequencesStayUsable) {
    ItemArray empty{std::vector<YamlItem>{}};
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.begin(), empty.end());
    empty.push_back(YamlItem{{}, {}, str_node("x")});
    EXPECT_EQ(empty.size(), 1u);
}

// A written form rides on every kind of scalar and on both sides of the in-place
// limit; copies share it, and neither copying nor replacing it touches the value.
TEST(ScalarStorage, WrittenFormTravelsWithTheValue) {
    const std::vector<ScalarValue> values = {ScalarValue::make_int(-5), ScalarValue::make_float(std::nan("")),
                                             ScalarValue::make_bool(false), ScalarValue::make_null(),
                                             ScalarValue::make_str("short"),
                                             ScalarValue::make_str(std::string(40, 'l'))};
    for (const ScalarValue& original : values) {
        ScalarValue v = original;
        v.set_style(SourceStyle::DoubleQuoted);
        NodeProps props;
        props.spelling = "as read";
        props.anchor = "a";
        v.set_props(props);
        ScalarValue copy = v;
        EXPECT_TRUE(copy.same_value(original));
        EXPECT_EQ(copy.style(), SourceStyle::DoubleQuoted);
        ASSERT_NE(copy.props(), nullptr);
        EXPECT_EQ(*copy.props(), props);
        v.set_props({});  // back in place, style kept, copy unaffected
        EXPECT_EQ(v.props(), nullptr);
        EXPECT_EQ(v.style(), SourceStyle::DoubleQuoted);
        EXPECT_TRUE(v.same_value(original) && copy.same_value(v));
        EXPECT_EQ(copy.props()->anchor, "a");
        ScalarValue moved = std::move(copy);
        EXPECT_EQ(moved.props()->spelling, "as read");
    }
    EXPECT_FALSE(ScalarValue::make_int(1).same_value(ScalarValue::make_bool(true)));
    EXPECT_FALSE(ScalarValue::make_float(0.0).same_value(ScalarValue::make_float(-0.0)));
}

TEST(KeyStorage, KeysCompareByTextAloneAndCarryTheirStyle) {
    for (std::size_t n : {std::size_t{0}, std::size_t{14}, std::size_t{15}, std::size_t{300}}) {
        const std::string text(n, 'k');
        KeyText key(text, SourceStyle::Plain);
        KeyText copy = key;
        EXPECT_EQ(copy, text);
        EXPECT_EQ(copy, KeyText(text, SourceStyle::SingleQuoted));
        EXPECT_EQ(copy.style(), SourceStyle::Plain);
        YamlMapping map;
        map.insert_full(key, YamlEntry{{}, {}, YamlNode()});
        map.insert_full(KeyText(text, SourceStyle::DoubleQuoted), YamlEntry{{}, {}, YamlNode()});
        ASSERT_EQ(map.size(), 1u);
        EXPECT_EQ(map.at(0).first.style(), SourceStyle::Plain);  // the stored key stays as written first
    }
}

TEST(NodeStorage, AliasNamesAndCollectionPropsSurviveCopiesAndSorting) {
    YamlNode alias = YamlNode::alias("base");
    YamlNode copy = alias;
    EXPECT_TRUE(copy.is_null());
    EXPECT_EQ(copy.alias_name(), "base");
    EXPECT_TRUE(YamlNode::null().alias_name().empty());
    YamlMapping map;
    NodeProps props;
    props.tag = "!Ref";
    map.set_props(props);
    map.insert_full("b", YamlEntry{{}, {}, YamlNode()});
    const YamlMapping shared = map;
    auto entries = map.take_all();
    ASSERT_NE(map.props(), nullptr);
    EXPECT_EQ(map.props()->tag, "!Ref");
    EXPECT_EQ(shared.size(), 1u);
    ItemArray items;
    items.set_props(props);
    items.push_back(YamlItem{{}, {}, std::move(alias)});
    items.take_all();
    EXPECT_EQ(items.props()->tag, "!Ref");
}

TEST(NodeStorage, SameStorageHoldsUntilEitherCopyChanges) {
    YamlMapping map;
    map.insert_full("k", YamlEntry{{}, {}, str_node("v")});
    ItemArray seq;
    seq.push_back(YamlItem{{}, {}, str_node("v")});
    for (const YamlNode& level : {YamlNode(map), YamlNode(seq)}) {
        YamlNode copy = level;
        EXPECT_TRUE(copy.same_storage(level));
        if (copy.is_mapping()) copy.as_mapping().entry_mut(0).comment_inline = std::string("c");
        else copy.as_sequence().at_mut(0).comment_inline = std::string("c");
        EXPECT_FALSE(copy.same_storage(level));
        EXPECT_FALSE(YamlNode(level).same_storage(copy));
    }
    // Scalars and nulls are never one stored level; neither are levels of other kinds.
    EXPECT_FALSE(str_node("v").same_storage(str_node("v")));
    EXPECT_FALSE(YamlNode().same_storage(YamlNode()));
    EXPECT_FALSE(YamlNode(map).same_storage(YamlNode(seq)));
}
