// Every failure message of the scanner with the position it reports.
#include <gtest/gtest.h>

#include <string>

#include "scanner/scanner.h"

namespace {

using namespace plovarn::scanner;

// "message@line:col" of the first failure, or "no error".
std::string first_error(std::string_view text) {
    Scanner s(text);
    for (;;) {
        auto t = s.next_token();
        if (!t)
            return t.error().info + "@" + std::to_string(t.error().mark.line) + ":" +
                   std::to_string(t.error().mark.col);
        if (t->type == TokenType::StreamEnd) return "no error";
    }
}

TEST(ScannerErrors, DisplayForm) {
    auto e = ScanError::make(Marker{12, 3, 2}, "invalid indentation");
    EXPECT_EQ(e.display(), "invalid indentation at byte 12 line 3 column 3");
}

TEST(ScannerErrors, Core) {
    EXPECT_EQ(first_error("a: 1\n*b ]"), "simple key expected@2:3");
    EXPECT_EQ(first_error("a: 1\n*b"), "simple key expected@3:0");
    EXPECT_EQ(first_error("a: 1\nb c\nd: 2\n"), "simple key expect ':'@3:0");
    EXPECT_EQ(first_error("a: 1\n b: 2"), "mapping values are not allowed in this context@2:2");
    EXPECT_EQ(first_error("... x"), "invalid content after document end marker@1:4");
    EXPECT_EQ(first_error("a: b\n@foo"), "unexpected character: `@'@2:0");
    EXPECT_EQ(first_error("`x"), "unexpected character: ``'@1:0");
    EXPECT_EQ(first_error("a: %x"), "unexpected character: `%'@1:3");
    EXPECT_EQ(first_error("- a\n-\n\t- b"),
              "tabs disallowed within this context (block indentation)@3:1");
    EXPECT_EQ(first_error("[1, 2]#x"),
              "comments must be separated from other tokens by whitespace@1:6");
    EXPECT_EQ(first_error("'a'#x"), "comments must be separated from other tokens by whitespace@1:3");
    EXPECT_EQ(first_error("|#x\n"), "comments must be separated from other tokens by whitespace@1:1");
}

TEST(ScannerErrors, PlainScalars) {
    EXPECT_EQ(first_error("a: [b,\nc]"), "invalid indentation in flow construct@2:0");
    EXPECT_EQ(first_error("a: [\nb]"), "invalid indentation in flow construct@2:0");
    EXPECT_EQ(first_error("a: [b\nc]"), "invalid indentation in flow construct@2:0");
    EXPECT_EQ(first_error("a: [b\n, c]"), "invalid indentation in flow construct@2:0");
    EXPECT_EQ(first_error("a: [b,\n\tc]"), "tabs disallowed within this context (block indentation)@2:1");
    EXPECT_EQ(first_error("a: [\n\tc]"), "tabs disallowed within this context (block indentation)@2:1");
    EXPECT_EQ(first_error("a: [\n \tc]"), "no error");
    EXPECT_EQ(first_error("a:\n  b: [\n  ]\n  c: [\n ]"), "invalid indentation in flow construct@5:1");
    EXPECT_EQ(first_error("[-]"), "plain scalar cannot start with '-' followed by ,[]{}@1:1");
    EXPECT_EQ(first_error("[a, -,]"), "plain scalar cannot start with '-' followed by ,[]{}@1:4");
    EXPECT_EQ(first_error("[a -, b -]"), "no error");  // a later word may start with `-`
    EXPECT_EQ(first_error("a:\n  b\n\tc"), "while scanning a plain scalar, found a tab@2:2");
}

TEST(ScannerErrors, QuotedScalars) {
    EXPECT_EQ(first_error("x: \"abc"), "while scanning a quoted scalar, found unexpected end of stream@1:3");
    EXPECT_EQ(first_error("'a\n---\n'"),
              "while scanning a quoted scalar, found unexpected document indicator@1:0");
    EXPECT_EQ(first_error("'a\n...\n'"),
              "while scanning a quoted scalar, found unexpected document indicator@1:0");
    EXPECT_EQ(first_error("a:\n  b: \"x\ny\""), "invalid indentation in quoted scalar@2:5");
    EXPECT_EQ(first_error("a:\n  b: \"x\n \ty\""), "tab cannot be used as indentation@3:1");
    EXPECT_EQ(first_error(R"(x: "a\'")"),
              "while parsing a quoted scalar, found unknown escape character@1:3");
    EXPECT_EQ(first_error(R"("\q")"), "while parsing a quoted scalar, found unknown escape character@1:0");
    EXPECT_EQ(first_error(R"("\xZZ")"),
              "while parsing a quoted scalar, did not find expected hexadecimal number@1:0");
    EXPECT_EQ(first_error(R"("\u12")"),
              "while parsing a quoted scalar, did not find expected hexadecimal number@1:0");
    EXPECT_EQ(first_error(R"("\uD800")"),
              "while parsing a quoted scalar, found invalid Unicode character escape code@1:0");
    EXPECT_EQ(first_error(R"("\U00110000")"),
              "while parsing a quoted scalar, found invalid Unicode character escape code@1:0");
    // A surrogate that is not the first half of a pair, or not followed by the second half.
    for (const char* unpaired : {R"("\uDC00\uD800")", R"("\uD800\u0041")", R"("\uD800\\uDC00")",
                                 R"("\uD800\uD800\uDC00")", R"("\uD800\UDC00")", R"("\uD800\xDC")"})
        EXPECT_EQ(first_error(unpaired),
                  "while parsing a quoted scalar, found invalid Unicode character escape code@1:0")
            << unpaired;
    EXPECT_EQ(first_error("\"x\"y"), "invalid trailing content after double-quoted scalar@1:3");
    EXPECT_EQ(first_error("'x' y"), "invalid trailing content after double-quoted scalar@1:4");
    EXPECT_EQ(first_error("\"a\nb\": c"), "invalid trailing content after double-quoted scalar@2:2");
}

TEST(ScannerErrors, BlockScalars) {
    EXPECT_EQ(first_error("a: |0"),
              "while scanning a block scalar, found an indentation indicator equal to 0@1:3");
    EXPECT_EQ(first_error("|-0"),
              "while scanning a block scalar, found an indentation indicator equal to 0@1:0");
    EXPECT_EQ(first_error("|22"),
              "while scanning a block scalar, did not find expected comment or line break@1:0");
    EXPECT_EQ(first_error("> x"),
              "while scanning a block scalar, did not find expected comment or line break@1:0");
    EXPECT_EQ(first_error("|\n\tx"), "a block scalar content cannot start with a tab@1:0");
    EXPECT_EQ(first_error("a:\n  b: |\n      \n    y"), "wrongly indented line in block scalar@4:4");
}

TEST(ScannerErrors, Directives) {
    EXPECT_EQ(first_error("%"), "while scanning a directive, could not find expected directive name@1:1");
    EXPECT_EQ(first_error("% YAML"),
              "while scanning a directive, could not find expected directive name@1:1");
    EXPECT_EQ(first_error("%YAML:1.2"),
              "while scanning a directive, found unexpected non-alphabetical character@1:1");
    EXPECT_EQ(first_error("%YAML x"),
              "while scanning a YAML directive, did not find expected version number@1:0");
    EXPECT_EQ(first_error("%YAML 1.0123456789"),
              "while scanning a YAML directive, found extremely long version number@1:0");
    EXPECT_EQ(first_error("%YAML 1.012345678\n---"), "no error");
    EXPECT_EQ(first_error("%YAML 1"),
              "while scanning a YAML directive, did not find expected digit or '.' character@1:0");
    EXPECT_EQ(first_error("%YAML 1.2.3"),
              "while scanning a directive, did not find expected comment or line break@1:0");
    EXPECT_EQ(first_error("%TAG x y"), "while scanning a tag, did not find expected '!'@1:0");
    EXPECT_EQ(first_error("%TAG !e urn:x"),
              "while parsing a tag directive, did not find expected '!'@1:0");
    EXPECT_EQ(first_error("%TAG ! ,x"), "invalid global tag character@1:0");
    EXPECT_EQ(first_error("%TAG ! "), "invalid global tag character@1:0");
    EXPECT_EQ(first_error("%TAG ! urn:x\"y"),
              "while scanning TAG, did not find expected whitespace or line break@1:0");
    EXPECT_EQ(first_error("%TAG ! urn:x y"),
              "while scanning a directive, did not find expected comment or line break@1:0");
}

TEST(ScannerErrors, UriEscapes) {
    EXPECT_EQ(first_error("%TAG !e! %4"), "while parsing a tag, did not find URI escaped octet@1:0");
    EXPECT_EQ(first_error("%TAG !e! %FFx"),
              "while parsing a tag, found an incorrect leading UTF-8 octet@1:0");
    EXPECT_EQ(first_error("%TAG !e! %C3x"), "while parsing a tag, did not find URI escaped octet@1:0");
    EXPECT_EQ(first_error("%TAG !e! %C3%41"),
              "while parsing a tag, found an incorrect trailing UTF-8 octet@1:0");
    EXPECT_EQ(first_error("%TAG !e! %ED%A0%80"),
              "while parsing a tag, found an invalid UTF-8 codepoint@1:0");
    EXPECT_EQ(first_error("%TAG !e! %F4%90%80%80"),
              "while parsing a tag, found an invalid UTF-8 codepoint@1:0");
    EXPECT_EQ(first_error("a: !e!x%zz"), "while parsing a tag, did not find URI escaped octet@1:3");
}

TEST(ScannerErrors, TagsAnchorsAliases) {
    EXPECT_EQ(first_error("a: !! x"), "while parsing a tag, did not find expected tag URI@1:3");
    EXPECT_EQ(first_error("!e! x"), "while parsing a tag, did not find expected tag URI@1:0");
    EXPECT_EQ(first_error("!<abc"), "while scanning a verbatim tag, did not find the expected '>'@1:0");
    EXPECT_EQ(first_error("!!str,x"),
              "while scanning a tag, did not find expected whitespace or line break@1:0");
    EXPECT_EQ(first_error("!a{ x"),
              "while scanning a tag, did not find expected whitespace or line break@1:0");
    EXPECT_EQ(first_error("& x"),
              "while scanning an anchor or alias, did not find expected alphabetic or numeric character@1:0");
    EXPECT_EQ(first_error("[*]"),
              "while scanning an anchor or alias, did not find expected alphabetic or numeric character@1:1");
}

TEST(ScannerErrors, StructureTokens) {
    EXPECT_EQ(first_error("[\n- a]"), "\"-\" is only valid inside a block@2:0");
    EXPECT_EQ(first_error("a: - b"), "block sequence entries are not allowed in this context@1:3");
    EXPECT_EQ(first_error("-\t- x"), "'-' must be followed by a valid YAML whitespace@1:2");
    EXPECT_EQ(first_error("a: ? b"), "mapping keys are not allowed in this context@1:3");
    EXPECT_EQ(first_error("?\tx"), "expected whitespace@1:1");
    EXPECT_EQ(first_error("?"), "expected whitespace@1:1");
    EXPECT_EQ(first_error("? \tx"), "tabs disallowed in this context@1:2");
    EXPECT_EQ(first_error("a:\tb"), "':' must be followed by a valid YAML whitespace@1:3");
    EXPECT_EQ(first_error("a:\t-"), "':' must be followed by a valid YAML whitespace@1:3");
    EXPECT_EQ(first_error("a:\t \tb"), "no error");
    EXPECT_EQ(first_error("[a\n: b]"), "illegal placement of ':' indicator@2:0");
    EXPECT_EQ(first_error("a: b: c"), "mapping values are not allowed in this context@1:4");
}

// Text that cannot be YAML is reported where it stands; the scanner never
// treats it as the end of the input.
TEST(ScannerErrors, FaultyInput) {
    using namespace std::string_literals;
    EXPECT_EQ(first_error("a: 1\nb: \xFF\n"), "found invalid UTF-8 in the input@2:3");
    EXPECT_EQ(first_error("a: x\xC3"), "found invalid UTF-8 in the input@1:4");
    EXPECT_EQ(first_error("\xC0\x80"), "found invalid UTF-8 in the input@1:0");
    EXPECT_EQ(first_error("\xED\xA0\x80"), "found invalid UTF-8 in the input@1:0");
    EXPECT_EQ(first_error("\xF4\x90\x80\x80"), "found invalid UTF-8 in the input@1:0");
    EXPECT_EQ(first_error("\xE2\x82"), "found invalid UTF-8 in the input@1:0");
    const std::string nul_in_plain = "a: 1\x00\nb: 2\n"s;
    EXPECT_EQ(first_error(nul_in_plain), "found a NUL character (U+0000), which YAML text may not hold@1:4");
    EXPECT_EQ(first_error("a: \"x\x00y\"\n"s),
              "found a NUL character (U+0000), which YAML text may not hold@1:5");
    EXPECT_EQ(first_error("# c\x00\n"s), "found a NUL character (U+0000), which YAML text may not hold@1:3");
    EXPECT_EQ(first_error("a: |\n  x\x00\n"s),
              "found a NUL character (U+0000), which YAML text may not hold@2:3");
    // The escape \0 is content, not a fault.
    EXPECT_EQ(first_error(R"("\0")"), "no error");
}

}  // namespace
