// Token streams of the scanner core, structure tokens, directives, anchors and tags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanner/scanner.h"
#include "scanner/token_names.h"

namespace {

using namespace plovarn::scanner;

std::string escaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string render(const Token& t) {
    std::string out(token_type_name(t.type));
    switch (t.type) {
        case TokenType::Scalar:
            out += std::string(" ") + scalar_style_name(t.style)[0] + "'" + escaped(t.text) + "'";
            break;
        case TokenType::Comment:
        case TokenType::Alias:
        case TokenType::Anchor:
            out += " '" + escaped(t.text) + "'";
            break;
        case TokenType::Tag:
        case TokenType::TagDirective:
            out += " '" + t.text + "' '" + t.text2 + "'";
            break;
        case TokenType::VersionDirective:
            out += ' ' + std::to_string(t.major) + '.' + std::to_string(t.minor);
            break;
        default:
            break;
    }
    return out;
}

// Every token up to StreamEnd as "Kind payload@line:col"; a failure ends the
// list with "ERROR message@line:col".
std::vector<std::string> scan(std::string_view text) {
    Scanner s(text);
    std::vector<std::string> out;
    for (;;) {
        auto t = s.next_token();
        if (!t) {
            out.push_back("ERROR " + t.error().info + "@" + std::to_string(t.error().mark.line) +
                          ":" + std::to_string(t.error().mark.col));
            return out;
        }
        out.push_back(render(*t) + "@" + std::to_string(t->mark.line) + ":" +
                      std::to_string(t->mark.col));
        if (t->type == TokenType::StreamEnd) return out;
    }
}

// The token kinds and payloads without positions, space separated.
std::string kinds(std::string_view text) {
    std::string out;
    for (const std::string& t : scan(text)) {
        if (!out.empty()) out += ' ';
        out += t.starts_with("ERROR") ? t : t.substr(0, t.rfind('@'));
    }
    return out;
}

using Tokens = std::vector<std::string>;

TEST(ScannerCore, EmptyTextThenUnexpectedEofIsNotStored) {
    Scanner s("");
    auto a = s.next_token();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->type, TokenType::StreamStart);
    auto b = s.next_token();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->type, TokenType::StreamEnd);
    EXPECT_EQ(b->mark.index, 0u);
    EXPECT_EQ(b->mark.line, 1u);
    for (int i = 0; i < 2; ++i) {
        auto c = s.next_token();
        ASSERT_FALSE(c);
        EXPECT_EQ(c.error().display(), "unexpected eof at byte 0 line 1 column 1");
    }
}

TEST(ScannerCore, StreamEndMovesToTheNextLineWhenTextLacksAFinalBreak) {
    EXPECT_EQ(scan("a: b"), (Tokens{"StreamStart@1:0", "BlockMappingStart@1:1", "Key@1:0",
                                    "Scalar P'a'@1:0", "Value@1:1", "Scalar P'b'@1:3",
                                    "BlockEnd@2:0", "StreamEnd@2:0"}));
    EXPECT_EQ(scan("a\n").back(), "StreamEnd@2:0");
}

TEST(ScannerCore, LineBreakFormsAndCharacterIndexes) {
    Scanner s("a: 1\r\nb: 2\rc: 3\n\u00e9: 4");
    std::vector<Marker> keys;
    for (;;) {
        auto t = s.next_token();
        ASSERT_TRUE(t);
        if (t->type == TokenType::Key) keys.push_back(t->mark);
        if (t->type == TokenType::StreamEnd) break;
    }
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[1].index, 6u);  // CR LF counts two characters
    EXPECT_EQ(keys[1].line, 2u);
    EXPECT_EQ(keys[2].index, 11u);  // a lone CR is a break of its own
    EXPECT_EQ(keys[2].line, 3u);
    EXPECT_EQ(keys[3].index, 16u);
    EXPECT_EQ(keys[3].line, 4u);
}

TEST(ScannerCore, CommentTextDropsTheMarkerAndOneSpace) {
    EXPECT_EQ(kinds("# word"), "StreamStart Comment 'word' StreamEnd");
    EXPECT_EQ(kinds("#word"), "StreamStart Comment 'word' StreamEnd");
    EXPECT_EQ(kinds("#  word  "), "StreamStart Comment ' word  ' StreamEnd");
    EXPECT_EQ(kinds("#\n#\r\n"), "StreamStart Comment '' Comment '' StreamEnd");
}

