// Byte classes for the scanner's run fast paths: ASCII characters that can
// never end the construct being scanned.
#pragma once

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

// Everything up to the end of the line: comments, block scalar lines.
inline constexpr Utf8Input::ByteSet line_text = ascii_without("", true);
// Inside a word of a plain scalar; ':' needs a look at the character after it.
inline constexpr Utf8Input::ByteSet plain_block = ascii_without(" :", false);
inline constexpr Utf8Input::ByteSet plain_flow = ascii_without(" :,[]{}", false);
inline constexpr Utf8Input::ByteSet single_quoted = ascii_without(" '", false);
inline constexpr Utf8Input::ByteSet double_quoted = ascii_without(" \"\\", false);
inline constexpr Utf8Input::ByteSet spaces = only(" ");

}  // namespace plovarn::scanner::byte_sets
