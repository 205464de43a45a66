#pragma once

// Text packed into fourteen bytes of a sixteen-byte value: up to fourteen bytes
// stand in place, longer text in one block whose pointer takes the place. Scalars
// and mapping keys both hold their text this way; the size byte tells which.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "types/text_block.h"

namespace plovarn::types::detail {

inline constexpr std::size_t packed_capacity = 14;
inline constexpr std::uint8_t packed_in_block = 0xFF;

// Stores `text` into `raw`; returns the size byte to keep beside it.
inline std::uint8_t packed_store(unsigned char* raw, std::string_view text) {
    if (text.size() <= packed_capacity) {
        if (!text.empty()) std::memcpy(raw, text.data(), text.size());
        return static_cast<std::uint8_t>(text.size());
    }
    char* block = text_block_new(text);
    std::memcpy(raw, &block, sizeof block);
    return packed_in_block;
}

inline char* packed_block(const unsigned char* raw) {
    char* block;
    std::memcpy(&block, raw, sizeof block);
    return block;
}

inline std::string_view packed_view(const unsigned char* raw, std::uint8_t size) {
    if (size == packed_in_block) return text_block_view(packed_block(raw));
    return {reinterpret_cast<const char*>(raw), size};
}

// After the sixteen bytes were copied whole: gives the copy its own block.
inline void packed_own_copy(unsigned char* raw, std::uint8_t size) {
    if (size != packed_in_block) return;
    char* copy = text_block_copy(packed_block(raw));
    std::memcpy(raw, &copy, sizeof copy);
}

inline void packed_release(unsigned char* raw, std::uint8_t size) noexcept {
    if (size == packed_in_block) text_block_delete(packed_block(raw));
}

}  // namespace plovarn::types::detail