TEST(ScannerCore, CommentsKeepTheirPositionAndQueueOrder) {
    EXPECT_EQ(scan("key: value # note\n# next\n"),
              (Tokens{"StreamStart@1:0", "BlockMappingStart@1:3", "Key@1:0", "Scalar P'key'@1:0",
                      "Value@1:3", "Scalar P'value'@1:5", "Comment 'note'@1:11",
                      "Comment 'next'@2:0", "BlockEnd@3:0", "StreamEnd@3:0"}));
    // Comments met after a quoted scalar are queued before it.
    EXPECT_EQ(kinds("- \"v\" # c\n# d\n- x"),
              "StreamStart BlockSequenceStart BlockEntry Comment 'c' Comment 'd' Scalar D'v' "
              "BlockEntry Scalar P'x' BlockEnd StreamEnd");
    // A comment behind a block scalar header precedes the scalar.
    EXPECT_EQ(kinds("a: | # h\n  x\n"),
              "StreamStart BlockMappingStart Key Scalar P'a' Value Comment 'h' Scalar L'x\\n' "
              "BlockEnd StreamEnd");
}

TEST(ScannerCore, CommentAfterAnExplicitKeyIndicatorIsKept) {
    EXPECT_EQ(scan("? # note\n  k\n: v\n"),
              (Tokens{"StreamStart@1:0", "BlockMappingStart@1:0", "Comment 'note'@1:2", "Key@1:0",
                      "Scalar P'k'@2:2", "Value@3:0", "Scalar P'v'@3:2", "BlockEnd@4:0",
                      "StreamEnd@4:0"}));
}

TEST(ScannerCore, SimpleKeyLengthLimit) {
    const std::string at_limit(1024, 'k');
    EXPECT_EQ(kinds("a: 1\n" + at_limit + ": 2\n"),
              "StreamStart BlockMappingStart Key Scalar P'a' Value Scalar P'1' Key Scalar P'" +
                  at_limit + "' Value Scalar P'2' BlockEnd StreamEnd");
    // A key of an open mapping is required: overlong, it fails at the ':'.
    EXPECT_EQ(scan("a: 1\n" + at_limit + "k: 2\n").back(), "ERROR simple key expect ':'@2:1025");
    // The first key is not required: its candidate lapses and the ':' is refused.
    EXPECT_EQ(scan(at_limit + "k: 2\n").back(),
              "ERROR mapping values are not allowed in this context@1:1025");
    EXPECT_EQ(scan("a\nb: 2\n").back(), "ERROR mapping values are not allowed in this context@2:1");
}

TEST(ScannerCore, TabsInBlockIndentation) {
    EXPECT_EQ(kinds("a:\n  b: []\n\t# note\n  c: 2\n"),
              "StreamStart BlockMappingStart Key Scalar P'a' Value BlockMappingStart Key "
              "Scalar P'b' Value FlowSequenceStart FlowSequenceEnd Comment 'note' Key "
              "Scalar P'c' Value Scalar P'2' BlockEnd BlockEnd StreamEnd");
    EXPECT_EQ(scan("a:\n  b: []\n\tc: 2\n").back(),
              "ERROR tabs disallowed within this context (block indentation)@3:1");
    // After a plain scalar the tab line is part of the scalar's continuation.
    EXPECT_EQ(scan("a:\n  b: 1\n\tc: 2\n").back(),
              "ERROR while scanning a plain scalar, found a tab@2:5");
}

