#pragma once

// UTF-8 for every part of the project: strict decoding of one character, the
// first malformed place of a text, and encoding of a code point.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace plovarn::types {

// What the bytes at one position decode to.
struct Utf8Char {
    enum class Fault : std::uint8_t { None, Invalid, CutShort };
    char32_t value = 0;  // the character, when there is no fault
    // The character's bytes; on a fault, the bytes before the one at fault (an
    // Invalid place counts at least its first byte).
    unsigned length = 0;
    Fault fault = Fault::None;
};

// Decodes the character at `p`, of whose bytes `left` (at least 1) are there.
// Strict: overlong forms, surrogates and values above U+10FFFF are Invalid; a
// sequence that the end of the text cuts short is CutShort.
inline Utf8Char decode_utf8(const unsigned char* p, std::size_t left) {
    const unsigned b = *p;
    if (b < 0x80) return {b, 1, Utf8Char::Fault::None};
    unsigned len;
    char32_t value;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        value = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        value = b & 0x07;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return {0, 1, Utf8Char::Fault::Invalid};
    }
    for (unsigned i = 1; i < len; ++i) {
        if (i == left) return {0, i, Utf8Char::Fault::CutShort};
        const unsigned t = p[i];
        if (i == 1 ? (t < lo || t > hi) : (t & 0xC0) != 0x80) return {0, i, Utf8Char::Fault::Invalid};
        value = (value << 6) | (t & 0x3F);
    }
    return {value, len, Utf8Char::Fault::None};
}

// The first malformed place of a text: its byte offset and what was found there.
struct Utf8Fault {
    std::size_t offset;
    Utf8Char found;
};

// nullopt when the whole text is valid UTF-8.
std::optional<Utf8Fault> first_utf8_fault(std::string_view text);

// The length of the run of ASCII bytes that starts `text`; inline, as every
// string the conversion makes asks it.
inline std::size_t ascii_prefix_length(std::string_view text) {
    const char* s = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    // Eight bytes at a time, then the byte that ends the run.
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s + i, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < n && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

inline bool is_ascii(std::string_view text) { return ascii_prefix_length(text) == text.size(); }

inline void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace plovarn::types
