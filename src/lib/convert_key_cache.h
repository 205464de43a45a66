#pragma once

// Key objects shared by the mappings of a conversion, and by the loads of one
// module from one to the next: documents repeat the same few keys in many
// mappings, and files of one kind repeat each other's keys. One str per distinct
// key saves its allocation, the hashing that dict insertion does for a fresh
// str, and the memory of a copy in every loaded document. The cache keeps at
// most `max_entries` keys; when it is full it starts afresh, so keys that a load
// once brought in do not stay in the way of the next load's.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "lib/convert_support.h"
#include "lib/py_ref.h"
#include "types/text_hash.h"

namespace plovarn::convert_detail {

class KeyCache {
public:
    KeyCache() = default;
    KeyCache(const KeyCache&) = delete;
    KeyCache& operator=(const KeyCache&) = delete;

    // A str for the key text: the cached one, or a new one (cached unless its
    // probe run would be too long). Inline, as it runs once per mapping entry
    // loaded and mostly finds its key.
    PyRef get(std::string_view key) {
        if (key.size() > max_key_size) return str_from_utf8(key);
        const std::uint64_t hash = types::hash_text(key, 0);
        Slot* slot = find_slot(key, hash);
        if (slot != nullptr && slot->key) return PyRef::borrow(slot->key.get());
        return added(key, hash, slot);
    }
    // Lets go of every key object held.
    void clear();

private:
    static constexpr std::size_t max_key_size = 64;
    static constexpr std::size_t max_entries = std::size_t{1} << 12;
    // Slots held in the object itself: a conversion of one value (a plain copy,
    // a value stored) has few distinct keys, and a table of its own on the heap
    // would be one more allocation per call, of a size whose allocation makes
    // the allocator tidy up its small free blocks. The module's cache for its
    // loads outgrows them once and keeps its table.
    static constexpr std::size_t local_slots = 64;
    // Probes a lookup may take: a key whose probe would run longer is made
    // afresh and not kept, so that keys crafted to collide cost no more than
    // keys not cached at all.
    static constexpr std::size_t max_probes = 16;

    struct Slot {
        std::uint64_t hash = 0;
        PyRef key;  // empty for an empty slot
    };

    // The slot holding the key, or the empty slot where it would go; null when
    // the probe runs past its bound. A key found is ASCII: only ASCII keys are
    // kept, and their str data is the key text itself.
    Slot* find_slot(std::string_view key, std::uint64_t hash) {
        const std::size_t mask = size_ - 1;
        std::size_t i = hash & mask;
        for (std::size_t probes = 0; probes < max_probes; ++probes, i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.key) return &slot;
            PyObject* str = slot.key.get();
            if (slot.hash == hash && static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)) == key.size() &&
                std::memcmp(PyUnicode_1BYTE_DATA(str), key.data(), key.size()) == 0)
                return &slot;
        }
        return nullptr;
    }
    // A new str for a key not found, kept in `slot` (from find_slot) when the
    // key is ASCII.
    PyRef added(std::string_view key, std::uint64_t hash, Slot* slot);
    void grow();

    // Open addressing over `local_`, or over `heap_` once that outgrew it; a
    // power of two long.
    std::array<Slot, local_slots> local_;
    std::vector<Slot> heap_;
    Slot* slots_ = local_.data();
    std::size_t size_ = local_slots;
    std::size_t used_ = 0;
};

}  // namespace plovarn::convert_detail
