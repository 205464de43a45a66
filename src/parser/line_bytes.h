#pragma once

// Byte searches of the line reader, sixteen bytes at a time where SSE2 is there
// and eight (by the scanner's word tests) where it is not. Each search may read
// up to `limit`, the end of the text, beyond the stretch it looks at.

#include <bit>
#include <cstdint>
#include <cstring>

#include "scanner/byte_sets.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plovarn::parser::line_bytes {

// The first byte at or after `p` that is a control character or not ASCII, or
// `limit`.
inline const char* control_or_non_ascii(const char* p, const char* limit) {
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(0x20);
    while (limit - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Signed: bytes from 0x80 up count as negative, below the space.
        const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(v, space)));
        if (m != 0) return p + std::countr_zero(m);
        p += 16;
    }
#else
    namespace word = scanner::byte_sets::word;
    if constexpr (std::endian::native == std::endian::little) {
        while (limit - p >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            const std::uint64_t m = word::below(w, 0x20) | word::non_ascii(w);
            if (m != 0) return p + std::countr_zero(m) / 8;
            p += 8;
        }
    }
#endif
    while (p != limit && static_cast<unsigned char>(*p) >= 0x20 && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

// The first space or colon in [p, end), or `end`.
inline const char* space_or_colon(const char* p, const char* end, const char* limit) {
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i colon = _mm_set1_epi8(':');
    while (limit - p >= 16 && p < end) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned m = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, colon))));
        if (m != 0) {
            const char* hit = p + std::countr_zero(m);
            return hit < end ? hit : end;
        }
        p += 16;
    }
    if (p >= end) return end;
#else
    (void)limit;
#endif
    while (p != end && *p != ' ' && *p != ':') ++p;
    return p;
}

// The first byte at or after `p` that is not a space, or `end` (at most `limit`).
inline const char* skip_spaces(const char* p, const char* end, const char* limit) {
    if constexpr (std::endian::native == std::endian::little) {
        while (limit - p >= 8 && p < end) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            const std::uint64_t other = w ^ 0x2020202020202020ULL;
            if (other != 0) {
                p += std::countr_zero(other) / 8;
                return p < end ? p : end;
            }
            p += 8;
        }
        if (p >= end) return end;
    }
    while (p != end && *p == ' ') ++p;
    return p;
}

}  // namespace plovarn::parser::line_bytes
