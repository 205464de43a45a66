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
#include <string_view>
#include <vector>

#include "lib/py_ref.h"

namespace plovarn::convert_detail {

class KeyCache {
public:
    KeyCache() = default;
    KeyCache(const KeyCache&) = delete;
    KeyCache& operator=(const KeyCache&) = delete;

    // A str for the key text: the cached one, or a new one (cached unless its
    // probe run would be too long).
    PyRef get(std::string_view key);
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

    Slot* find_slot(std::string_view key, std::uint64_t hash);
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
