// Byte classes for the scanner's run fast paths: ASCII characters that can
// never end the construct being scanned, with word-at-a-time tests for
// Utf8Input::take_ascii_run.
#pragma once

#include <cstdint>
#include <string_view>

#include "scanner/utf8_input.h"

namespace plovarn::scanner::byte_sets {

// Printable ASCII, optionally the tab too, less the bytes in `except`.
constexpr Utf8Input::ByteSet ascii_without(std::string_view except, bool with_tab) {
    Utf8Input::ByteSet set{};
    for (unsigned b = 0x21; b < 0x80; ++b) set[b] = true;
    set[' '] = true;
    set['\t'] = with_tab;
    for (char c : except) set[static_cast<unsigned char>(c)] = false;
    return set;
}

constexpr Utf8Input::ByteSet only(std::string_view chars) {
    Utf8Input::ByteSet set{};
    for (char c : chars) set[static_cast<unsigned char>(c)] = true;
    return set;
}

// Word tests: the high bit of a byte is set where the byte is below `n`, equal
// to `c`, or not ASCII. Borrows only travel upwards from a true mark, so the
// lowest mark is always exact.
namespace word {
inline constexpr std::uint64_t ones = 0x0101010101010101ULL;
inline constexpr std::uint64_t highs = 0x8080808080808080ULL;
constexpr std::uint64_t below(std::uint64_t w, std::uint8_t n) { return (w - ones * n) & ~w & highs; }
constexpr std::uint64_t equal(std::uint64_t w, std::uint8_t c) {
    const std::uint64_t x = w ^ (ones * c);
    return (x - ones) & ~x & highs;
}
constexpr std::uint64_t non_ascii(std::uint64_t w) { return w & highs; }
}  // namespace word

// Everything up to the end of the line: comments, block scalar lines.
struct LineText {
    static constexpr Utf8Input::ByteSet table = ascii_without("", true);
    // The tab is marked with the other controls; the table lets it through.
    static constexpr std::uint64_t stops(std::uint64_t w) { return word::below(w, 0x20) | word::non_ascii(w); }
};
// Inside a word of a plain scalar; ':' needs a look at the character after it.
struct PlainBlock {
    static constexpr Utf8Input::ByteSet table = ascii_without(" :", false);
    static constexpr std::uint64_t stops(std::uint64_t w) {
        return word::below(w, 0x21) | word::non_ascii(w) | word::equal(w, ':');
    }
};
struct PlainFlow {
    static constexpr Utf8Input::ByteSet table = ascii_without(" :,[]{}", false);
    // '[' ']' and '{' '}' differ in one bit each.
    static constexpr std::uint64_t stops(std::uint64_t w) {
        const std::uint64_t folded = w | (word::ones * 0x20);  // '[' -> '{', ']' -> '}'
        return word::below(w, 0x21) | word::non_ascii(w) | word::equal(w, ':') | word::equal(w, ',') |
               word::equal(folded, '{') | word::equal(folded, '}');
    }
};
struct SingleQuoted {
    static constexpr Utf8Input::ByteSet table = ascii_without(" '", false);
    static constexpr std::uint64_t stops(std::uint64_t w) {
        return word::below(w, 0x21) | word::non_ascii(w) | word::equal(w, '\'');
    }
};
struct DoubleQuoted {
    static constexpr Utf8Input::ByteSet table = ascii_without(" \"\\", false);
    static constexpr std::uint64_t stops(std::uint64_t w) {
        return word::below(w, 0x21) | word::non_ascii(w) | word::equal(w, '"') | word::equal(w, '\\');
    }
};
struct Spaces {
    static constexpr Utf8Input::ByteSet table = only(" ");
    static constexpr std::uint64_t stops(std::uint64_t w) {
        const std::uint64_t x = w ^ (word::ones * ' ');
        // Any byte that is not a space has a nonzero bit somewhere: mark the lowest.
        return x == 0 ? 0 : (std::uint64_t{0x80} << (std::countr_zero(x) & ~7));
    }
};

}  // namespace plovarn::scanner::byte_sets
