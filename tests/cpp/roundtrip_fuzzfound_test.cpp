// Inputs the fuzzers and the random edit runs found, kept as regression tests:
// the writer's text reads back to the same values, and what was read back from
// the writer's text is written again unchanged, comments and all.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "roundtrip_tree_equal.h"

namespace {

using plovarn::builder::parse_str;
using plovarn::emitter::emit_docs;
using plovarn::roundtrip_test::CompareOptions;
using plovarn::roundtrip_test::docs_diff;
using namespace plovarn::types;

CompareOptions values_only() {
    CompareOptions o;
    o.comments = false;
    return o;
}

// Read, write, read, write: values survive the first round, and the comments
// are read back from the written text where the first reading put them, so the
// second writing is the first one again.
void expect_stable(std::string_view text) {
    SCOPED_TRACE(std::string(text));
    auto first = parse_str(text);
    ASSERT_TRUE(first) << first.error();
    const std::string written = emit_docs(*first);
    auto second = parse_str(written);
    ASSERT_TRUE(second) << second.error() << "\n" << written;
    EXPECT_EQ(docs_diff(*first, *second), "") << written;
    EXPECT_EQ(emit_docs(*second), written);
}

YamlNode str(std::string s) { return YamlNode(ScalarValue::make_str(std::move(s))); }

YamlNode seq(std::vector<YamlItem> items) { return YamlNode(ItemArray(std::move(items))); }

YamlNode map1(std::string key, YamlEntry entry) {
    YamlMapping m;
    m.insert_full(std::move(key), std::move(entry));
    return YamlNode(std::move(m));
}

// A tree as the Python layer makes it, written and read back with its comments.
std::string written_tree_diff(const YamlNode& root) {
    const std::vector<YamlNode> docs{root};
    const std::string written = emit_docs(docs);
    auto back = parse_str(written);
    if (!back) return back.error() + "\n" + written;
    auto d = docs_diff(docs, *back);
    return d.empty() ? d : d + "\n" + written;
}

TEST(FuzzFoundRoundTrip, EmptyFlowCollectionElementsKeepTheirComments) {
    // Found by the random edit runs: the comment behind `- []` was dropped or
    // given to the next element.
    for (std::string_view text : {"- []  # c\n- 1\n", "- 1\n- {}  # c\n", "- k: []  # c\n", "a: {}  # c\nb: 1\n"})
        expect_stable(text);
    std::vector<YamlItem> items;
    items.push_back(YamlItem{{}, "c", YamlNode(ItemArray{})});
    items.push_back(YamlItem{{}, {}, str("x")});
    EXPECT_EQ(written_tree_diff(seq(std::move(items))), "");
}

TEST(FuzzFoundRoundTrip, ValuesOfNestedDashesSurvive) {
    // Found by the round-trip fuzzer: nested dashes with comments between them.
    expect_stable("- - a\n  - b  # c\n- - - null\n");
    auto first = parse_str("-\n  - -  # firss\n- -D\n 2  # d\n");
    ASSERT_TRUE(first) << first.error();
    auto second = parse_str(emit_docs(*first));
    ASSERT_TRUE(second) << second.error();
    EXPECT_EQ(docs_diff(*first, *second, values_only()), "");
}

// Found by the round-trip fuzzer with `-\n  - -  # firss\n- -D\n 2  # d\n`: the
// comment lines of the first item of a sequence nested in an item were written
// above its dash, where the reader gives them to the outer item, so they climbed
// one level on every round.
TEST(FuzzFoundRoundTrip, CommentAboveFirstEntryOfNestedCollectionSettlesAtOnce) {
    for (std::string_view text : {"-\n  - -  # firss\n- -D\n 2  # d\n", "-\n  -\n    -\n      # note\n      - x\n",
                                  "- -  !- k:  #  -.INb\n",
                                  "- - - # deep\n      - x\n", "- - # on dash\n    k: v\n", "- -\n  # below\n  - - x\n"})
        expect_stable(text);
    // A comment set above the first entry of a collection held by an item is
    // written there and read back as the item's, once; then it stays.
    for (bool nested_mapping : {true, false}) {
        SCOPED_TRACE(nested_mapping ? "mapping" : "sequence");
        YamlNode inner;
        if (nested_mapping) {
            inner = map1("k", YamlEntry{"above k", {}, str("v")});
        } else {
            std::vector<YamlItem> inner_items;
            inner_items.push_back(YamlItem{"above x", {}, str("x")});
            inner = seq(std::move(inner_items));
        }
        std::vector<YamlItem> items;
        items.push_back(YamlItem{{}, {}, std::move(inner)});
        auto back = parse_str(emit_docs({seq(std::move(items))}));
        ASSERT_TRUE(back);
        EXPECT_EQ((*back)[0].as_sequence()[0].comment_before, nested_mapping ? "above k" : "above x");
        expect_stable(emit_docs(*back));
    }
}

// A comment at the end of an item holding a non-empty collection has no place on
// the bare dash's line that the reader gives back as such: written there, it is
// read as the item's comment before, once.
TEST(FuzzFoundRoundTrip, CommentAfterDashOfCollectionElementMovesAboveIt) {
    std::vector<YamlItem> items;
    items.push_back(YamlItem{{}, "c", map1("k", YamlEntry{{}, {}, str("v")})});
    auto back = parse_str(emit_docs({seq(std::move(items))}));
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[0].as_sequence()[0].comment_before, "c");
    EXPECT_FALSE((*back)[0].as_sequence()[0].comment_inline.has_value());
    expect_stable(emit_docs(*back));
    // Read from a flow collection, such a comment goes to its last scalar instead.
    for (std::string_view text : {"- [a, [b]]  # c\n- y\n", "[[x]]  # c\n", "- {a: {b: 1}}  # c\n"})
        expect_stable(text);
}

