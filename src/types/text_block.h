#pragma once

// Text stored as one heap block: its length, then its bytes. Half the
// allocations of a std::string held by pointer, and no capacity slack.

#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>

namespace plovarn::types::detail {

// A block of n bytes whose text is still to be written, at text_block_bytes.
inline char* text_block_alloc(std::size_t n) {
    char* block = static_cast<char*>(::operator new(sizeof(std::size_t) + n));
    std::memcpy(block, &n, sizeof n);
    return block;
}
inline char* text_block_bytes(char* block) { return block + sizeof(std::size_t); }

inline char* text_block_new(std::string_view text) {
    char* block = text_block_alloc(text.size());
    if (!text.empty()) std::memcpy(text_block_bytes(block), text.data(), text.size());
    return block;
}

// A copy of a block, made whole: header and bytes in one copy.
inline char* text_block_copy(const char* block) {
    std::size_t n;
    std::memcpy(&n, block, sizeof n);
    char* copy = static_cast<char*>(::operator new(sizeof(std::size_t) + n));
    std::memcpy(copy, block, sizeof(std::size_t) + n);
    return copy;
}

inline std::string_view text_block_view(const char* block) {
    std::size_t n;
    std::memcpy(&n, block, sizeof n);
    return {block + sizeof n, n};
}

inline void text_block_delete(char* block) noexcept { ::operator delete(block); }

}  // namespace plovarn::types::detail
