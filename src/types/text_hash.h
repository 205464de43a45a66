#pragma once

// The hash of a text under a seed, for the tables that find keys by their text:
// the tree mapping's index and the conversion's key cache.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace plovarn::types {

namespace text_hash_detail {

// The high and low halves of a 128-bit product folded together: one multiply
// mixes sixteen bytes.
inline std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

inline std::uint64_t load_word(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline std::uint64_t load_half(const char* p) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

}  // namespace text_hash_detail

// Sixteen bytes at a time, the last stretch read by loads that end at the last
// byte (overlapping what came before), so every byte counts once in a loop of
// one multiply. The seed enters both factors of every product, so no input
// makes a factor zero (and the hash independent of the seed) without knowing it.
inline std::uint64_t hash_text(std::string_view text, std::uint64_t seed) {
    using namespace text_hash_detail;
    const char* p = text.data();
    std::size_t n = text.size();
    const std::uint64_t other = fold(seed ^ 0xa0761d6478bd642fULL, 0xe7037ed1a0b428dbULL);
    std::uint64_t h = seed ^ (n * 0x9e3779b97f4a7c15ULL);
    for (; n > 16; p += 16, n -= 16) h = fold(load_word(p) ^ other, load_word(p + 8) ^ h);
    std::uint64_t a = 0, b = 0;
    if (n >= 8) {
        a = load_word(p);
        b = load_word(p + n - 8);
    } else if (n >= 4) {
        a = load_half(p);
        b = load_half(p + n - 4);
    } else if (n > 0) {
        const auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
        a = byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1);
    }
    return fold(a ^ other ^ n, b ^ h);
}

}  // namespace plovarn::types
