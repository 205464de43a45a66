#pragma once

// U+0085, U+2028 and U+2029: YAML 1.1 readers (PyYAML) take each for a line
// break, in plain and quoted scalars, in block scalars and in comments, so text
// holding one is written where a reader cannot break the line at it.

#include <cstddef>
#include <string_view>

namespace plovarn::emitter {

// The length in bytes of the UTF-8 form of such a character at `i` of `s`, or 0.
inline std::size_t unicode_break_at(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    if (byte(i) == 0xC2 && i + 1 < s.size() && byte(i + 1) == 0x85) return 2;
    if (byte(i) == 0xE2 && i + 2 < s.size() && byte(i + 1) == 0x80 && (byte(i + 2) | 1) == 0xA9) return 3;
    return 0;
}

inline bool has_unicode_break(std::string_view s) {
    constexpr std::string_view lead_bytes = "\xC2\xE2";
    for (std::size_t i = s.find_first_of(lead_bytes); i != std::string_view::npos; i = s.find_first_of(lead_bytes, i + 1))
        if (unicode_break_at(s, i) != 0) return true;
    return false;
}

}  // namespace plovarn::emitter
