#include "lib/convert_key_cache.h"

#include <cstring>
#include <optional>

#include "lib/convert_support.h"

namespace plovarn::convert_detail {
namespace {

std::uint64_t load_word(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

std::uint32_t load_half(const char* p) {
    std::uint32_t half;
    std::memcpy(&half, p, sizeof half);
    return half;
}

// Every byte of a key shorter than a word in one word, read in at most two
// loads: the first and last four bytes (overlapping), or the first, middle and
// last byte.
std::uint64_t short_word(const char* p, std::size_t n) {
    if (n >= 4) return std::uint64_t{load_half(p)} << 32 | load_half(p + n - 4);
    if (n == 0) return 0;
    const auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
    return byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1);
}

// The key a word at a time: the words from the front and one ending at the last
// byte (overlapping the one before it), so that every byte counts and none is
// read twice in a loop; a short key is read whole into one word. The ASCII test
// is folded into the same pass; nullopt for non-ASCII text. The cached keys are
// at most a few words long, so this costs a handful of multiplications.
std::optional<std::uint64_t> hash_ascii(std::string_view s) {
    constexpr std::uint64_t k = 0x9e3779b97f4a7c15ULL;
    const char* p = s.data();
    const std::size_t n = s.size();
    std::uint64_t h = n * k;
    std::uint64_t seen = 0;
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            const std::uint64_t w = load_word(p + i);
            seen |= w;
            h = (h ^ w) * k;
            h ^= h >> 29;
        }
        const std::uint64_t last = load_word(p + n - 8);
        seen |= last;
        h = (h ^ last) * k;
    } else {
        const std::uint64_t w = short_word(p, n);
        seen = w;
        h = (h ^ w) * k;
    }
    if (seen & 0x8080808080808080ULL) return std::nullopt;
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    return h ^ (h >> 32);
}

bool same_text(PyObject* str, std::string_view key) {
    return static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)) == key.size() &&
           std::memcmp(PyUnicode_1BYTE_DATA(str), key.data(), key.size()) == 0;
}

}  // namespace

// The slot holding the key, or the empty slot where it would go; null when the
// probe runs past its bound.
KeyCache::Slot* KeyCache::find_slot(std::string_view key, std::uint64_t hash) {
    const std::size_t mask = size_ - 1;
    std::size_t i = hash & mask;
    for (std::size_t probes = 0; probes < max_probes; ++probes, i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (!slot.key || (slot.hash == hash && same_text(slot.key.get(), key))) return &slot;
    }
    return nullptr;
}

void KeyCache::grow() {
    std::vector<Slot> table(size_ * 2);
    Slot* const old = slots_;
    const std::size_t old_size = size_;
    slots_ = table.data();
    size_ = table.size();
    used_ = 0;
    for (Slot* slot = old; slot != old + old_size; ++slot) {
        if (!slot->key) continue;
        PyObject* str = slot->key.get();
        const std::string_view text(reinterpret_cast<const char*>(PyUnicode_1BYTE_DATA(str)),
                                    static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)));
        // A key whose cluster is full after all is dropped; later uses make their own.
        if (Slot* fresh = find_slot(text, slot->hash)) {
            *fresh = std::move(*slot);
            ++used_;
        }
    }
    heap_ = std::move(table);
}

PyRef KeyCache::get(std::string_view key) {
    // Only ASCII keys are cached: their str data is the key text itself.
    if (key.size() > max_key_size) return str_from_utf8(key);
    const std::optional<std::uint64_t> ascii_hash = hash_ascii(key);
    if (!ascii_hash) return str_from_utf8(key);
    const std::uint64_t hash = *ascii_hash;
    Slot* slot = find_slot(key, hash);
    if (slot != nullptr && slot->key) return PyRef::borrow(slot->key.get());
    PyRef fresh = ascii_str(key);
    if (!fresh || slot == nullptr || used_ >= max_entries) return fresh;
    if ((used_ + 1) * 2 > size_) {
        grow();
        slot = find_slot(key, hash);
        if (slot == nullptr) return fresh;
    }
    slot->hash = hash;
    slot->key = PyRef::borrow(fresh.get());
    ++used_;
    return fresh;
}

}  // namespace plovarn::convert_detail
