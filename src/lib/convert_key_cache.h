#pragma once

// Key objects shared within one conversion: a loaded document repeats the same few
// keys in many mappings, and one str per distinct key saves both the allocation
// and the hashing that dict insertion does for a fresh str.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lib/py_ref.h"

namespace plovarn::convert_detail {

class KeyCache {
public:
    // A str for the key text: the cached one, or a new one (cached when it fits).
    PyRef get(std::string_view key);

private:
    static constexpr std::size_t max_key_size = 64;
    static constexpr std::size_t max_entries = std::size_t{1} << 14;
    static constexpr std::size_t initial_slots = 256;
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

    std::vector<Slot> slots_;  // open addressing, a power of two long
    std::size_t used_ = 0;
};

}  // namespace plovarn::convert_detail
