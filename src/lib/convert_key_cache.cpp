#include "lib/convert_key_cache.h"

#include "types/utf8.h"

namespace plovarn::convert_detail {

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

PyRef KeyCache::added(std::string_view key, std::uint64_t hash, Slot* slot) {
    if (!types::is_ascii(key)) return str_from_utf8(key);
    PyRef fresh = ascii_str(key);
    if (!fresh || slot == nullptr) return fresh;
    if (used_ >= max_entries) {
        clear();
        slot = find_slot(key, hash);
    } else if ((used_ + 1) * 2 > size_) {
        grow();
        slot = find_slot(key, hash);
        if (slot == nullptr) return fresh;
    }
    slot->hash = hash;
    slot->key = PyRef::borrow(fresh.get());
    ++used_;
    return fresh;
}

void KeyCache::clear() {
    for (Slot* slot = slots_; slot != slots_ + size_; ++slot) *slot = Slot();
    used_ = 0;
}

}  // namespace plovarn::convert_detail