// A byte order mark opens the text or a document after `...` without being
// content: it takes no column, but character indices count it.
TEST(ScannerCore, ByteOrderMarkBeforeADocumentIsSkipped) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(scan(bom + "a: 1"), (Tokens{"StreamStart@1:0", "BlockMappingStart@1:1", "Key@1:0",
                                          "Scalar P'a'@1:0", "Value@1:1", "Scalar P'1'@1:3",
                                          "BlockEnd@2:0", "StreamEnd@2:0"}));
    const std::string text = bom + "a";
    Scanner s(text);
    ASSERT_TRUE(s.next_token());
    auto a = s.next_token();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->mark.index, 1u);
    EXPECT_EQ(kinds("a\n...\n# c\n" + bom + "b"),
              "StreamStart Scalar P'a' DocumentEnd Comment 'c' Scalar P'b' StreamEnd");
    // Not at the start of its line, it is content.
    EXPECT_EQ(kinds("a\n...\n " + bom + "b"),
              "StreamStart Scalar P'a' DocumentEnd Scalar P'\xEF\xBB\xBF" "b' StreamEnd");
}

TEST(ScannerCore, ErrorIsStoredAndRepeated) {
    Scanner s("a: 1\n@x\n");
    std::optional<ScanError> first;
    while (!first) {
        auto t = s.next_token();
        if (!t) first = t.error();
    }
    for (int i = 0; i < 3; ++i) {
        auto t = s.next_token();
        ASSERT_FALSE(t);
        EXPECT_EQ(t.error().display(), first->display());
    }
    EXPECT_EQ(first->display(), "unexpected character: `@' at byte 5 line 2 column 1");
}

TEST(ScannerCore, DocumentIndicators) {
    EXPECT_EQ(scan("a: 1\n---\nb\n...\n"),
              (Tokens{"StreamStart@1:0", "BlockMappingStart@1:1", "Key@1:0", "Scalar P'a'@1:0",
                      "Value@1:1", "Scalar P'1'@1:3", "BlockEnd@2:0", "DocumentStart@2:0",
                      "Scalar P'b'@3:0", "DocumentEnd@4:0", "StreamEnd@5:0"}));
    EXPECT_EQ(kinds("--- a\n... # c\n"),
              "StreamStart DocumentStart Scalar P'a' DocumentEnd Comment 'c' StreamEnd");
    EXPECT_EQ(kinds("---x\n"), "StreamStart Scalar P'---x' StreamEnd");
    EXPECT_EQ(kinds(" ---\n"), "StreamStart Scalar P'---' StreamEnd");
}

TEST(ScannerStructure, BlockCollections) {
    EXPECT_EQ(scan("- - x\n"),
              (Tokens{"StreamStart@1:0", "BlockSequenceStart@1:0", "BlockEntry@1:2",
                      "BlockSequenceStart@1:2", "BlockEntry@1:4", "Scalar P'x'@1:4",
                      "BlockEnd@2:0", "BlockEnd@2:0", "StreamEnd@2:0"}));
    EXPECT_EQ(kinds("-"), "StreamStart BlockSequenceStart BlockEntry BlockEnd StreamEnd");
    // An indentless sequence as a mapping value opens no block level.
    EXPECT_EQ(kinds("a:\n- b\n- c\nd: e\n"),
              "StreamStart BlockMappingStart Key Scalar P'a' Value BlockEntry Scalar P'b' "
              "BlockEntry Scalar P'c' Key Scalar P'd' Value Scalar P'e' BlockEnd StreamEnd");
    EXPECT_EQ(kinds("? a\n: b\n"),
              "StreamStart BlockMappingStart Key Scalar P'a' Value Scalar P'b' BlockEnd StreamEnd");
    EXPECT_EQ(kinds("- a: 1\n  b: 2\n- c\n"),
              "StreamStart BlockSequenceStart BlockEntry BlockMappingStart Key Scalar P'a' Value "
              "Scalar P'1' Key Scalar P'b' Value Scalar P'2' BlockEnd BlockEntry Scalar P'c' "
              "BlockEnd StreamEnd");
}

