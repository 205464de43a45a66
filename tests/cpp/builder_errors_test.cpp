// Every error of the parser, as parse_str reports it: message and position.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "builder/parse_str.h"

namespace {

using plovarn::builder::parse_str;

std::string error_of(std::string_view text) {
    auto r = parse_str(text);
    return r ? std::string("<no error>") : r.error();
}

TEST(BuilderErrors, ParserMessagesWithPositions) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        // The first document ended without `...`, so the next needs `---`.
        {"[a]\n[b]\n", "did not find expected <document start> at byte 4 line 2 column 1"},
        {"%YAML 1.2\n%YAML 1.2\n---\n", "duplicate version directive at byte 10 line 2 column 1"},
        {"%TAG !e! a:\n%TAG !e! b:\n---\n",
         "the TAG directive must only be given at most once per handle in the same document at byte 12 line 2 "
         "column 1"},
        {"[a]\n%YAML 1.2\n---\nb\n", "missing explicit document end marker before directive at byte 4 line 2 column 1"},
        {"a: *b\n", "while parsing node, found unknown anchor at byte 3 line 1 column 4"},
        {"[a, , b]", "while parsing a node, did not find expected node content at byte 4 line 1 column 5"},
        {"x: !e!t 1\n", "the handle wasn't declared at byte 3 line 1 column 4"},
        {"- a\nb: c\n", "while parsing a block collection, did not find expected '-' indicator at byte 4 line 2 column 1"},
        {"a: 1\n- b\n", "while parsing a block mapping, did not find expected key at byte 7 line 2 column 3"},
        {"[[a] b]", "while parsing a flow sequence, expected ',' or ']' at byte 5 line 1 column 6"},
        {"{a: [b] c}", "while parsing a flow mapping, did not find expected ',' or '}' at byte 8 line 1 column 9"},
    };
    for (const Case& c : cases) EXPECT_EQ(error_of(c.text), std::string("YAML parse error: ") + c.error) << c.text;
}

TEST(BuilderErrors, AnchorsOutliveTheirDocumentButNotTheCall) {
    EXPECT_EQ(error_of("--- &a x\n--- *a\n"), "<no error>");
    // A fresh call knows none of the earlier anchors.
    EXPECT_EQ(error_of("--- *a\n"), "YAML parse error: while parsing node, found unknown anchor at byte 4 line 1 column 5");
}

TEST(BuilderErrors, ScannerErrorsPassThroughUnchanged) {
    EXPECT_EQ(error_of("a: 'open"),
              "YAML parse error: while scanning a quoted scalar, found unexpected end of stream at byte 3 line 1 column 4");
    EXPECT_EQ(error_of("a: `x`\n"), "YAML parse error: unexpected character: ``' at byte 3 line 1 column 4");
    EXPECT_EQ(error_of("[1, 2]#x\n"),
              "YAML parse error: comments must be separated from other tokens by whitespace at byte 6 line 1 column 7");
}

// Keys are text: a collection or an alias written where a key is due is refused
// at the key (its `?` when it has one), in every place a key can stand.
TEST(BuilderErrors, CollectionOrAliasAsKeyIsRefused) {
    struct Place {
        std::string before, after;  // the key goes between them
        bool block;                 // block collections may stand here
        std::size_t back = 0;       // the error stands this far before the key: at its `?`
    };
    const Place places[] = {
        {"", ": v\nc: d\n", false},
        {"m:\n  ", ": v\n  c: d\n", false},
        {"? ", "\n: v\nc: d\n", true, 2},
        {"m:\n  ? ", "\n  : v\n", true, 2},
        {"{", ": v, c: d}\n", false},
        {"{", "}\n", false},
        {"{c: d, ", "}\n", false},
        {"{? ", " : v}\n", false, 2},
        {"[", ": v, c]\n", false},
        {"[c, ? ", " : v]\n", false, 2},
        {"- ", ": v\n", false},
    };
    struct Key {
        std::string text;
        bool alias, block;
    };
    const Key keys[] = {
        {"[a, b]", false, false}, {"{a: b}", false, false}, {"[]", false, false}, {"{}", false, false},
        {"&y [a]", false, false}, {"!t {a: b}", false, false}, {"*x ", true, false},
        {"- a", false, true},     {"k: w", false, true},
    };
    const std::string prefix = "--- &x 1\n---\n";
    for (const Place& place : places) {
        for (const Key& key : keys) {
            if (key.block && !place.block) continue;
            const std::string text = prefix + place.before + key.text + place.after;
            // Where the key starts: a character index, its line and column.
            const std::size_t index = prefix.size() + place.before.size() - place.back;
            const std::size_t line_start = text.rfind('\n', index - 1) + 1;
            const auto line = 1 + std::count(text.begin(), text.begin() + index, '\n');
            const std::string expected =
                std::string("YAML parse error: ") +
                (key.alias ? "an alias is not supported as a mapping key" : "a collection is not supported as a mapping key") +
                " at byte " + std::to_string(index) + " line " + std::to_string(line) + " column " +
                std::to_string(index - line_start + 1);
            EXPECT_EQ(error_of(text), expected) << text;
        }
        // With a scalar key the same place loads.
        const std::string plain = prefix + place.before + "k" + place.after;
        EXPECT_EQ(error_of(plain), "<no error>") << plain;
    }
    // Collections and aliases as values are untouched.
    for (const char* text : {"k: [a]\n", "k: *x\n", "{k: [a], l: *x}\n", "[k: {a: b}, *x]\n", "? k\n: - a\n",
                             "- *x\n- {a: *x}\n", "k: &y\n  - a\n"})
        EXPECT_EQ(error_of(prefix + text), "<no error>") << text;
}

TEST(BuilderErrors, NothingIsReturnedAfterAnError) {
    // The first document is fine; the failure in the second discards it.
    auto r = parse_str("a: 1\n---\nb: *missing\n");
    ASSERT_FALSE(r.has_value());
    EXPECT_TRUE(r.error().starts_with("YAML parse error: while parsing node, found unknown anchor")) << r.error();
}

}  // namespace
