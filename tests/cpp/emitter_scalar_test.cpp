#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "emitter/emitter.h"
#include "emitter/scalar_text.h"

namespace {

using plovarn::emitter::emit_string;
using plovarn::emitter::Position;
using plovarn::types::ScalarValue;

std::string scalar(const ScalarValue& v) {
    std::string out;
    plovarn::emitter::append_scalar(out, v);
    return out;
}
std::string flt(double d) { return scalar(ScalarValue::make_float(d)); }

TEST(ScalarText, NullBoolInt) {
    EXPECT_EQ(scalar(ScalarValue::make_null()), "null");
    EXPECT_EQ(scalar(ScalarValue::make_bool(true)), "true");
    EXPECT_EQ(scalar(ScalarValue::make_bool(false)), "false");
    EXPECT_EQ(scalar(ScalarValue::make_int(-42)), "-42");
    EXPECT_EQ(scalar(ScalarValue::make_int(0)), "0");
    EXPECT_EQ(scalar(ScalarValue::make_int(std::numeric_limits<std::int64_t>::min())), "-9223372036854775808");
    EXPECT_EQ(scalar(ScalarValue::make_int(std::numeric_limits<std::int64_t>::max())), "9223372036854775807");
}

TEST(ScalarText, FloatsArePositionalShortestRoundTrip) {
    EXPECT_EQ(flt(0.1), "0.1");
    EXPECT_EQ(flt(2.5), "2.5");
    EXPECT_EQ(flt(-1.5), "-1.5");
    EXPECT_EQ(flt(3.0), "3.0");
    EXPECT_EQ(flt(1.0), "1.0");
    EXPECT_EQ(flt(-0.0), "-0.0");
    EXPECT_EQ(flt(1e20), "100000000000000000000.0");
    EXPECT_EQ(flt(1e-7), "0.0000001");
    EXPECT_EQ(flt(1e300), "1" + std::string(300, '0') + ".0");
    EXPECT_EQ(flt(std::numeric_limits<double>::max()), "17976931348623157" + std::string(292, '0') + ".0");
    const std::string tiny = flt(std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(tiny, "0." + std::string(323, '0') + "5");
    EXPECT_EQ(flt(std::numeric_limits<double>::infinity()), ".inf");
    EXPECT_EQ(flt(-std::numeric_limits<double>::infinity()), "-.inf");
    EXPECT_EQ(flt(std::numeric_limits<double>::quiet_NaN()), ".nan");
    EXPECT_EQ(flt(-std::numeric_limits<double>::quiet_NaN()), ".nan");
}

TEST(ScalarText, FloatsReadBackExactly) {
    for (double d : {0.1, 1.0 / 3, 123456.789, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, -9.5e15,
                     4503599627370497.0}) {
        const std::string text = flt(d);
        const ScalarValue back = ScalarValue::from_str(text);
        ASSERT_TRUE(back.is_float()) << text;
        EXPECT_EQ(back.as_float(), d) << text;
    }
}

TEST(EmitString, PlainWhereItReadsBack) {
    for (const char* s : {"hello", "hello world", "a#b", "a:b", "key-name", "it's", "x-", "caf\xC3\xA9",
                          "\xE2\x80\x9Cq\xE2\x80\x9D", "inf", "nan", "Infinity", "yy", "tRUE", "nULL", "1.2.3",
                          "v1.2", "+", "~~", "0x", "12:60", "0:30", "2024-01", "x.inf", ".x", ":x", "a'"})
        EXPECT_EQ(emit_string(s), s) << s;
}

// Strings that this reader keeps strings but YAML 1.1 or YAML 1.2 core readers
// would not: booleans of one letter, numbers with underscores, base 2 and 60,
// big integers, timestamps, +.inf.
TEST(EmitString, QuotedWhereOtherReadersDiffer) {
    for (const char* s : {"y", "n", "Y", "N", "0b101", "1_000", "9223372036854775808", "+.inf", "12:30",
                          "190:20:30.15", "2024-01-01", "2001-12-14t21:59:43.10-05:00", "2001-12-14 21:59:43.10 -5",
                          "0B11", "-_1"})
        EXPECT_EQ(emit_string(s), "'" + std::string(s) + "'") << s;
}

TEST(EmitString, QuotedWhenResolutionDiffers) {
    for (const char* s : {"true", "yes", "null", "Null", "~", "123", "0x1F", "0o17", "1.5", ".inf", "-.inf", ".nan",
                          "-0", "+5", "1e3", "007", "-9223372036854775808", "ON", "off"})
        EXPECT_EQ(emit_string(s), "'" + std::string(s) + "'") << s;
}

TEST(EmitString, QuotedForIndicatorFirstCharacters) {
    for (const char* s : {"- x", "#x", "*a", "&a", "!t", "[a", "]a", "{a", "}a", "|", ">", "@x", "`x", "%x", "?x",
                          "=x", "<x", ",x", "-", "?"})
        EXPECT_EQ(emit_string(s), "'" + std::string(s) + "'") << s;
}

TEST(EmitString, QuotedForCharacterPairs) {
    EXPECT_EQ(emit_string("a: b"), "'a: b'");
    EXPECT_EQ(emit_string("a #b"), "'a #b'");
    EXPECT_EQ(emit_string("key:"), "'key:'");
    EXPECT_EQ(emit_string(":"), "':'");
    // Tabs count as blanks for the reader as much as spaces do.
    EXPECT_EQ(emit_string("a:\tb"), "'a:\tb'");
    EXPECT_EQ(emit_string("a\t#b"), "'a\t#b'");
    // A tab anywhere: YAML 1.1 readers end a plain scalar there.
    EXPECT_EQ(emit_string("a\tb"), "'a\tb'");
}

TEST(EmitString, QuotedForLeadingOrTrailingBlanksAndQuotes) {
    EXPECT_EQ(emit_string(" a"), "' a'");
    EXPECT_EQ(emit_string("a "), "'a '");
    EXPECT_EQ(emit_string("\ta"), "'\ta'");
    EXPECT_EQ(emit_string("a\t"), "'a\t'");
    EXPECT_EQ(emit_string(" "), "' '");
    EXPECT_EQ(emit_string("\"q\""), "'\"q\"'");
    EXPECT_EQ(emit_string("'q'"), "'''q'''");
    EXPECT_EQ(emit_string("it's"), "it's");
    EXPECT_EQ(emit_string("'it's"), "'''it''s'");
}

TEST(EmitString, EmptyIsTwoQuotes) { EXPECT_EQ(emit_string(""), "''"); }

TEST(EmitString, DocumentEndMarkerOnlyAtLineStart) {
    EXPECT_EQ(emit_string("...", Position::LineStart), "'...'");
    EXPECT_EQ(emit_string("... x", Position::LineStart), "'... x'");
    EXPECT_EQ(emit_string("...x", Position::LineStart), "...x");
    EXPECT_EQ(emit_string("....", Position::LineStart), "....");
    EXPECT_EQ(emit_string("..."), "...");
    EXPECT_EQ(emit_string("... x"), "... x");
}

TEST(EmitString, ByteOrderMarkQuotedOnlyAtLineStart) {
    EXPECT_EQ(emit_string("\xEF\xBB\xBF" "a", Position::LineStart), "'\xEF\xBB\xBF" "a'");
    EXPECT_EQ(emit_string("\xEF\xBB\xBF", Position::LineStart), "'\xEF\xBB\xBF'");
    EXPECT_EQ(emit_string("a\xEF\xBB\xBF", Position::LineStart), "a\xEF\xBB\xBF");
    EXPECT_EQ(emit_string("\xEF\xBB\xBF" "a"), "\xEF\xBB\xBF" "a");
}

TEST(EmitString, LineBreaksAndNulAreEscapedInDoubleQuotes) {
    EXPECT_EQ(emit_string("a\nb"), "\"a\\nb\"");
    EXPECT_EQ(emit_string("a\r\nb"), "\"a\\r\\nb\"");
    EXPECT_EQ(emit_string(std::string_view("a\0b", 3)), "\"a\\0b\"");
    EXPECT_EQ(emit_string("line\n"), "\"line\\n\"");
    // Once double-quoted, every other control, the backslash and the quote are escaped too.
    EXPECT_EQ(emit_string("\"x\"\\\t\x01\x1f\n"), "\"\\\"x\\\"\\\\\\t\\x01\\x1F\\n\"");
    // A line break outranks every other reason to quote.
    EXPECT_EQ(emit_string("true\n"), "\"true\\n\"");
    EXPECT_EQ(emit_string("- a\n"), "\"- a\\n\"");
    // Non-ASCII text is copied as it stands.
    EXPECT_EQ(emit_string("\xC3\xA9\n"), "\"\xC3\xA9\\n\"");
}

// No reader accepts them raw: they are escaped in double quotes.
TEST(EmitString, OtherControlsAreEscaped) {
    EXPECT_EQ(emit_string("a\x01" "b"), "\"a\\x01b\"");
    EXPECT_EQ(emit_string("\x7F"), "\"\\x7F\"");
    EXPECT_EQ(emit_string("\xC2\x80\xC2\x9F"), "\"\\x80\\x9F\"");
    EXPECT_EQ(emit_string("\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD"), "\"\\uFFFE\\uFFFF\xEF\xBF\xBD\"");
    EXPECT_EQ(emit_string("\xC2\x85\xE2\x80\xA8\xE2\x80\xA9"), "\"\\N\\L\\P\"");
}

TEST(EmitString, WrittenCharCountMatchesOutput) {
    using plovarn::emitter::char_count;
    using plovarn::emitter::written_char_count;
    for (std::string_view s : {"", "plain", "it's 'x'", "a\nb\x01\"\\", "caf\xC3\xA9: x", "\xC3\xA9\n", "\x7F\xC2\x80\xC2\x85\xEF\xBF\xBF"})
        EXPECT_EQ(written_char_count(s, plovarn::emitter::string_form(s)), char_count(emit_string(s))) << s;
}

// The resolver is skipped for texts that cannot resolve to a non-string; check
// that shortcut against the resolver over every short text of a small alphabet.
TEST(EmitString, ResolverShortcutMissesNothing) {
    const std::string alphabet = "0x1.eE+-~oOnNyYtTfFaAlLsSuUrRiI_ ";
    std::string s;
    std::size_t checked = 0;
    auto check = [&](auto&& self, std::size_t len) -> void {
        if (len == 0) {
            const bool quoted = emit_string(s) != s;
            const bool non_string = !ScalarValue::from_str(s).is_str();
            if (non_string) {
                EXPECT_TRUE(quoted) << s;
            }
            ++checked;
            return;
        }
        for (char c : alphabet) {
            s.push_back(c);
            self(self, len - 1);
            s.pop_back();
        }
    };
    for (std::size_t len = 1; len <= 4; ++len) check(check, len);
    for (const char* w : {"false", "FALSE", "False", "-.inf", "-.INF", "0x7fffffffffffffff", "1e400", "-2.5e-3"})
        EXPECT_NE(emit_string(w), w) << w;
    EXPECT_GT(checked, 1000u);
}

}  // namespace