TEST(ScannerStructure, FlowCollectionsAndImplicitPairs) {
    EXPECT_EQ(scan("[x: 1]"),
              (Tokens{"StreamStart@1:0", "FlowSequenceStart@1:0", "FlowMappingStart@1:3",
                      "Key@1:1", "Scalar P'x'@1:1", "Value@1:2", "Scalar P'1'@1:4",
                      "FlowMappingEnd@1:5", "FlowSequenceEnd@1:5", "StreamEnd@2:0"}));
    EXPECT_EQ(kinds("[a: 1, b]"),
              "StreamStart FlowSequenceStart FlowMappingStart Key Scalar P'a' Value Scalar P'1' "
              "FlowMappingEnd FlowEntry Scalar P'b' FlowSequenceEnd StreamEnd");
    EXPECT_EQ(kinds("{a: 1, b}"),
              "StreamStart FlowMappingStart Key Scalar P'a' Value Scalar P'1' FlowEntry "
              "Scalar P'b' FlowMappingEnd StreamEnd");
    // What a '{' or a '?' opens ends with its collection or entry: later pairs in
    // sequences get their own braces again.
    EXPECT_EQ(kinds("- {}\n- [a: 1]\n"),
              "StreamStart BlockSequenceStart BlockEntry FlowMappingStart FlowMappingEnd "
              "BlockEntry FlowSequenceStart FlowMappingStart Key Scalar P'a' Value Scalar P'1' "
              "FlowMappingEnd FlowSequenceEnd BlockEnd StreamEnd");
    EXPECT_EQ(kinds("{a: [b: 1]}"),
              "StreamStart FlowMappingStart Key Scalar P'a' Value FlowSequenceStart "
              "FlowMappingStart Key Scalar P'b' Value Scalar P'1' FlowMappingEnd FlowSequenceEnd "
              "FlowMappingEnd StreamEnd");
    EXPECT_EQ(kinds("[? a : 1, b: 2]"),
              "StreamStart FlowSequenceStart Key Scalar P'a' Value Scalar P'1' FlowEntry "
              "FlowMappingStart Key Scalar P'b' Value Scalar P'2' FlowMappingEnd FlowSequenceEnd "
              "StreamEnd");
    EXPECT_EQ(scan("{}\n---\n[a\n: b]").back(), "ERROR illegal placement of ':' indicator@4:0");
    EXPECT_EQ(scan("[{}, a\n: b]").back(), "ERROR illegal placement of ':' indicator@2:0");
    EXPECT_EQ(kinds("[? a\n : b]"),
              "StreamStart FlowSequenceStart Key Scalar P'a' Value Scalar P'b' FlowSequenceEnd StreamEnd");
    EXPECT_EQ(kinds("[ {a: b}:c ]"),
              "StreamStart FlowSequenceStart FlowMappingStart Key FlowMappingStart Key Scalar P'a' "
              "Value Scalar P'b' FlowMappingEnd Value Scalar P'c' FlowMappingEnd FlowSequenceEnd "
              "StreamEnd");
    EXPECT_EQ(kinds("{\"a\":1}"),
              "StreamStart FlowMappingStart Key Scalar D'a' Value Scalar P'1' FlowMappingEnd "
              "StreamEnd");
    EXPECT_EQ(kinds("[a:b, a:]"),
              "StreamStart FlowSequenceStart Scalar P'a:b' FlowEntry FlowMappingStart Key "
              "Scalar P'a' Value FlowMappingEnd FlowSequenceEnd StreamEnd");
}

// The pair's closing brace belongs to the level where the pair opened; a nested
// collection inside the pair must neither close it nor leave it open.
TEST(ScannerStructure, ImplicitPairsAroundNestedCollections) {
    EXPECT_EQ(kinds("[a: [b], c]"),
              "StreamStart FlowSequenceStart FlowMappingStart Key Scalar P'a' Value "
              "FlowSequenceStart Scalar P'b' FlowSequenceEnd FlowMappingEnd FlowEntry "
              "Scalar P'c' FlowSequenceEnd StreamEnd");
    EXPECT_EQ(kinds("[a: {b: c}]"),
              "StreamStart FlowSequenceStart FlowMappingStart Key Scalar P'a' Value "
              "FlowMappingStart Key Scalar P'b' Value Scalar P'c' FlowMappingEnd FlowMappingEnd "
              "FlowSequenceEnd StreamEnd");
    EXPECT_EQ(kinds("[[a: 1], b: 2]"),
              "StreamStart FlowSequenceStart FlowSequenceStart FlowMappingStart Key Scalar P'a' "
              "Value Scalar P'1' FlowMappingEnd FlowSequenceEnd FlowEntry FlowMappingStart Key "
              "Scalar P'b' Value Scalar P'2' FlowMappingEnd FlowSequenceEnd StreamEnd");
}

