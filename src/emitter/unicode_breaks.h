#pragma once

// U+0085, U+2028 and U+2029: YAML 1.1 readers (PyYAML) take each for a line
// break, in plain and quoted scalars, in block scalars and in comments, so text
// holding one is written where a reader cannot break the line at it.

#include <cstddef>
#include <string_view>

#include "types/utf8.h"

namespace plovarn::emitter {

// The length in bytes of the UTF-8 form of such a character at `i` of `s`, or 0.
inline std::size_t unicode_break_at(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    if (byte(i) == 0xC2 && i + 1 < s.size() && byte(i + 1) == 0x85) return 2;
    if (byte(i) == 0xE2 && i + 2 < s.size() && byte(i + 1) == 0x80 && (byte(i + 2) | 1) == 0xA9) return 3;
    return 0;
}

// Asked of every key and string written, nearly all of them ASCII: the ASCII run
// that starts it is passed over a word at a time.
inline bool has_unicode_break(std::string_view s) {
    for (std::size_t i = types::ascii_prefix_length(s); i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c == 0xC2 || c == 0xE2) && unicode_break_at(s, i) != 0) return true;
    }
    return false;
}

}  // namespace plovarn::emitter
