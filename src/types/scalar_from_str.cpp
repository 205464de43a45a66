// Resolution of plain scalar text into null, boolean, integer, float or string.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "types/scalar_value.h"

namespace plovarn::types {
namespace {

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Optional single sign, then one or more digits of `base`; out of the signed
// 64-bit range is a failure, never a wrap.
std::optional<std::int64_t> parse_int(std::string_view s, int base) {
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t acc = 0;
    for (char c : s) {
        int d = digit_value(c);
        if (d >= base) return std::nullopt;
        if (acc > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) return std::nullopt;
        acc = acc * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    if (negative) return acc == (std::uint64_t{1} << 63) ? std::numeric_limits<std::int64_t>::min()
                                                          : -static_cast<std::int64_t>(acc);
    return static_cast<std::int64_t>(acc);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Decimal float syntax: sign, digits with an optional point (a digit on at least
// one side), optional exponent. Returns the double nearest to it; magnitudes out
// of range become infinity or zero.
std::optional<double> parse_decimal_float(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const std::size_t mantissa_start = i;
    std::size_t int_digits = 0, frac_digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++int_digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) ++i, ++frac_digits;
    }
    if (int_digits + frac_digits == 0) return std::nullopt;
    const std::size_t mantissa_end = i;
    std::int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool exp_negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) exp_negative = s[i++] == '-';
        if (i == s.size() || !is_digit(s[i])) return std::nullopt;
        while (i < s.size() && is_digit(s[i])) {
            if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (exp_negative) exponent = -exponent;
    }
    if (i != s.size()) return std::nullopt;

    double value = 0;
    const char* first = s.data() + mantissa_start;
    auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Decide overflow or underflow from the decimal exponent of the first
        // significant digit.
        std::int64_t position = static_cast<std::int64_t>(int_digits);
        bool found = false;
        for (std::size_t k = mantissa_start; k < mantissa_end; ++k) {
            if (s[k] == '.') continue;
            if (s[k] != '0') {
                found = true;
                break;
            }
            --position;
        }
        value = found && position + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool is_one_of(std::string_view s, std::string_view a, std::string_view b, std::string_view c) {
    return s == a || s == b || s == c;
}

std::optional<ScalarValue> match_word(std::string_view s) {
    switch (s.size()) {
        case 2:
            if (is_one_of(s, "on", "On", "ON")) return ScalarValue::make_bool(true);
            if (is_one_of(s, "no", "No", "NO")) return ScalarValue::make_bool(false);
            break;
        case 3:
            if (is_one_of(s, "yes", "Yes", "YES")) return ScalarValue::make_bool(true);
            if (is_one_of(s, "off", "Off", "OFF")) return ScalarValue::make_bool(false);
            break;
        case 4:
            if (is_one_of(s, "null", "Null", "NULL")) return ScalarValue::make_null();
            if (is_one_of(s, "true", "True", "TRUE")) return ScalarValue::make_bool(true);
            break;
        case 5:
            if (is_one_of(s, "false", "False", "FALSE")) return ScalarValue::make_bool(false);
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace

ScalarValue ScalarValue::from_str(std::string_view text) {
    if (text.empty()) return make_null();
    // Every null, boolean and number starts with one of these.
    switch (text[0]) {
        case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        case '+': case '-': case '.': case '~': case 'n': case 'N': case 'y': case 'Y': case 't': case 'T':
        case 'f': case 'F': case 'o': case 'O':
            break;
        default:
            return make_str(text);
    }
    if (text.size() == 1) {
        if (text[0] == '~') return make_null();
        if (is_digit(text[0])) return make_int(text[0] - '0');
        return make_str(text);
    }
    if (text.size() <= 5) {
        if (auto word = match_word(text)) return std::move(*word);
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (auto v = parse_int(text.substr(2), 16)) return make_int(*v);
    } else if (text[0] == '0' && (text[1] == 'o' || text[1] == 'O')) {
        if (auto v = parse_int(text.substr(2), 8)) return make_int(*v);
    }
    if (auto v = parse_int(text, 10)) return make_int(*v);
    if (text.size() == 4 && is_one_of(text, ".inf", ".Inf", ".INF"))
        return make_float(std::numeric_limits<double>::infinity());
    if (text.size() == 5 && is_one_of(text, "-.inf", "-.Inf", "-.INF"))
        return make_float(-std::numeric_limits<double>::infinity());
    if (text.size() == 4 && is_one_of(text, ".nan", ".NaN", ".NAN"))
        return make_float(std::numeric_limits<double>::quiet_NaN());
    // Words such as inf and nan carry no '.', 'e' or 'E' and stay strings, so
    // only the decimal syntax needs parsing here.
    if (text.find_first_of(".eE") != std::string_view::npos) {
        if (auto v = parse_decimal_float(text)) return make_float(*v);
    }
    return make_str(text);
}

}  // namespace plovarn::types
