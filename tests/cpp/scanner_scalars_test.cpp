// Scalar texts: folding, quoting, escapes, block scalars and their chomping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanner/scanner.h"

namespace {

using namespace plovarn::scanner;

struct ScannedScalar {
    ScalarStyle style;
    std::string text;
    std::uint64_t line, col;
    bool operator==(const ScannedScalar&) const = default;
};

// The scalars of a text in order; an error fails the test.
std::vector<ScannedScalar> scalars(std::string_view text) {
    Scanner s(text);
    std::vector<ScannedScalar> out;
    for (;;) {
        auto t = s.next_token();
        if (!t) {
            ADD_FAILURE() << "scan failed: " << t.error().display();
            return out;
        }
        if (t->type == TokenType::Scalar)
            out.push_back({t->style, t->text, t->mark.line, t->mark.col});
        if (t->type == TokenType::StreamEnd) return out;
    }
}

// The text of the only scalar, or of the last one when there are several.
std::string text_of(std::string_view text) {
    auto all = scalars(text);
    return all.empty() ? "<none>" : all.back().text;
}

constexpr auto P = ScalarStyle::Plain;
constexpr auto S = ScalarStyle::SingleQuoted;
constexpr auto D = ScalarStyle::DoubleQuoted;
constexpr auto L = ScalarStyle::Literal;
constexpr auto F = ScalarStyle::Folded;

TEST(PlainScalar, FoldingOfBlanksAndBreaks) {
    EXPECT_EQ(text_of("a  b"), "a  b");
    EXPECT_EQ(text_of("a \n  b"), "a b");
    EXPECT_EQ(text_of("a\n\n  b"), "a\nb");
    EXPECT_EQ(text_of("a\n\n\n b \t\n c"), "a\n\nb c");
    EXPECT_EQ(text_of("k: a\r\n  b\r\n"), "a b");
    EXPECT_EQ(text_of("x   \n"), "x");
}

TEST(PlainScalar, WhereItStops) {
    EXPECT_EQ(scalars("x   # note"), (std::vector<ScannedScalar>{{P, "x", 1, 0}}));
    EXPECT_EQ(text_of("a#b"), "a#b");
    EXPECT_EQ(text_of("a #b"), "a");
    EXPECT_EQ(text_of("a:b"), "a:b");
    EXPECT_EQ(scalars("a: b"),
              (std::vector<ScannedScalar>{{P, "a", 1, 0}, {P, "b", 1, 3}}));
    EXPECT_EQ(text_of("[a:b]"), "a:b");
    EXPECT_EQ(text_of("[a:]"), "a");
    EXPECT_EQ(text_of("[a b, c]"), "c");
    EXPECT_EQ(scalars("- a\n  b\n- c")[0].text, "a b");
    // A continuation line indented past the mapping continues the value.
    EXPECT_EQ(scalars("a:\n  b: x\n   y\nc: d")[2].text, "x y");
    EXPECT_EQ(text_of("a\n---\n"), "a");
    EXPECT_EQ(scalars("a\n...\n").size(), 1u);
    EXPECT_EQ(text_of("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
}

TEST(QuotedScalar, SingleQuoted) {
    EXPECT_EQ(scalars("'it''s'"), (std::vector<ScannedScalar>{{S, "it's", 1, 0}}));
    EXPECT_EQ(text_of("'a\\n\"b'"), "a\\n\"b");
    EXPECT_EQ(text_of("''"), "");
    EXPECT_EQ(text_of("'a  \n  b\n\n  c  '"), "a b\nc  ");
}

TEST(QuotedScalar, DoubleQuotedEscapes) {
    EXPECT_EQ(text_of(R"("\x41\u00e9\U0001F600")"), "A\u00e9\U0001F600");
    EXPECT_EQ(text_of(R"("\0\a\b\t\n\v\f\r\e\ \"\/\\")"),
              std::string("\0\a\b\t\n\v\f\r\x1b \"/\\", 13));
    EXPECT_EQ(text_of("\"\\\t\""), "\t");
    EXPECT_EQ(text_of(R"("\N\_\L\P")"), "\u0085\u00a0\u2028\u2029");
    EXPECT_EQ(text_of(R"("\xFf\u00E9")"), "\u00ff\u00e9");
    // A surrogate pair, as JSON writes a character beyond U+FFFF, is that character.
    EXPECT_EQ(text_of(R"("\ud83d\ude00\uD800\uDC00x\uDBFF\uDFFF")"), "\U0001F600\U00010000x\U0010FFFF");
}

TEST(QuotedScalar, LineContinuationAndFolding) {
    EXPECT_EQ(text_of("\"a\\\n  b\""), "ab");
    EXPECT_EQ(text_of("\"a\n  b\""), "a b");
    EXPECT_EQ(text_of("\"a \\\n  b\""), "a b");
    EXPECT_EQ(text_of("\"a\\\n\n  b\""), "a\nb");
    EXPECT_EQ(text_of("\"a\n\n\n  b \""), "a\n\nb ");
    EXPECT_EQ(text_of("\"a\r\n b\""), "a b");
}

TEST(QuotedScalar, AsKeysAndJsonStyle) {
    EXPECT_EQ(scalars("{\"a\":1}"), (std::vector<ScannedScalar>{{D, "a", 1, 1}, {P, "1", 1, 5}}));
    EXPECT_EQ(scalars("'k' : v"), (std::vector<ScannedScalar>{{S, "k", 1, 0}, {P, "v", 1, 6}}));
    EXPECT_EQ(scalars("[\"a\", 'b']").size(), 2u);
}

TEST(BlockScalar, ChompingAndTheEndOfInput) {
    EXPECT_EQ(scalars("|"), (std::vector<ScannedScalar>{{L, "", 1, 0}}));
    // A last line without a line break gains none, whatever the chomping.
    EXPECT_EQ(text_of("|\n  abc"), "abc");
    EXPECT_EQ(text_of("|-\n  abc"), "abc");
    EXPECT_EQ(text_of("|+\n  abc"), "abc");
    EXPECT_EQ(text_of(">\n  a\n  b"), "a b");
    EXPECT_EQ(text_of("|\n  abc\n\n\n"), "abc\n");
    EXPECT_EQ(text_of("|-\n  abc\n\n\n"), "abc");
    EXPECT_EQ(text_of("|+\n  abc\n\n\n"), "abc\n\n\n");
    EXPECT_EQ(text_of("a: |+\n  abc\n\nb: 1\n"), "1");
    EXPECT_EQ(scalars("a: |+\n  abc\n\nb: 1\n")[1].text, "abc\n\n");
}

// An empty block scalar reads the same wherever it stands: its header's line
// break is not content, only kept empty lines are.
TEST(BlockScalar, EmptyContentIsTheSameAtTheEndAndInTheMiddle) {
    for (std::string header : {"|", "|-", "|+", ">"}) {
        const std::string at_end = "a: " + header + "\n";
        const std::string in_middle = "a: " + header + "\nb: 1\n";
        EXPECT_EQ(scalars(at_end)[1].text, "") << header;
        EXPECT_EQ(scalars(in_middle)[1].text, "") << header;
    }
    EXPECT_EQ(scalars("a: |+\n\n\n")[1].text, "\n\n");
    EXPECT_EQ(scalars("a: |+\n\n\nb: 1")[1].text, "\n\n");
}

// A last line of blanks without a break adds no line feed of its own.
TEST(BlockScalar, TrailingBlankLineAtTheEndAddsNothing) {
    EXPECT_EQ(text_of("|\n  abc\n  "), "abc\n");
    EXPECT_EQ(text_of("|\n  abc\n     "), "abc\n   ");
}

TEST(BlockScalar, Folding) {
    EXPECT_EQ(scalars("key: >\n  a\n  b\n\n  c\n")[1],
              (ScannedScalar{F, "a b\nc\n", 1, 5}));
    EXPECT_EQ(text_of("key: |-\n  a\n  b\n\n  c\n"), "a\nb\n\nc");
    // More-indented lines keep their breaks.
    EXPECT_EQ(text_of(">\n a\n   b\n c\n"), "a\n  b\nc\n");
    EXPECT_EQ(text_of(">\n a\n\n\n b\n"), "a\n\nb\n");
    // Every break form is stored as one line feed.
    EXPECT_EQ(text_of("|\r  a\r  b\r"), "a\nb\n");
    EXPECT_EQ(text_of(">\r\n  a\r\n  b\r\n\r\n  c\r\n"), "a b\nc\n");
}

TEST(BlockScalar, Indentation) {
    EXPECT_EQ(text_of("a: |1\n   x\n"), "  x\n");
    EXPECT_EQ(scalars("a:\n  b: |1\n    x\n")[2].text, " x\n");
    EXPECT_EQ(text_of("- |2-\n    x\n"), "  x");
    EXPECT_EQ(text_of("|\n\n  \n  x\n"), "\n\nx\n");
    EXPECT_EQ(text_of("a: |\n   x\n  y: 1\n"), "1");
    EXPECT_EQ(text_of("|\n  x\n \n  y\n"), "x\n\ny\n");
    EXPECT_EQ(text_of("|\n  a\tb\n"), "a\tb\n");
}

// Both document markers end a top-level scalar whose content starts at
// column 0; the next document is not read as part of its text.
TEST(BlockScalar, TopLevelContentAtColumnZeroEndsAtDocumentMarkers) {
    for (std::string marker : {"---", "..."}) {
        auto two = scalars("|\nabc\n" + marker + "\nx\n");
        ASSERT_EQ(two.size(), 2u) << marker;
        EXPECT_EQ(two[0], (ScannedScalar{L, "abc\n", 1, 0}));
        EXPECT_EQ(two[1], (ScannedScalar{P, "x", 4, 0}));
    }
    EXPECT_EQ(text_of("|\nabc\n--- x\n"), "x");
    EXPECT_EQ(scalars("|\nabc\n----\n")[0].text, "abc\n----\n");
}

TEST(BlockScalar, DocumentMarkerAfterWideEmptyLines) {
    EXPECT_EQ(scalars("|2+\n\n...\n")[0].text, "\n");
    EXPECT_EQ(scalars("--- |\n  \n--- x\n")[0].text, "");
    EXPECT_EQ(scalars("--- >\n  a\n\n---\n")[0].text, "a\n");
}

}  // namespace
