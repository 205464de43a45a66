// Trees built by parse_str from YAML text, with their comments.

#include <gtest/gtest.h>

#include <string>

#include "builder/parse_str.h"

namespace {

using namespace plovarn;
using types::YamlNode;

std::vector<YamlNode> parse(std::string_view text) {
    auto r = builder::parse_str(text);
    EXPECT_TRUE(r.has_value()) << (r ? "" : r.error());
    return r ? std::move(*r) : std::vector<YamlNode>{};
}

YamlNode parse_one(std::string_view text) {
    auto docs = parse(text);
    EXPECT_EQ(docs.size(), 1u) << text;
    return docs.empty() ? YamlNode() : std::move(docs[0]);
}

const types::YamlEntry& at(const YamlNode& node, std::string_view key) {
    static const types::YamlEntry missing{};
    EXPECT_TRUE(node.is_mapping());
    if (!node.is_mapping()) return missing;
    const types::YamlEntry* e = node.as_mapping().find(key);
    EXPECT_NE(e, nullptr) << "no key " << key;
    return e ? *e : missing;
}

std::string key_at(const YamlNode& node, std::size_t i) { return node.as_mapping().at(i).first; }

bool is_str(const YamlNode& n, std::string_view s) {
    return n.is_scalar() && n.as_scalar().is_str() && n.as_scalar().as_str() == s;
}
bool is_int(const YamlNode& n, std::int64_t v) { return n.is_scalar() && n.as_scalar().is_int() && n.as_scalar().as_int() == v; }
bool is_scalar_null(const YamlNode& n) { return n.is_scalar() && n.as_scalar().is_null(); }

TEST(BuilderTree, WorkedExample) {
    YamlNode doc = parse_one(
        "# head\n"
        "a: 1 # one\n"
        "# above b\n"
        "b:\n"
        "  # above c\n"
        "  c: 2\n"
        "list:\n"
        "  # above x\n"
        "  - x # ex\n"
        "  - y\n"
        "# tail\n");
    ASSERT_TRUE(doc.is_mapping());
    const auto& map = doc.as_mapping();
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(key_at(doc, 0), "a");
    EXPECT_EQ(key_at(doc, 1), "b");
    EXPECT_EQ(key_at(doc, 2), "list");

    const auto& a = map.at(0).second;
    EXPECT_EQ(a.comment_before, "head");
    EXPECT_EQ(a.comment_inline, "one");
    EXPECT_TRUE(is_int(a.node, 1));

    const auto& b = map.at(1).second;
    EXPECT_EQ(b.comment_before, "above b");
    EXPECT_FALSE(b.comment_inline.has_value());
    ASSERT_TRUE(b.node.is_mapping());
    ASSERT_EQ(b.node.as_mapping().size(), 1u);
    EXPECT_EQ(key_at(b.node, 0), "c");
    const auto& c = b.node.as_mapping().at(0).second;
    EXPECT_EQ(c.comment_before, "above c");
    EXPECT_FALSE(c.comment_inline.has_value());
    EXPECT_TRUE(is_int(c.node, 2));

    const auto& list = map.at(2).second;
    EXPECT_FALSE(list.comment_before.has_value());
    EXPECT_FALSE(list.comment_inline.has_value());
    ASSERT_TRUE(list.node.is_sequence());
    const auto& items = list.node.as_sequence();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].comment_before, "above x");
    EXPECT_EQ(items[0].comment_inline, "ex");
    EXPECT_TRUE(is_str(items[0].node, "x"));
    EXPECT_FALSE(items[1].comment_before.has_value());
    EXPECT_FALSE(items[1].comment_inline.has_value());
    EXPECT_TRUE(is_str(items[1].node, "y"));
}

TEST(BuilderTree, DocumentsOfAStream) {
    EXPECT_TRUE(parse("").empty());
    EXPECT_TRUE(parse("# just\n# comments\n").empty());
    auto three = parse("--- 1\n--- [a]\n---\nk: v\n");
    ASSERT_EQ(three.size(), 3u);
    EXPECT_TRUE(is_int(three[0], 1));
    EXPECT_TRUE(three[1].is_sequence());
    EXPECT_TRUE(three[2].is_mapping());
    auto bare = parse("---\n");
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_TRUE(is_scalar_null(bare[0]));
}

