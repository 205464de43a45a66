#include "types/utf8.h"

#include <cstring>

namespace plovarn::types {

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
