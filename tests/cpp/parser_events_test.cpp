// Event streams of the parser for small documents, rendered one event per string:
// +STR -STR +DOC -DOC +MAP -MAP +SEQ -SEQ, =VAL with a style mark (: plain, ' " | >)
// and the text, =ALI *id; properties as &id and <handle suffix>.

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "parser/parser.h"

namespace {

using namespace plovarn;
using scanner::ScalarStyle;
namespace ev = parser::event;

std::string props(std::uint64_t anchor, const std::unique_ptr<parser::Tag>& tag) {
    std::string out;
    if (anchor) out += " &" + std::to_string(anchor);
    if (tag) out += " <" + tag->handle + " " + tag->suffix + ">";
    return out;
}

char style_mark(ScalarStyle s) {
    switch (s) {
        case ScalarStyle::Plain: return ':';
        case ScalarStyle::SingleQuoted: return '\'';
        case ScalarStyle::DoubleQuoted: return '"';
        case ScalarStyle::Literal: return '|';
        case ScalarStyle::Folded: return '>';
    }
    return '?';
}

std::string render(const parser::Event& e) {
    struct {
        std::string operator()(const ev::StreamStart&) { return "+STR"; }
        std::string operator()(const ev::StreamEnd&) { return "-STR"; }
        std::string operator()(const ev::DocumentStart&) { return "+DOC"; }
        std::string operator()(const ev::DocumentEnd&) { return "-DOC"; }
        std::string operator()(const ev::Alias& a) { return "=ALI *" + std::to_string(a.anchor_id); }
        std::string operator()(const ev::Scalar& s) {
            return "=VAL" + props(s.anchor_id, s.tag) + " " + style_mark(s.style) + s.value;
        }
        std::string operator()(const ev::SequenceStart& s) { return "+SEQ" + props(s.anchor_id, s.tag); }
        std::string operator()(const ev::SequenceEnd&) { return "-SEQ"; }
        std::string operator()(const ev::MappingStart& s) { return "+MAP" + props(s.anchor_id, s.tag); }
        std::string operator()(const ev::MappingEnd&) { return "-MAP"; }
    } visitor;
    return std::visit(visitor, e);
}

// The events up to the stream end, or up to an error rendered as "ERR <display>".
// Guarded against a parser that never ends.
std::vector<std::string> events(std::string_view text, bool with_lines = false) {
    parser::Parser p(text);
    std::vector<std::string> out;
    for (int guard = 0; guard < 10000; ++guard) {
        auto e = p.next_event();
        if (!e) {
            out.push_back("ERR " + e.error().display());
            return out;
        }
        out.push_back(render(e->event) + (with_lines ? " @" + std::to_string(e->mark.line) : ""));
        if (std::holds_alternative<ev::StreamEnd>(e->event)) return out;
    }
    out.push_back("NO END");
    return out;
}

using V = std::vector<std::string>;

// Only the events between +DOC and -DOC of a single-document stream.
V body(std::string_view text) {
    V all = events(text);
    if (all.size() < 4 || all[1] != "+DOC" || all[all.size() - 2] != "-DOC" || all.back() != "-STR") return all;
    return V(all.begin() + 2, all.end() - 2);
}

TEST(ParserEvents, EmptyAndCommentOnlyStreams) {
    EXPECT_EQ(events(""), (V{"+STR", "-STR"}));
    parser::Parser p("# only a comment\n");
    std::vector<std::string> seen;
    for (;;) {
        auto e = p.next_event();
        ASSERT_TRUE(e) << e.error().display();
        seen.push_back(render(e->event));
        if (std::holds_alternative<ev::StreamEnd>(e->event)) break;
    }
    EXPECT_EQ(seen, (V{"+STR", "-STR"}));
    ASSERT_EQ(p.comments().size(), 1u);
    EXPECT_EQ(p.comments()[0].text, "only a comment");
    EXPECT_EQ(p.comments()[0].mark.line, 1u);
}

TEST(ParserEvents, BlockMappingsAndSequences) {
    EXPECT_EQ(events("a: 1\n"), (V{"+STR", "+DOC", "+MAP", "=VAL :a", "=VAL :1", "-MAP", "-DOC", "-STR"}));
    // A key with nothing after it, and a dash with nothing after it.
    EXPECT_EQ(body("a:\nb: 2\n"), (V{"+MAP", "=VAL :a", "=VAL :", "=VAL :b", "=VAL :2", "-MAP"}));
    EXPECT_EQ(body("- \n- x\n-\n"), (V{"+SEQ", "=VAL :", "=VAL :x", "=VAL :", "-SEQ"}));
    // A sequence at the indentation of its key.
    EXPECT_EQ(body("a:\n- x\n-\nb: 1\n"),
              (V{"+MAP", "=VAL :a", "+SEQ", "=VAL :x", "=VAL :", "-SEQ", "=VAL :b", "=VAL :1", "-MAP"}));
    EXPECT_EQ(body("- - x\n  - y\n- z\n"), (V{"+SEQ", "+SEQ", "=VAL :x", "=VAL :y", "-SEQ", "=VAL :z", "-SEQ"}));
    EXPECT_EQ(body("? a\n: b\n? c\n"), (V{"+MAP", "=VAL :a", "=VAL :b", "=VAL :c", "=VAL :", "-MAP"}));
    EXPECT_EQ(body(": v\n"), (V{"+MAP", "=VAL :", "=VAL :v", "-MAP"}));
}

TEST(ParserEvents, ScalarStylesReachTheEvents) {
    EXPECT_EQ(body("- 'a'\n- \"b\"\n- |\n  c\n- >\n  d\n"),
              (V{"+SEQ", "=VAL 'a", "=VAL \"b", "=VAL |c\n", "=VAL >d\n", "-SEQ"}));
}

TEST(ParserEvents, FlowCollections) {
    EXPECT_EQ(body("[a, b, ]"), (V{"+SEQ", "=VAL :a", "=VAL :b", "-SEQ"}));
    EXPECT_EQ(body("{a: 1, b: , c, }"),
              (V{"+MAP", "=VAL :a", "=VAL :1", "=VAL :b", "=VAL :", "=VAL :c", "=VAL :", "-MAP"}));
    EXPECT_EQ(body("[x: 1, y]"), (V{"+SEQ", "+MAP", "=VAL :x", "=VAL :1", "-MAP", "=VAL :y", "-SEQ"}));
    EXPECT_EQ(body("{? a, : b}"), (V{"+MAP", "=VAL :a", "=VAL :", "=VAL :", "=VAL :b", "-MAP"}));
    EXPECT_EQ(body("[]"), (V{"+SEQ", "-SEQ"}));
    EXPECT_EQ(body("{}"), (V{"+MAP", "-MAP"}));
    EXPECT_EQ(body("[[a], {b: c}]"), (V{"+SEQ", "+SEQ", "=VAL :a", "-SEQ", "+MAP", "=VAL :b", "=VAL :c", "-MAP", "-SEQ"}));
}

TEST(ParserEvents, ExplicitKeyPairsInsideFlowSequences) {
    EXPECT_EQ(body("[? a : b, c]"), (V{"+SEQ", "+MAP", "=VAL :a", "=VAL :b", "-MAP", "=VAL :c", "-SEQ"}));
    // An empty explicit key leaves the `:` or the bracket for the pair's value and end.
    EXPECT_EQ(body("[? : b]"), (V{"+SEQ", "+MAP", "=VAL :", "=VAL :b", "-MAP", "-SEQ"}));
    EXPECT_EQ(body("[? ]"), (V{"+SEQ", "+MAP", "=VAL :", "=VAL :", "-MAP", "-SEQ"}));
    EXPECT_EQ(body("[? , x]"), (V{"+SEQ", "+MAP", "=VAL :", "=VAL :", "-MAP", "=VAL :x", "-SEQ"}));
    // After a `{` the scanner writes later implicit pairs in flow sequences the same way.
    EXPECT_EQ(body("- {a: 1}\n- [b: 2, c]\n"), (V{"+SEQ", "+MAP", "=VAL :a", "=VAL :1", "-MAP", "+SEQ", "+MAP", "=VAL :b",
                                                  "=VAL :2", "-MAP", "=VAL :c", "-SEQ", "-SEQ"}));
}

TEST(ParserEvents, DocumentsAndMarkers) {
    EXPECT_EQ(events("---\n"), (V{"+STR", "+DOC", "=VAL :", "-DOC", "-STR"}));
    EXPECT_EQ(events("--- a\n--- b\n...\n"), (V{"+STR", "+DOC", "=VAL :a", "-DOC", "+DOC", "=VAL :b", "-DOC", "-STR"}));
    // After `...` the next document may start implicitly.
    EXPECT_EQ(events("a\n...\nb\n"), (V{"+STR", "+DOC", "=VAL :a", "-DOC", "+DOC", "=VAL :b", "-DOC", "-STR"}));
    EXPECT_EQ(events("...\n...\n"), (V{"+STR", "-STR"}));
    EXPECT_EQ(events("%YAML 1.2\n---\nx\n"), (V{"+STR", "+DOC", "=VAL :x", "-DOC", "-STR"}));
}

TEST(ParserEvents, AnchorsAndAliasesAcrossDocuments) {
    EXPECT_EQ(body("a: &x 1\nb: *x\n"), (V{"+MAP", "=VAL :a", "=VAL &1 :1", "=VAL :b", "=ALI *1", "-MAP"}));
    EXPECT_EQ(events("--- &a [1]\n--- *a\n--- &c x\n"),
              (V{"+STR", "+DOC", "+SEQ &1", "=VAL :1", "-SEQ", "-DOC", "+DOC", "=ALI *1", "-DOC", "+DOC", "=VAL &2 :x",
                 "-DOC", "-STR"}));
    // A redefined name refers to its newest node.
    EXPECT_EQ(body("- &a 1\n- &a 2\n- *a\n"), (V{"+SEQ", "=VAL &1 :1", "=VAL &2 :2", "=ALI *2", "-SEQ"}));
    // Properties on an empty node.
    EXPECT_EQ(body("a: &x\nb: !!str\n"),
              (V{"+MAP", "=VAL :a", "=VAL &1 :", "=VAL :b", "=VAL <tag:yaml.org,2002: str> :", "-MAP"}));
    EXPECT_EQ(body("- !!map &m {a: 1}\n- &s !!seq [b]\n"),
              (V{"+SEQ", "+MAP &1 <tag:yaml.org,2002: map>", "=VAL :a", "=VAL :1", "-MAP",
                 "+SEQ &2 <tag:yaml.org,2002: seq>", "=VAL :b", "-SEQ", "-SEQ"}));
}

TEST(ParserEvents, TagResolution) {
    EXPECT_EQ(body("!!int 1"), (V{"=VAL <tag:yaml.org,2002: int> :1"}));
    EXPECT_EQ(body("%TAG !! tag:x:\n--- !!int 1"), (V{"=VAL <tag:x: int> :1"}));
    EXPECT_EQ(body("%TAG !e! urn:e:\n%TAG !f! urn:f:\n--- [!e!a 1, !f!b 2]"),
              (V{"+SEQ", "=VAL <urn:e: a> :1", "=VAL <urn:f: b> :2", "-SEQ"}));
    EXPECT_EQ(body("%TAG ! urn:p:\n--- !x 1"), (V{"=VAL <urn:p: x> :1"}));
    EXPECT_EQ(body("!x 1"), (V{"=VAL <! x> :1"}));
    EXPECT_EQ(body("! 1"), (V{"=VAL < !> :1"}));
    EXPECT_EQ(body("!<tag:v> 1"), (V{"=VAL < tag:v> :1"}));
    // Directives of unknown names are ignored, however many there are.
    EXPECT_EQ(events("%FOO a\n%BAR b\n--- x\n"), (V{"+STR", "+DOC", "=VAL :x", "-DOC", "-STR"}));
}

TEST(ParserEvents, TagDirectivesHoldForOneDocumentOnly) {
    V e = events("%TAG !e! urn:e:\n--- !e!a 1\n...\n--- !e!b 2\n");
    ASSERT_EQ(e.size(), 6u);
    EXPECT_EQ(e[2], "=VAL <urn:e: a> :1");
    EXPECT_EQ(e[5], "ERR the handle wasn't declared at byte 35 line 4 column 5");
}

TEST(ParserEvents, EventMarkersCarryTheLines) {
    EXPECT_EQ(events("a:\n  - x\nb: |\n  t\n", true),
              (V{"+STR @1", "+DOC @1", "+MAP @1", "=VAL :a @1", "+SEQ @2", "=VAL :x @2", "-SEQ @3", "=VAL :b @3",
                 "=VAL |t\n @3", "-MAP @5", "-DOC @5", "-STR @5"}));
}

TEST(ParserEvents, CommentsAreDivertedInInputOrder) {
    parser::Parser p("# a\nk: v # b\n# c\n");
    for (;;) {
        auto e = p.next_event();
        ASSERT_TRUE(e) << e.error().display();
        if (std::holds_alternative<ev::StreamEnd>(e->event)) break;
    }
    const auto& c = p.comments();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].text, "a");
    EXPECT_EQ(c[1].text, "b");
    EXPECT_EQ(c[1].mark.line, 2u);
    EXPECT_EQ(c[1].mark.col, 5u);
    EXPECT_EQ(c[2].text, "c");
}

TEST(ParserEvents, FirstErrorIsFinal) {
    parser::Parser p("[a, *nope]");
    std::string first;
    for (int i = 0; i < 20; ++i) {
        auto e = p.next_event();
        if (!e) {
            if (first.empty())
                first = e.error().display();
            else
                EXPECT_EQ(e.error().display(), first);
        }
    }
    EXPECT_EQ(first, "while parsing node, found unknown anchor at byte 4 line 1 column 5");
}

}  // namespace
