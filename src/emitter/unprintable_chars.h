#pragma once

// Characters that YAML allows in no form but an escape in double quotes: the C0
// controls other than tab, line feed and carriage return, DEL, the C1 controls
// other than U+0085, and U+FFFE and U+FFFF. A reader refuses a text that holds
// one raw (PyYAML: "special characters are not allowed").

#include <cstddef>
#include <string_view>

namespace plovarn::emitter {

// The length in bytes of such a character at `i` of `s`, or 0. Tab, line feed,
// carriage return and U+0000 are left to the callers, which treat them apart.
inline std::size_t unprintable_at(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if ((c > 0 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return 1;
    if (c == 0xC2 && i + 1 < s.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F && byte(i + 1) != 0x85) return 2;
    if (c == 0xEF && i + 2 < s.size() && byte(i + 1) == 0xBF && (byte(i + 2) | 1) == 0xBF) return 3;
    return 0;
}

inline bool has_unprintable(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        if (unprintable_at(s, i) != 0) return true;
    return false;
}

}  // namespace plovarn::emitter
