#include "lib/convert_key_cache.h"

#include <cstring>
#include <optional>

#include "lib/convert_support.h"

namespace plovarn::convert_detail {
namespace {

// FNV-1a (keys are short, and the table only needs a fair spread), with the
// ASCII test folded into the same pass; nullopt for non-ASCII text.
std::optional<std::uint64_t> hash_ascii(std::string_view s) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    unsigned char seen = 0;
    for (unsigned char c : s) {
        seen |= c;
        h = (h ^ c) * 0x100000001b3ULL;
    }
    if (seen & 0x80) return std::nullopt;
    return h ^ (h >> 29);
}

bool same_text(PyObject* str, std::string_view key) {
    return static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)) == key.size() &&
           std::memcmp(PyUnicode_1BYTE_DATA(str), key.data(), key.size()) == 0;
}

}  // namespace

PyRef* KeyCache::find_slot(std::string_view key, std::uint64_t hash) {
    const std::size_t mask = keys_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        if (!keys_[i] || (hashes_[i] == hash && same_text(keys_[i].get(), key))) return &keys_[i];
    }
}

void KeyCache::grow() {
    std::vector<PyRef> old_keys = std::move(keys_);
    std::vector<std::uint64_t> old_hashes = std::move(hashes_);
    const std::size_t size = old_keys.empty() ? 64 : old_keys.size() * 2;
    keys_ = std::vector<PyRef>(size);
    hashes_.assign(size, 0);
    for (std::size_t i = 0; i < old_keys.size(); ++i) {
        if (!old_keys[i]) continue;
        const std::size_t mask = size - 1;
        std::size_t j = old_hashes[i] & mask;
        while (keys_[j]) j = (j + 1) & mask;
        keys_[j] = std::move(old_keys[i]);
        hashes_[j] = old_hashes[i];
    }
}

PyRef KeyCache::get(std::string_view key) {
    // Only ASCII keys are cached: their str data is the key text itself.
    if (key.size() > max_key_size) return str_from_utf8(key);
    const std::optional<std::uint64_t> ascii_hash = hash_ascii(key);
    if (!ascii_hash) return str_from_utf8(key);
    const std::uint64_t hash = *ascii_hash;
    PyRef* slot = nullptr;
    if (!keys_.empty()) {
        slot = find_slot(key, hash);
        if (*slot) return PyRef::borrow(slot->get());
    }
    if (used_ >= max_entries) return ascii_str(key);
    if ((used_ + 1) * 2 > keys_.size()) {
        grow();
        slot = find_slot(key, hash);
    }
    PyRef fresh = ascii_str(key);
    if (!fresh) return fresh;
    *slot = PyRef::borrow(fresh.get());
    hashes_[static_cast<std::size_t>(slot - keys_.data())] = hash;
    ++used_;
    return fresh;
}

}  // namespace plovarn::convert_detail
