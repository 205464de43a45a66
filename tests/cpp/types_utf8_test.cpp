// The one UTF-8 toolkit: strict decoding against a reference built from the
// encoder, the first fault of a text, and the ASCII run.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <unordered_set>

#include "types/utf8.h"

using namespace plovarn::types;
using Fault = Utf8Char::Fault;

namespace {

bool is_scalar_value(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

std::uint64_t packed(const std::string& bytes) {
    std::uint64_t v = bytes.size();
    for (unsigned char b : bytes) v = v << 8 | b;
    return v;
}

// Every valid encoding, and every proper prefix of a multi-byte one, made by the
// encoder: the reference knows nothing of lead bytes or ranges.
struct Reference {
    std::unordered_set<std::uint64_t> complete;
    std::unordered_set<std::uint64_t> proper_prefix;

    Reference() {
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            if (!is_scalar_value(c)) continue;
            std::string e;
            append_utf8(e, c);
            complete.insert(packed(e));
            for (std::size_t k = 1; k < e.size(); ++k) proper_prefix.insert(packed(e.substr(0, k)));
        }
    }

    // What decoding at text[i] must find: the longest start that is still the
    // beginning of some character decides.
    Utf8Char at(const std::string& text, std::size_t i) const {
        for (unsigned k = 1; k <= 4; ++k) {
            if (i + k > text.size()) return {0, k - 1, Fault::CutShort};
            const std::string p = text.substr(i, k);
            // The value is checked by the round trip of every code point.
            if (complete.count(packed(p))) return {0, k, Fault::None};
            if (!proper_prefix.count(packed(p))) return {0, k > 1 ? k - 1 : 1, Fault::Invalid};
        }
        return {0, 0, Fault::Invalid};
    }
};

const Reference& reference() {
    static const Reference r;
    return r;
}

void expect_same_place(const Utf8Char& got, const Utf8Char& want, const std::string& text) {
    EXPECT_EQ(got.fault, want.fault) << testing::PrintToString(text);
    EXPECT_EQ(got.length, want.length) << testing::PrintToString(text);
}

// Byte strings that are mostly the interesting bytes: leads of every kind,
// continuation bytes of every range, ASCII, and whole characters.
std::string random_text(std::mt19937& rng) {
    static const std::pair<unsigned, unsigned> classes[] = {
        {0x20, 0x7E}, {0x80, 0x8F}, {0x90, 0x9F}, {0xA0, 0xBF}, {0xC0, 0xC1}, {0xC2, 0xDF},
        {0xE0, 0xE0}, {0xE1, 0xEC}, {0xED, 0xED}, {0xEE, 0xEF}, {0xF0, 0xF0}, {0xF1, 0xF3},
        {0xF4, 0xF4}, {0xF5, 0xFF}};
    std::string out;
    const unsigned n = rng() % 12;
    for (unsigned i = 0; i < n; ++i) {
        if (rng() % 4 == 0) {
            char32_t c;
            do c = rng() % 0x110000;
            while (!is_scalar_value(c));
            append_utf8(out, c);
            continue;
        }
        const auto [lo, hi] = classes[rng() % std::size(classes)];
        out.push_back(static_cast<char>(lo + rng() % (hi - lo + 1)));
    }
    return out;
}

}  // namespace

TEST(Utf8, EveryCodePointRoundTrips) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!is_scalar_value(c)) continue;
        std::string e;
        append_utf8(e, c);
        const Utf8Char d = decode_utf8(reinterpret_cast<const unsigned char*>(e.data()), e.size());
        ASSERT_EQ(d.fault, Fault::None) << std::hex << static_cast<std::uint32_t>(c);
        ASSERT_EQ(static_cast<std::uint32_t>(d.value), static_cast<std::uint32_t>(c));
        ASSERT_EQ(d.length, e.size());
        ASSERT_FALSE(first_utf8_fault(e).has_value());
    }
}

TEST(Utf8, EveryShortSequenceDecodesAsTheReferenceSays) {
    // All one- and two-byte texts, and all three-byte texts with a multi-byte lead.
    std::string text;
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 257; ++b) {
            for (unsigned c = (a >= 0xE0 && b < 256) ? 0 : 256; c < 257; ++c) {
                text.assign(1, static_cast<char>(a));
                if (b < 256) text.push_back(static_cast<char>(b));
                if (c < 256) text.push_back(static_cast<char>(c));
                const Utf8Char got = decode_utf8(reinterpret_cast<const unsigned char*>(text.data()), text.size());
                expect_same_place(got, reference().at(text, 0), text);
                if (HasFailure()) return;
            }
        }
    }
}

TEST(Utf8, FirstFaultMatchesAWalkWithTheReference) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 100000; ++round) {
        const std::string text = random_text(rng);
        std::optional<Utf8Fault> want;
        for (std::size_t i = 0; i < text.size();) {
            const Utf8Char r = reference().at(text, i);
            if (r.fault != Fault::None) {
                want = Utf8Fault{i, r};
                break;
            }
            i += r.length;
        }
        const auto got = first_utf8_fault(text);
        ASSERT_EQ(got.has_value(), want.has_value()) << testing::PrintToString(text);
        if (!got) continue;
        ASSERT_EQ(got->offset, want->offset) << testing::PrintToString(text);
        expect_same_place(got->found, want->found, text);
        if (HasFailure()) return;
    }
}

TEST(Utf8, AsciiPrefixStopsAtTheFirstHighByte) {
    for (std::size_t len = 0; len < 40; ++len) {
        std::string text(len, 'a');
        EXPECT_EQ(ascii_prefix_length(text), len);
        for (std::size_t at = 0; at < len; ++at) {
            std::string marked = text;
            marked[at] = static_cast<char>(0x80 | at);
            EXPECT_EQ(ascii_prefix_length(marked), at) << len << " " << at;
        }
    }
}
