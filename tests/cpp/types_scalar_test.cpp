// Resolution of plain scalar text.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "types/scalar_value.h"

using plovarn::types::ScalarValue;
using Kind = ScalarValue::Kind;

namespace {

void expect_kind(const char* text, Kind kind) {
    EXPECT_EQ(ScalarValue::from_str(text).kind(), kind) << "text: '" << text << "'";
}
void expect_int(const char* text, std::int64_t v) {
    auto s = ScalarValue::from_str(text);
    ASSERT_TRUE(s.is_int()) << text;
    EXPECT_EQ(s.as_int(), v) << text;
}
void expect_float(const char* text, double v) {
    auto s = ScalarValue::from_str(text);
    ASSERT_TRUE(s.is_float()) << text;
    EXPECT_EQ(s.as_float(), v) << text;
}

}  // namespace

TEST(ScalarResolution, NullSpellings) {
    for (const char* t : {"", "~", "null", "Null", "NULL"}) expect_kind(t, Kind::Null);
    for (const char* t : {"~~", "nULL", "nul"}) expect_kind(t, Kind::Str);
}

TEST(ScalarResolution, BooleanSpellings) {
    for (const char* t : {"yes", "On", "TRUE", "on", "Yes", "true"}) {
        auto s = ScalarValue::from_str(t);
        ASSERT_TRUE(s.is_bool()) << t;
        EXPECT_TRUE(s.as_bool()) << t;
    }
    for (const char* t : {"no", "OFF", "False", "NO", "off", "false"}) {
        auto s = ScalarValue::from_str(t);
        ASSERT_TRUE(s.is_bool()) << t;
        EXPECT_FALSE(s.as_bool()) << t;
    }
    for (const char* t : {"y", "n", "tRUE", "oN", "yES"}) expect_kind(t, Kind::Str);
}

TEST(ScalarResolution, Integers) {
    expect_int("0x1F", 31);
    expect_int("0X1f", 31);
    expect_int("0o17", 15);
    expect_int("0x-1", -1);
    expect_int("017", 17);
    expect_int("007", 7);
    expect_int("+5", 5);
    expect_int("-0", 0);
    expect_int("7", 7);
    expect_int("9223372036854775807", std::numeric_limits<std::int64_t>::max());
    expect_int("-9223372036854775808", std::numeric_limits<std::int64_t>::min());
    expect_int("0x7fffffffffffffff", std::numeric_limits<std::int64_t>::max());
    for (const char* t : {"0x", "0o", "0b101", "+", "-", "1_000", "9223372036854775808", "0x8000000000000000",
                          "--1", "1 ", " 1", "0o8"})
        expect_kind(t, Kind::Str);
}

TEST(ScalarResolution, Floats) {
    expect_float("1.5", 1.5);
    expect_float("1.", 1.0);
    expect_float(".5", 0.5);
    expect_float("1e3", 1000.0);
    expect_float("1E3", 1000.0);
    expect_float("-2.5e-3", -2.5e-3);
    expect_float("1e10", 1e10);
    expect_float("+1.5", 1.5);
    expect_float("1e400", std::numeric_limits<double>::infinity());
    expect_float("-1e400", -std::numeric_limits<double>::infinity());
    expect_float("1e-400", 0.0);
    expect_float("0.1", 0.1);
    expect_float(".inf", std::numeric_limits<double>::infinity());
    expect_float(".Inf", std::numeric_limits<double>::infinity());
    expect_float("-.INF", -std::numeric_limits<double>::infinity());
    auto nan = ScalarValue::from_str(".nan");
    ASSERT_TRUE(nan.is_float());
    double v = nan.as_float();
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    EXPECT_EQ(bits, 0x7FF8000000000000ULL);
    for (const char* t : {"+.inf", "inf", "-inf", "Infinity", "nan", "NaN", ".", "1e", "e3", "1.2.3", "1e+",
                          "0x1.8", "1.5 ", "١.٥"})
        expect_kind(t, Kind::Str);
}

TEST(ScalarResolution, OtherTextIsKeptWhole) {
    auto s = ScalarValue::from_str("hello world");
    ASSERT_TRUE(s.is_str());
    EXPECT_EQ(s.as_str(), "hello world");
    expect_kind("a", Kind::Str);
}