// Found by random texts: comment lines directly below an item read empty (`-`
// alone) are read as that item's, also when they belong to what follows.
TEST(FuzzFoundRoundTrip, EmptyItemsFollowedByCommentsSettle) {
    for (std::string_view text :
         {"- -\n- {\n  # fc\n  k: v}\n", "- - x\n  -\n# c\n- y\n", "- &b\n-  # i\n  k: 1\n", "k:\n  - a\n  -\n# t\n",
          "- a:\n- -  # c\n    - x\n", "- a:\n- [  # c\n  x]\n", "-\n  -  # i\n    - 1\n    -  # j\n- {\n  # fc\n  k: v}\n"})
        expect_stable(text);
    // An anchor written before is not written again, and the layout follows what is written.
    expect_stable("- &a\n  - x\n- &a\n  k: v\n");
}

// Found by the round-trip fuzzer: a comment behind a key whose value follows on
// a later line with a comment of its own was replaced by that one and lost.
TEST(FuzzFoundRoundTrip, TwoEndOfLineCommentsOfOneEntryAreBothKept) {
    for (std::string_view text : {"a:  # key\n  v  # value\nb: 1\n", "k: [  # open\n  ]  # close\n"}) {
        expect_stable(text);
        auto docs = parse_str(text);
        ASSERT_TRUE(docs);
        const YamlEntry& first = (*docs)[0].as_mapping().at(0).second;
        EXPECT_TRUE(first.comment_before.has_value() && first.comment_inline.has_value()) << text;
    }
}

// Found by the round-trip fuzzer in a corpus file: a repeated key keeps the first
// position with the comments of its last occurrence, which as the first entry of
// a mapping held by an item are that item's.
TEST(FuzzFoundRoundTrip, RepeatedFirstKeyOfAnItemsMapping) {
    expect_stable("# item\n- user: a\n  # again\n  user: b\n- {k: 1,\n  # in flow\n  k: 2}\n");
    auto docs = parse_str("- user: a\n  # again\n  user: b\n");
    ASSERT_TRUE(docs);
    EXPECT_EQ((*docs)[0].as_sequence()[0].comment_before, "again");
}

TEST(FuzzFoundRoundTrip, HostileNestingFailsAsAValue) {
    for (std::string open : {"[", "{", "- ", "? ", "{a: ", "[{"}) {
        std::string text;
        for (int i = 0; i < 1000000; ++i) text += open;
        auto docs = parse_str(text);
        ASSERT_FALSE(docs) << open;
        EXPECT_EQ(docs.error().rfind("YAML parse error: ", 0), 0u) << docs.error();
    }
}

}  // namespace