TEST(BuilderTree, ScalarValues) {
    YamlNode doc = parse_one(
        "empty:\n"
        "sq: ''\n"
        "dq: \"\"\n"
        "lit: |\n"
        "fold: >\n"
        "plain: 123\n"
        "quoted: '123'\n"
        "tagged: !!str 123\n"
        "spaces: '  '\n");
    EXPECT_TRUE(is_scalar_null(at(doc, "empty").node));
    // Empty quotes and empty block scalars are the empty string.
    EXPECT_TRUE(is_str(at(doc, "sq").node, ""));
    EXPECT_TRUE(is_str(at(doc, "dq").node, ""));
    EXPECT_TRUE(is_str(at(doc, "lit").node, ""));
    EXPECT_TRUE(is_str(at(doc, "fold").node, ""));
    EXPECT_TRUE(is_int(at(doc, "plain").node, 123));
    EXPECT_TRUE(is_str(at(doc, "quoted").node, "123"));
    EXPECT_TRUE(is_int(at(doc, "tagged").node, 123));  // tags change nothing
    EXPECT_TRUE(is_str(at(doc, "spaces").node, "  "));
    auto items = parse_one("- ''\n- \"\"\n- |\n  \n- \n").as_sequence().take_all();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(is_str(items[0].node, ""));
    EXPECT_TRUE(is_str(items[1].node, ""));
    EXPECT_TRUE(is_str(items[2].node, ""));
    EXPECT_TRUE(is_scalar_null(items[3].node));
}

TEST(BuilderTree, KeysAreTextAsWritten) {
    YamlNode doc = parse_one("123: a\nyes: b\ntrue: c\n~: d\n\"q\\tx\": e\n'': f\n");
    ASSERT_EQ(doc.as_mapping().size(), 6u);
    EXPECT_EQ(key_at(doc, 0), "123");
    EXPECT_EQ(key_at(doc, 1), "yes");
    EXPECT_EQ(key_at(doc, 2), "true");
    EXPECT_EQ(key_at(doc, 3), "~");
    EXPECT_EQ(key_at(doc, 4), "q\tx");
    EXPECT_EQ(key_at(doc, 5), "");
    EXPECT_TRUE(is_str(at(doc, "yes").node, "b"));
}

TEST(BuilderTree, AnchorsAliasesAndRepeatedKeys) {
    YamlNode doc = parse_one("a: &x 5\nb: *x\n# first\nr: 1\nc: [*x]\n# second\nr: 2 # two\n");
    EXPECT_TRUE(is_int(at(doc, "a").node, 5));
    EXPECT_TRUE(at(doc, "b").node.is_null());  // aliases are not resolved
    EXPECT_TRUE(at(doc, "c").node.as_sequence()[0].node.is_null());
    ASSERT_EQ(doc.as_mapping().size(), 4u);
    EXPECT_EQ(key_at(doc, 2), "r");  // first position, last value and comments
    const auto& r = at(doc, "r");
    EXPECT_TRUE(is_int(r.node, 2));
    EXPECT_EQ(r.comment_before, "second");
    EXPECT_EQ(r.comment_inline, "two");  // on the entry just read, not the last position
    EXPECT_FALSE(at(doc, "c").comment_inline.has_value());
}

TEST(BuilderTree, AliasItemsKeepTheirComments) {
    auto items = parse_one("- &a x\n# above alias\n- *a # on alias\n- y\n").as_sequence().take_all();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[1].node.is_null());
    EXPECT_EQ(items[1].comment_before, "above alias");
    EXPECT_EQ(items[1].comment_inline, "on alias");
    EXPECT_FALSE(items[2].comment_before.has_value());
    YamlNode doc = parse_one("a: &x 1\nb:\n  *x # on b\nc: 2\n");
    EXPECT_EQ(at(doc, "b").comment_inline, "on b");
    EXPECT_FALSE(at(doc, "c").comment_before.has_value());
}

TEST(BuilderTree, CommentsAboveAndAtEntries) {
    YamlNode doc = parse_one("k1: v # on k1\n# one\n# two\nk2: v\n");
    EXPECT_EQ(at(doc, "k1").comment_inline, "on k1");
    EXPECT_FALSE(at(doc, "k1").comment_before.has_value());
    EXPECT_EQ(at(doc, "k2").comment_before, "one\ntwo");
    // Comment text: one space after the marker dropped, the rest kept; a bare marker is empty.
    YamlNode texts = parse_one("#   three\na: 1 #\nb: 2 #x  \n");
    EXPECT_EQ(at(texts, "a").comment_before, "  three");
    EXPECT_EQ(at(texts, "a").comment_inline, "");
    EXPECT_EQ(at(texts, "b").comment_inline, "x  ");
}

