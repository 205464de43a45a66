#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emitter/emitter.h"

namespace {

using namespace plovarn::types;
using plovarn::emitter::emit_docs;
using plovarn::emitter::emit_mapping;
using plovarn::emitter::emit_node;
using plovarn::emitter::emit_sequence;

YamlNode i(std::int64_t v) { return YamlNode(ScalarValue::make_int(v)); }
YamlNode s(std::string v) { return YamlNode(ScalarValue::make_str(std::move(v))); }

struct E {
    std::string key;
    YamlNode node;
    OptText before{};
    OptText inline_{};
};
YamlNode map(std::vector<E> entries) {
    YamlMapping m;
    for (auto& e : entries) m.insert_full(e.key, YamlEntry{std::move(e.before), std::move(e.inline_), std::move(e.node)});
    return YamlNode(std::move(m));
}
struct I {
    YamlNode node;
    OptText before{};
    OptText inline_{};
};
YamlNode seq(std::vector<I> items) {
    ItemArray a;
    for (auto& it : items) a.push_back(YamlItem{std::move(it.before), std::move(it.inline_), std::move(it.node)});
    return YamlNode(std::move(a));
}
std::string emit(const YamlNode& n, std::size_t indent = 0) {
    std::string out;
    emit_node(n, indent, out);
    return out;
}

TEST(Layout, MappingShapes) {
    EXPECT_EQ(emit(map({{"a", i(1), {}, "x"}})), "a: 1  # x\n");
    EXPECT_EQ(emit(map({{"a", i(1), "first\nsecond"}})), "# first\n# second\na: 1\n");
    EXPECT_EQ(emit(map({{"b", seq({{i(1)}, {i(2)}})}})), "b:\n  - 1\n  - 2\n");
    EXPECT_EQ(emit(map({{"c", map({{"d", s("x")}})}})), "c:\n  d: x\n");
    EXPECT_EQ(emit(map({{"e", seq({})}})), "e:\n  []\n");
    EXPECT_EQ(emit(map({{"e", map({})}})), "e:\n  {}\n");
    EXPECT_EQ(emit(map({{"f", seq({{map({{"g", i(1)}, {"h", i(2)}})}, {map({{"i", i(3)}})}})}})),
              "f:\n  - g: 1\n    h: 2\n  - i: 3\n");
    EXPECT_EQ(emit(map({{"j", seq({{seq({{i(1)}, {i(2)}})}})}})), "j:\n  - \n    - 1\n    - 2\n");
}

TEST(Layout, SequenceShapes) {
    EXPECT_EQ(emit(seq({{i(1), "c"}, {i(2), {}, "i"}})), "# c\n- 1\n- 2  # i\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1)}, {"b", i(2)}})}})), "- a: 1\n  b: 2\n");
    EXPECT_EQ(emit(seq({{seq({{i(1)}, {i(2)}})}})), "- \n  - 1\n  - 2\n");
    EXPECT_EQ(emit(seq({{seq({{i(1)}, {i(2)}}), {}, "x"}})), "- # x\n  - 1\n  - 2\n");
    EXPECT_EQ(emit(seq({{map({}), {}, "x"}})), "- {}  # x\n");
    EXPECT_EQ(emit(seq({{map({{"a", seq({{i(1)}})}})}})), "- a:\n    - 1\n");
    EXPECT_EQ(emit(seq({{map({})}, {seq({})}})), "- {}\n- []\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1)}, {"b", i(2)}}), {}, "c"}})), "- # c\n  a: 1\n  b: 2\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1), "note"}})}})), "- \n  # note\n  a: 1\n");
}

TEST(Layout, CompactMappingEntries) {
    // Empty collections stay on the key's line inside the compact form.
    EXPECT_EQ(emit(seq({{map({{"a", seq({})}, {"b", map({})}})}})), "- a: []\n  b: {}\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1)}, {"b", i(2), "above", "end"}})}})), "- a: 1\n  # above\n  b: 2  # end\n");
    EXPECT_EQ(emit(seq({{map({{"a", map({{"b", i(1)}}), {}, "c"}})}})), "- a:  # c\n    b: 1\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1), ""}})}})), "- \n  # \n  a: 1\n");
}

TEST(Layout, EmptyRootsAndScalars) {
    EXPECT_EQ(emit(map({})), "{}\n");
    EXPECT_EQ(emit(seq({})), "[]\n");
    EXPECT_EQ(emit(YamlNode::null()), "null");
    EXPECT_EQ(emit(YamlNode(ScalarValue::make_null())), "null");
    EXPECT_EQ(emit(map({{"a", YamlNode::null()}, {"b", YamlNode(ScalarValue::make_null())}})), "a: null\nb: null\n");
    EXPECT_EQ(emit(map({{"1", s("x")}})), "'1': x\n");
    EXPECT_EQ(emit(map({{"", s("")}})), "'': ''\n");
}

TEST(Layout, IndentationGrowsTwoPerLevel) {
    EXPECT_EQ(emit(map({{"a", map({{"b", map({{"c", i(1)}})}})}})), "a:\n  b:\n    c: 1\n");
    std::string out;
    emit_mapping(map({{"k", i(1)}}).as_mapping(), 4, out);
    EXPECT_EQ(out, "    k: 1\n");
    out.clear();
    emit_sequence(seq({{i(1), "c"}}).as_sequence(), 2, out);
    EXPECT_EQ(out, "  # c\n  - 1\n");
}

TEST(Comments, BlockLines) {
    // One line per piece between line breaks: an empty text is one bare marker line,
    // and a trailing break ends with one, as the reader joins bare `#` lines.
    EXPECT_EQ(emit(map({{"a", i(1), ""}})), "# \na: 1\n");
    EXPECT_EQ(emit(map({{"a", i(1), "\n"}})), "# \n# \na: 1\n");
    EXPECT_EQ(emit(map({{"a", i(1), "a\r\nb"}})), "# a\n# b\na: 1\n");
    EXPECT_EQ(emit(map({{"a", i(1), "x\n\ny\n"}})), "# x\n# \n# y\n# \na: 1\n");
    EXPECT_EQ(emit(map({{"a", i(1), "  two spaces"}})), "#   two spaces\na: 1\n");
    EXPECT_EQ(emit(map({{"k", map({{"a", i(1), "n1\nn2"}})}})), "k:\n  # n1\n  # n2\n  a: 1\n");
}

TEST(Comments, InlineMarkers) {
    EXPECT_EQ(emit(map({{"a", i(1), {}, ""}})), "a: 1  # \n");
    EXPECT_EQ(emit(map({{"a", seq({{i(1)}}), {}, "x"}})), "a:  # x\n  - 1\n");
    EXPECT_EQ(emit(map({{"a", map({}), {}, "x"}})), "a:  # x\n  {}\n");
    EXPECT_EQ(emit(seq({{i(1), {}, ""}})), "- 1  # \n");
    EXPECT_EQ(emit(seq({{seq({{i(1)}}), {}, ""}})), "- # \n  - 1\n");
}

// A line break in a comment never lets the rest of the text become content.
TEST(Comments, LineBreaksContinueAsCommentLines) {
    EXPECT_EQ(emit(map({{"a", i(1), {}, "x\nadmin: true"}})), "a: 1  # x\n# admin: true\n");
    EXPECT_EQ(emit(map({{"k", map({{"a", i(1), {}, "x\ry\r\nz"}})}})), "k:\n  a: 1  # x\n  # y\n  # z\n");
    EXPECT_EQ(emit(map({{"a", i(1), "x\rb: 2"}})), "# x\n# b: 2\na: 1\n");
    EXPECT_EQ(emit(map({{"a", i(1), {}, "x\n"}})), "a: 1  # x\n");
    EXPECT_EQ(emit(map({{"a", seq({{i(1)}}), {}, "x\n- y"}})), "a:  # x\n# - y\n  - 1\n");
    EXPECT_EQ(emit(seq({{seq({{i(1)}}), {}, "x\ny"}})), "- # x\n# y\n  - 1\n");
    EXPECT_EQ(emit(seq({{i(1), {}, "x\ny"}})), "- 1  # x\n# y\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1), {}, "x\ny"}})}})), "- a: 1  # x\n  # y\n");
}

TEST(Comments, NulCannotEndTheText) {
    const std::string nul("a\0b", 3);
    EXPECT_EQ(emit(map({{"k", i(1), nul, nul}})), "# a\xEF\xBF\xBD" "b\nk: 1  # a\xEF\xBF\xBD" "b\n");
}

// A node carrying the comments of a document, as a root or stored as a value.
YamlNode with_doc_comments(YamlNode n, OptText before, OptText inline_, OptText after) {
    NodeProps p;
    p.comment_before = std::move(before);
    p.comment_inline = std::move(inline_);
    p.comment_after = std::move(after);
    if (n.is_scalar()) n.as_scalar().set_props(std::move(p));
    else if (n.is_mapping()) n.as_mapping().set_props(std::move(p));
    else n.as_sequence().set_props(std::move(p));
    return n;
}

// A null read from nothing (`-` or `key:` alone), written as nothing again.
YamlNode read_empty() {
    ScalarValue v = ScalarValue::make_null();
    NodeProps p;
    p.spelling = "";
    v.set_props(std::move(p));
    return YamlNode(std::move(v));
}

YamlNode literal(std::string text) {
    ScalarValue v = ScalarValue::make_str(text);
    v.set_style(SourceStyle::Literal);
    return YamlNode(std::move(v));
}

TEST(Comments, DocumentCommentsStandAroundTheRoot) {
    EXPECT_EQ(emit(with_doc_comments(i(5), "b", "i", "a")), "# b\n5  # i\n# a\n");
    EXPECT_EQ(emit(with_doc_comments(map({}), "b", "i", "a")), "# b\n{}  # i\n# a\n");
    EXPECT_EQ(emit(with_doc_comments(seq({}), {}, "one\ntwo", {})), "[]  # one\n# two\n");
    EXPECT_EQ(emit(with_doc_comments(literal("text\n"), {}, "one\ntwo", "a")), "|  # one\n  text\n# two\n# a\n");
    // A collection's first line is its first entry's: the root's own end-of-line
    // comment stands above it.
    EXPECT_EQ(emit(with_doc_comments(map({{"k", i(1), "k's"}}), "b", "i", "a")), "# b\n# i\n# k's\nk: 1\n# a\n");
    EXPECT_EQ(emit_docs({with_doc_comments(seq({{i(1)}}), {}, {}, "a"), i(2)}), "---\n- 1\n# a\n---\n2");
}

// Stored as a value, a root's comments become lines at the start of its content,
// or after its line, and after its last line.
TEST(Comments, DocumentCommentsOfAStoredValue) {
    YamlNode nested = with_doc_comments(map({{"x", i(1)}}), "b", "i", "a");
    EXPECT_EQ(emit(map({{"k", nested, "own"}, {"z", i(2)}})), "# own\nk:\n  # b\n  # i\n  x: 1\n# a\nz: 2\n");
    EXPECT_EQ(emit(seq({{nested}, {i(2)}})), "- \n  # b\n  # i\n  x: 1\n# a\n- 2\n");
    EXPECT_EQ(emit(seq({{map({{"k", with_doc_comments(i(5), "b", {}, "a")}})}})), "- k: 5\n  # b\n  # a\n");
    EXPECT_EQ(emit(map({{"k", with_doc_comments(seq({}), {}, "i", {})}})), "k:\n  []\n# i\n");
}

// The comment lines of the first item of a sequence held by an item stand below
// its dash: above it the reader gives them to the outer item.
TEST(Comments, FirstItemOfANestedSequenceKeepsItsLines) {
    EXPECT_EQ(emit(seq({{seq({{seq({{s("x")}}), "note"}})}})), "- \n  - \n    # note\n    - x\n");
    EXPECT_EQ(emit(seq({{seq({{map({{"k", i(1)}}), "note"}})}})), "- \n  - \n    # note\n    k: 1\n");
    EXPECT_EQ(emit(seq({{seq({{map({}), "note", "i"}})}})), "- \n  -\n    # note\n    {}  # i\n");
    // A scalar first item has no line below its dash; later items are not affected.
    EXPECT_EQ(emit(seq({{seq({{s("x"), "c"}, {seq({{i(1)}}), "d"}})}})), "- \n  # c\n  - x\n  # d\n  - \n    - 1\n");
}

// An item read empty is written as a bare dash, unless a comment follows it: the
// reader would give that comment to the empty item.
TEST(Comments, EmptyItemsFollowedByCommentsAreSpelledOut) {
    EXPECT_EQ(emit(seq({{read_empty()}, {s("z")}})), "-\n- z\n");
    EXPECT_EQ(emit(seq({{read_empty()}, {s("z"), "c"}})), "- null\n# c\n- z\n");
    EXPECT_EQ(emit(seq({{read_empty(), {}, "i"}})), "- null  # i\n");
    EXPECT_EQ(emit(seq({{seq({{read_empty()}})}, {s("z"), "c"}})), "- \n  - null\n# c\n- z\n");
    EXPECT_EQ(emit(with_doc_comments(seq({{read_empty()}}), {}, {}, "a")), "- null\n# a\n");
    EXPECT_EQ(emit(map({{"k", read_empty()}, {"z", i(1), "c"}})), "k:\n# c\nz: 1\n");
}

TEST(Comments, LinesOfAnEndOfLineCommentFollowABlockScalar) {
    EXPECT_EQ(emit(map({{"k", literal("text\n"), {}, "one\ntwo"}, {"z", i(1)}})), "k: |  # one\n  text\n# two\nz: 1\n");
    EXPECT_EQ(emit(seq({{literal("a\nb"), {}, "one\ntwo"}})), "- |-  # one\n  a\n  b\n# two\n");
}

TEST(Keys, LongKeysUseTheExplicitForm) {
    const std::string at_limit(1024, 'k');
    const std::string over(1025, 'k');
    EXPECT_EQ(emit(map({{at_limit, i(1)}})), at_limit + ": 1\n");
    EXPECT_EQ(emit(map({{over, i(1)}})), "? " + over + "\n: 1\n");
    // Characters count, not bytes: 600 two-byte characters fit.
    std::string wide;
    for (int n = 0; n < 600; ++n) wide += "\xC3\xA9";
    EXPECT_EQ(emit(map({{wide, i(1)}})), wide + ": 1\n");
    // The quotes count: 1023 characters with quotes are 1025.
    const std::string quoted = " " + std::string(1022, 'q');
    EXPECT_EQ(emit(map({{quoted, i(1)}})), "? '" + quoted + "'\n: 1\n");
    EXPECT_EQ(emit(map({{over, seq({{i(1)}}), "c", "x"}})), "# c\n? " + over + "  # x\n:\n  - 1\n");
    EXPECT_EQ(emit(map({{over, map({})}})), "? " + over + "\n:\n  {}\n");
    EXPECT_EQ(emit(seq({{map({{over, i(1)}, {"b", i(2)}})}})), "- \n  ? " + over + "\n  : 1\n  b: 2\n");
    EXPECT_EQ(emit(seq({{map({{"a", i(1)}, {over, seq({})}})}})), "- a: 1\n  ? " + over + "\n  : []\n");
    // Behind a quoted key the comment goes to the plain value's line.
    EXPECT_EQ(emit(map({{quoted, i(1), {}, "x"}})), "? '" + quoted + "'\n: 1  # x\n");
}

TEST(Keys, RootKeysMustNotReadAsDocumentEnd) {
    EXPECT_EQ(emit(map({{"... x", i(1)}})), "'... x': 1\n");
    EXPECT_EQ(emit(map({{"...", i(1)}})), "'...': 1\n");
    EXPECT_EQ(emit(map({{"k", map({{"... x", i(1)}})}})), "k:\n  ... x: 1\n");
    EXPECT_EQ(emit(map({{"k", s("...")}})), "k: ...\n");
}

TEST(Documents, Separation) {
    EXPECT_EQ(emit_docs({}), "");
    EXPECT_EQ(emit_docs({i(5)}), "5");
    EXPECT_EQ(emit_docs({i(1), i(2)}), "---\n1\n---\n2");
    EXPECT_EQ(emit_docs({map({{"a", i(1)}}), seq({{i(2)}})}), "---\na: 1\n---\n- 2\n");
    EXPECT_EQ(emit_docs({s("..."), s("... x"), s("...y")}), "---\n'...'\n---\n'... x'\n---\n...y");
    EXPECT_EQ(emit_docs({s("...")}), "'...'");
    EXPECT_EQ(emit_docs({map({})}), "{}\n");
}

TEST(Depth, DeepTreesDoNotExhaustTheStack) {
    constexpr std::size_t depth = max_nesting_depth;
    YamlNode node = i(1);
    for (std::size_t d = 0; d < depth; ++d) {
        if (d % 2) {
            node = map({{"k", std::move(node)}});
        } else {
            ItemArray a;
            a.push_back(YamlItem{{}, {}, std::move(node)});
            node = YamlNode(std::move(a));
        }
    }
    const std::string out = emit(node);
    std::size_t lines = 0;
    for (char c : out) lines += c == '\n';
    EXPECT_EQ(lines, depth / 2 + 1);  // each compact "- k:" line holds two levels; the leaf adds one
    EXPECT_NE(out.find("- 1\n"), std::string::npos);
}

}  // namespace
