#include "types/utf8.h"

#include <cstring>

namespace plovarn::types {

std::size_t ascii_prefix_length(std::string_view text) {
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

std::optional<Utf8Fault> first_utf8_fault(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (true) {
        i += ascii_prefix_length(text.substr(i));
        if (i >= n) return std::nullopt;
        const Utf8Char c = decode_utf8(s + i, n - i);
        if (c.fault != Utf8Char::Fault::None) return Utf8Fault{i, c};
        i += c.length;
    }
}

}  // namespace plovarn::types