TEST(ScannerStructure, FlowNestingLimit) {
    const std::string ok = std::string(255, '[') + std::string(255, ']');
    EXPECT_EQ(scan(ok).back(), "StreamEnd@2:0");
    EXPECT_EQ(scan(std::string(256, '[')).back(), "ERROR recursion limit exceeded@1:255");
}

TEST(ScannerStructure, BlockEntryMarkFollowsItsBlanks) {
    EXPECT_EQ(scan("-   x\n-\n  y\n"),
              (Tokens{"StreamStart@1:0", "BlockSequenceStart@1:0", "BlockEntry@1:4",
                      "Scalar P'x'@1:4", "BlockEntry@2:1", "Scalar P'y'@3:2", "BlockEnd@4:0",
                      "StreamEnd@4:0"}));
}

TEST(ScannerDirectives, VersionTagAndOtherDirectives) {
    EXPECT_EQ(scan("%YAML 1.2\n---\n"), (Tokens{"StreamStart@1:0", "VersionDirective 1.2@1:0",
                                               "DocumentStart@2:0", "StreamEnd@3:0"}));
    EXPECT_EQ(kinds("%FOO bar baz\n"), "StreamStart TagDirective '' '' StreamEnd");
    EXPECT_EQ(kinds("%FOO bar # c\n"), "StreamStart Comment 'c' TagDirective '' '' StreamEnd");
    EXPECT_EQ(kinds("%TAG ! urn:x:\n"), "StreamStart TagDirective '!' 'urn:x:' StreamEnd");
    EXPECT_EQ(kinds("%TAG !e! !local-\n"), "StreamStart TagDirective '!e!' '!local-' StreamEnd");
    EXPECT_EQ(kinds("%TAG !e! %41b\n"), "StreamStart TagDirective '!e!' 'Ab' StreamEnd");
    EXPECT_EQ(kinds("%TAG !e! %C3%A9\n"), "StreamStart TagDirective '!e!' '\u00e9' StreamEnd");
    EXPECT_EQ(kinds("%TAG !! tag:x,1:\t# c\n"),
              "StreamStart Comment 'c' TagDirective '!!' 'tag:x,1:' StreamEnd");
    // A directive line closes the block levels of the document before it.
    EXPECT_EQ(kinds("a: 1\n%YAML 1.1\n"),
              "StreamStart BlockMappingStart Key Scalar P'a' Value Scalar P'1' BlockEnd "
              "VersionDirective 1.1 StreamEnd");
}

TEST(ScannerProperties, AnchorsAndAliases) {
    EXPECT_EQ(scan("&a:b x"), (Tokens{"StreamStart@1:0", "Anchor 'a:b'@1:0", "Scalar P'x'@1:5",
                                     "StreamEnd@2:0"}));
    EXPECT_EQ(kinds("[*x, &\u00e9 y]"),
              "StreamStart FlowSequenceStart Alias 'x' FlowEntry Anchor '\u00e9' Scalar P'y' "
              "FlowSequenceEnd StreamEnd");
    EXPECT_EQ(kinds("&a k: *a\n"),
              "StreamStart BlockMappingStart Key Anchor 'a' Scalar P'k' Value Alias 'a' BlockEnd "
              "StreamEnd");
}

TEST(ScannerProperties, TagForms) {
    EXPECT_EQ(kinds("! a"), "StreamStart Tag '' '!' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("!local a"), "StreamStart Tag '!' 'local' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("!!str a"), "StreamStart Tag '!!' 'str' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("!e!name a"), "StreamStart Tag '!e!' 'name' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("!<urn:x:t> a"), "StreamStart Tag '' 'urn:x:t' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("!e!a%20b a"), "StreamStart Tag '!e!' 'a b' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("!<> a"), "StreamStart Tag '' '' Scalar P'a' StreamEnd");
    EXPECT_EQ(kinds("[!!str, x]"),
              "StreamStart FlowSequenceStart Tag '!!' 'str' FlowEntry Scalar P'x' "
              "FlowSequenceEnd StreamEnd");
    EXPECT_EQ(scan("- !!map\n  a: b\n")[2], "BlockEntry@1:2");
}

}  // namespace
