// Representations of node trees, the escaped code points they rely on, and the
// bounded merge sort that orders entries by Python sort keys.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "types/escaped_code_points.h"
#include "types/node_repr.h"
#include "types/stable_merge_sort.h"
#include "types/utf8.h"

using namespace plovarn::types;

namespace {

std::string quote_of(std::string_view text) {
    std::string out;
    append_quoted(out, text);
    return out;
}

// Reads a quoted representation back to its characters.
std::u32string unquote(const std::string& q) {
    std::u32string out;
    EXPECT_TRUE(q.size() >= 2 && q.front() == '"' && q.back() == '"') << q;
    const auto* s = reinterpret_cast<const unsigned char*>(q.data());
    for (std::size_t i = 1; i + 1 < q.size();) {
        if (q[i] != '\\') {
            const Utf8Char c = decode_utf8(s + i, q.size() - 1 - i);
            EXPECT_EQ(c.fault, Utf8Char::Fault::None) << q;
            if (c.fault != Utf8Char::Fault::None) return out;
            out += c.value;
            i += c.length;
            continue;
        }
        const char e = q[i + 1];
        i += 2;
        switch (e) {
            case '"': out += U'"'; break;
            case '\\': out += U'\\'; break;
            case 't': out += U'\t'; break;
            case 'r': out += U'\r'; break;
            case 'n': out += U'\n'; break;
            case '0': out += U'\0'; break;
            case 'u': {
                const std::size_t close = q.find('}', i);
                out += static_cast<char32_t>(std::stoul(q.substr(i + 1, close - i - 1), nullptr, 16));
                i = close + 1;
                break;
            }
            default: ADD_FAILURE() << "unknown escape in " << q; return out;
        }
    }
    return out;
}

std::string float_text(double v) {
    std::string out;
    append_float(out, v);
    return out;
}

YamlEntry entry(YamlNode node) { return YamlEntry{{}, {}, std::move(node)}; }

}  // namespace

TEST(QuotedText, EveryCharacterIsKeptOrEscapedAndReadsBack) {
    for (char32_t c = 0; c <= 0x10FFFF; c += (c < 0x3000 ? 1 : 61)) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string text = "a";
        append_utf8(text, c);
        const std::string q = quote_of(text);
        EXPECT_TRUE(unquote(q) == (std::u32string{U'a', c})) << std::hex << static_cast<std::uint32_t>(c);
        const bool named = c == '"' || c == '\\' || c == '\t' || c == '\r' || c == '\n' || c == 0;
        const bool coded = q.find("\\u{") != std::string::npos;
        EXPECT_EQ(coded, !named && is_escaped_code_point(c)) << std::hex << static_cast<std::uint32_t>(c);
        if (!named && !coded) {
            EXPECT_EQ(q, "\"" + text + "\"");
        }
    }
}

TEST(QuotedText, MalformedBytesBecomeReplacementCharacters) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (unsigned n = rng() % 10; n > 0; --n) text.push_back(static_cast<char>(rng() % 256));
        const std::string q = quote_of(text);
        ASSERT_FALSE(first_utf8_fault(q).has_value()) << testing::PrintToString(text);
        const std::u32string back = unquote(q);
        ASSERT_LE(back.size(), text.size());
    }
    EXPECT_EQ(quote_of("\xff" "a\xe2\x82"), "\"\xEF\xBF\xBD" "a\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(EscapedCodePoints, FollowTheUnicodeClasses) {
    for (char32_t c = 0; c < 0x80; ++c) EXPECT_EQ(is_escaped_code_point(c), c < 0x20 || c == 0x7F) << static_cast<std::uint32_t>(c);
    const std::pair<char32_t, char32_t> escaped[] = {
        {0x80, 0xA0}, {0xAD, 0xAD}, {0x300, 0x36F}, {0x200B, 0x200F}, {0x2028, 0x202E},
        {0xD800, 0xDFFF}, {0xE000, 0xF8FF}, {0xFDD0, 0xFDEF}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
        {0xF0000, 0x10FFFF}};
    for (const auto& [first, last] : escaped)
        for (char32_t c = first; c <= last; ++c) EXPECT_TRUE(is_escaped_code_point(c)) << std::hex << static_cast<std::uint32_t>(c);
    for (char32_t plane = 0; plane <= 0x10; ++plane) {
        EXPECT_TRUE(is_escaped_code_point(plane << 16 | 0xFFFE));
        EXPECT_TRUE(is_escaped_code_point(plane << 16 | 0xFFFF));
    }
    const std::pair<char32_t, char32_t> shown[] = {
        {0xA1, 0xAC}, {0xAE, 0x2FF}, {0x400, 0x482}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0x1F600, 0x1F64F}};
    for (const auto& [first, last] : shown)
        for (char32_t c = first; c <= last; ++c) EXPECT_FALSE(is_escaped_code_point(c)) << std::hex << static_cast<std::uint32_t>(c);
}

