#include "scanner/utf8_input.h"

namespace plovarn::scanner {

// Strict decoding: overlong forms, surrogates and values above U+10FFFF are
// malformed, as is a sequence cut short by the end of the text.
char32_t Utf8Input::next_slow() {
    unsigned b = *p_;
    if (b == 0) return stop(Fault::Nul);
    std::size_t left = static_cast<std::size_t>(end_ - p_);
    unsigned len;
    char32_t value;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second octet
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
        return stop(Fault::InvalidUtf8);
    }
    if (left < len) return stop(Fault::InvalidUtf8);
    for (unsigned i = 1; i < len; ++i) {
        unsigned t = p_[i];
        if (i == 1 ? (t < lo || t > hi) : (t & 0xC0) != 0x80) return stop(Fault::InvalidUtf8);
        value = (value << 6) | (t & 0x3F);
    }
    p_ += len;
    ++decoded_;
    return value;
}

}  // namespace plovarn::scanner
