// The scanner's fast paths: word-at-a-time runs, runs that start with
// characters already in the lookahead, comments kept as views into the input,
// and tokens read in place through peek_token.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/parse_str.h"
#include "parser/parser.h"
#include "scanner/scanner.h"

namespace {

using namespace plovarn;
using scanner::Scanner;
using scanner::TokenType;

// Texts of the tokens of one kind, read with next_token.
std::vector<std::string> texts_of(std::string_view yaml, TokenType kind) {
    Scanner s(yaml);
    std::vector<std::string> out;
    for (;;) {
        auto t = s.next_token();
        if (!t) {
            out.push_back("ERROR " + t.error().info);
            return out;
        }
        if (t->type == kind) out.push_back(t->text);
        if (t->type == TokenType::StreamEnd) return out;
    }
}

// Every comment the parser pulled past, as "line:col text".
std::vector<std::string> parser_comments(std::string_view yaml) {
    parser::Parser p(yaml);
    std::vector<std::string> out;
    for (;;) {
        auto e = p.next_event();
        if (!e) {
            out.push_back("ERROR " + e.error().info);
            break;
        }
        if (std::holds_alternative<parser::event::StreamEnd>(e->event)) break;
    }
    for (const auto& c : p.comments())
        out.push_back(std::to_string(c.mark.line) + ":" + std::to_string(c.mark.col) + " " + std::string(c.text));
    return out;
}

TEST(ScannerFastPaths, CommentsAroundEveryWordBoundary) {
    // Lengths across several 8-byte words, with the stop at each offset.
    for (std::size_t n = 0; n < 20; ++n) {
        const std::string body(n, 'x');
        EXPECT_EQ(texts_of("# " + body + "\n", TokenType::Comment), std::vector<std::string>{body});
        EXPECT_EQ(texts_of("a: b # " + body + "\r\nc: d\n", TokenType::Comment), std::vector<std::string>{body});
        EXPECT_EQ(texts_of("#" + body, TokenType::Comment), std::vector<std::string>{body});
    }
}

TEST(ScannerFastPaths, CommentsWithTabsControlsAndNonAsciiKeepEveryByte) {
    EXPECT_EQ(texts_of("# a\tb\x7f" "c\n", TokenType::Comment), std::vector<std::string>{"a\tb\x7f" "c"});
    EXPECT_EQ(texts_of("#é ü€𝄞 x\n", TokenType::Comment), std::vector<std::string>{"é ü€𝄞 x"});
    EXPECT_EQ(texts_of("k: 'é' # ∂€ end\n# 2\n", TokenType::Comment), (std::vector<std::string>{"∂€ end", "2"}));
    // Faulty input inside a comment is reported, not cut off silently.
    EXPECT_EQ(texts_of(std::string("# ab\xff" "cd\n"), TokenType::Comment),
              (std::vector<std::string>{"ERROR found invalid UTF-8 in the input"}));
    EXPECT_EQ(texts_of(std::string("# é\0x", 6), TokenType::Comment),
              (std::vector<std::string>{"ERROR found a NUL character (U+0000), which YAML text may not hold"}));
}

TEST(ScannerFastPaths, ParserSeesTheSameCommentTextsAsViews) {
    EXPECT_EQ(parser_comments("# top é\na: 1 # one\n# between\r\nb: [x, # in flow\n  y]\n"),
              (std::vector<std::string>{"1:0 top é", "2:5 one", "3:0 between", "4:7 in flow"}));
    // Comments queued while an implicit key is still open, and after a quoted scalar.
    EXPECT_EQ(parser_comments("- 'q' # c\n  # d\n- x # e\n"),
              (std::vector<std::string>{"1:6 c", "2:2 d", "3:4 e"}));
}

TEST(ScannerFastPaths, PlainAndQuotedWordsThatStartInTheLookahead) {
    EXPECT_EQ(texts_of("abcdefghijklmnopqrstuvwxyz: a:b:c d#e\n", TokenType::Scalar),
              (std::vector<std::string>{"abcdefghijklmnopqrstuvwxyz", "a:b:c d#e"}));
    EXPECT_EQ(texts_of("[abcdefghij, k[l, {m: n}]\n", TokenType::Scalar),
              (std::vector<std::string>{"abcdefghij", "k", "l", "m", "n"}));
    EXPECT_EQ(texts_of("- 'it''s a long single quoted text'\n- \"a \\\" b\\tc é long double\"\n", TokenType::Scalar),
              (std::vector<std::string>{"it's a long single quoted text", "a \" b\tc é long double"}));
    EXPECT_EQ(texts_of("k: very long plain words é here\n  and more words on the next line\n", TokenType::Scalar),
              (std::vector<std::string>{"k", "very long plain words é here and more words on the next line"}));
}

TEST(ScannerFastPaths, ManyQueuedTokensAndCommentsInOneDocument) {
    // Long comment blocks while a key is undecided, and many insertions of keys.
    std::string yaml;
    for (int i = 0; i < 300; ++i) {
        yaml += "k" + std::to_string(i) + ": v # c" + std::to_string(i) + "\n";
        for (int j = 0; j < i % 5; ++j) yaml += "# block " + std::to_string(j) + "\n";
    }
    auto docs = builder::parse_str(yaml);
    ASSERT_TRUE(docs) << docs.error();
    ASSERT_EQ(docs->size(), 1u);
    const auto& map = (*docs)[0].as_mapping();
    ASSERT_EQ(map.size(), 300u);
    for (int i = 0; i < 300; ++i) {
        const auto& [key, entry] = map.at(static_cast<std::size_t>(i));
        EXPECT_EQ(key, "k" + std::to_string(i));
        EXPECT_EQ(entry.comment_inline, std::string_view("c" + std::to_string(i)));
        // The block under entry i-1 stands above entry i.
        const int lines = i > 0 ? (i - 1) % 5 : 0;
        std::string before;
        for (int j = 0; j < lines; ++j) before += (j ? "\n" : "") + std::string("block ") + std::to_string(j);
        if (lines > 0)
            EXPECT_EQ(entry.comment_before, std::string_view(before)) << i;
        else
            EXPECT_FALSE(entry.comment_before.has_value()) << i;
    }
}

}  // namespace