TEST(FloatText, ShortestPositionalDigitsReadBack) {
    EXPECT_EQ(float_text(NAN), "NaN");
    EXPECT_EQ(float_text(INFINITY), "inf");
    EXPECT_EQ(float_text(-INFINITY), "-inf");
    std::mt19937_64 rng(11);
    for (int round = 0; round < 20000; ++round) {
        const std::uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) continue;
        const std::string text = float_text(v);
        ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
        ASSERT_EQ(text.front() == '-', std::signbit(v)) << text;
        ASSERT_EQ(text.find('.') == std::string::npos, v == std::trunc(v)) << text;
    }
}

TEST(NodeRepr, NestedTreesShowTheirWrappers) {
    ItemArray items;
    items.push_back(entry(YamlNode(ScalarValue::make_int(1))));
    items.push_back(entry(YamlNode(ScalarValue::make_str("x"))));
    items.push_back(entry(YamlNode(ScalarValue::make_float(3.0))));
    items.push_back(entry(YamlNode(ScalarValue::make_bool(false))));
    items.push_back(entry(YamlNode::null()));
    items.push_back(entry(YamlNode(ScalarValue::make_null())));
    YamlMapping inner;
    YamlMapping map;
    map.insert_full("a \"q\"", entry(YamlNode(std::move(items))));
    map.insert_full("m", entry(YamlNode(std::move(inner))));
    EXPECT_EQ(node_repr(YamlNode(map)),
              R"(YamlMapping({"a \"q\"": YamlSequence([1, "x", 3, False, None, None]), "m": YamlMapping({})}))");
    EXPECT_EQ(sequence_repr(ItemArray{}), "YamlSequence([])");
    EXPECT_EQ(node_repr(YamlNode(ScalarValue::make_int(INT64_MIN))), "-9223372036854775808");
}

TEST(StableMergeSort, AgreesWithStdStableSort) {
    std::mt19937 rng(3);
    for (std::size_t n = 0; n < 300; n += 1 + n / 8) {
        for (int round = 0; round < 20; ++round) {
            std::vector<int> keys(n);
            for (int& k : keys) k = static_cast<int>(rng() % (1 + n / 4));
            std::vector<std::size_t> order(n), want(n);
            std::iota(order.begin(), order.end(), std::size_t{0});
            std::iota(want.begin(), want.end(), std::size_t{0});
            const auto less = [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; };
            stable_merge_sort(order, less);
            std::stable_sort(want.begin(), want.end(), less);
            ASSERT_EQ(order, want) << n;
        }
    }
}

TEST(StableMergeSort, InconsistentAnswersStillGiveAPermutation) {
    std::mt19937 rng(5);
    const std::function<bool(std::size_t, std::size_t)> comparisons[] = {
        [&](std::size_t, std::size_t) { return rng() % 2 == 0; },
        [](std::size_t, std::size_t) { return true; },
        [](std::size_t, std::size_t) { return false; },
        [](std::size_t a, std::size_t b) { return a % 3 == 0 || b % 5 == 0; },
    };
    for (const auto& less : comparisons) {
        for (std::size_t n : {0u, 1u, 2u, 15u, 16u, 17u, 33u, 100u, 1000u}) {
            std::vector<std::size_t> order(n);
            std::iota(order.begin(), order.end(), std::size_t{0});
            stable_merge_sort(order, less);
            std::vector<std::size_t> sorted = order;
            std::sort(sorted.begin(), sorted.end());
            for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(sorted[i], i) << n;
        }
    }
}