TEST(BuilderTree, CommentsAtSequenceItems) {
    auto plain = parse_one("- a # on a\n# above b\n- b\n");
    const auto& items = plain.as_sequence();
    EXPECT_EQ(items[0].comment_inline, "on a");
    EXPECT_EQ(items[1].comment_before, "above b");
    // A quoted or block item's end-of-line comment and the lines below it reach the
    // builder with the item itself; they are kept all the same.
    auto quoted = parse_one("- \"v\" # c\n# below\n- w\n- | # lit\n  t\n# after\n- 'z'\n");
    const auto& q = quoted.as_sequence();
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(q[0].comment_inline, "c");
    EXPECT_FALSE(q[0].comment_before.has_value());
    EXPECT_EQ(q[1].comment_before, "below");
    EXPECT_EQ(q[2].comment_inline, "lit");
    EXPECT_EQ(q[3].comment_before, "after");
    // Comment lines above a key that follows a quoted item in a nested sequence.
    YamlNode after_quoted = parse_one("hosts:\n  - names:\n      - \"a\"\n## about ports\n##\nports: 1\n");
    EXPECT_EQ(at(after_quoted, "ports").comment_before, "# about ports\n#");
    // Nested collections as items take the lines above them.
    auto nested = parse_one("# first\n- k: v\n# second\n- [x]\n");
    EXPECT_EQ(nested.as_sequence()[0].comment_before, "first");
    EXPECT_EQ(nested.as_sequence()[1].comment_before, "second");
    EXPECT_FALSE(at(nested.as_sequence()[0].node, "k").comment_before.has_value());
}

TEST(BuilderTree, CommentsAtQuotedAndBlockValues) {
    YamlNode doc = parse_one("a: \"v\" # on a\n# above b\nb: 'w'\nc: | # on c\n  text\n# above d\nd: > # on d\n  f\n");
    EXPECT_EQ(at(doc, "a").comment_inline, "on a");
    EXPECT_EQ(at(doc, "b").comment_before, "above b");
    EXPECT_EQ(at(doc, "c").comment_inline, "on c");
    EXPECT_TRUE(is_str(at(doc, "c").node, "text\n"));
    EXPECT_EQ(at(doc, "d").comment_before, "above d");
    EXPECT_EQ(at(doc, "d").comment_inline, "on d");
}

TEST(BuilderTree, CommentAfterAnEmptyFlowValue) {
    YamlNode map = parse_one("k: [] # none\nm: {} # empty\nl:\n  - a: [] # in seq\n");
    EXPECT_EQ(at(map, "k").comment_inline, "none");
    EXPECT_EQ(at(map, "m").comment_inline, "empty");
    EXPECT_EQ(at(at(map, "l").node.as_sequence()[0].node, "a").comment_inline, "in seq");
    auto items = parse_one("- x\n- [] # seq\n- {} # map\n- 1\n").as_sequence().take_all();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].comment_inline, "seq");
    EXPECT_EQ(items[2].comment_inline, "map");
    EXPECT_FALSE(items[3].comment_before.has_value());
}

TEST(BuilderTree, CommentsAroundNestedCollections) {
    YamlNode doc = parse_one(
        "outer: # on outer\n"
        "  inner:\n"
        "    x: 1\n"
        "    # after x\n"
        "# before next\n"
        "next: 2\n");
    EXPECT_EQ(at(doc, "outer").comment_inline, "on outer");
    EXPECT_EQ(at(doc, "next").comment_before, "after x\nbefore next");
    // A scalar over several lines: the comment after it is not on its first line.
    YamlNode multi = parse_one("a: b\n  c # after\nd: 1\n");
    EXPECT_TRUE(is_str(at(multi, "a").node, "b c"));
    EXPECT_FALSE(at(multi, "a").comment_inline.has_value());
    EXPECT_EQ(at(multi, "d").comment_before, "after");
}

TEST(BuilderTree, CommentsAcrossDocuments) {
    auto docs = parse("a: 1\n# between\n---\nb: 2\n# tail\n");
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(at(docs[1], "b").comment_before, "between");
    auto flow = parse("[a, b] # after root\n");
    ASSERT_EQ(flow.size(), 1u);
    EXPECT_EQ(flow[0].as_sequence()[1].comment_inline, "after root");
}

TEST(BuilderTree, FlowCollectionsBuildLikeBlockOnes) {
    YamlNode doc = parse_one("{a: [1, 2.5, x], b: {c: null}, d}");
    const auto& a = at(doc, "a").node.as_sequence();
    ASSERT_EQ(a.size(), 3u);
    EXPECT_TRUE(is_int(a[0].node, 1));
    EXPECT_TRUE(a[1].node.as_scalar().is_float());
    EXPECT_TRUE(is_scalar_null(at(at(doc, "b").node, "c").node));
    EXPECT_TRUE(is_scalar_null(at(doc, "d").node));
    auto pairs = parse_one("[x: 1, y]").as_sequence().take_all();
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_TRUE(is_int(at(pairs[0].node, "x").node, 1));
}

}  // namespace
