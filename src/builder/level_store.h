#pragma once

// Storage for the collections the builder fills. Each finished level is handed
// over at exactly its size, so that a loaded document holds no room to grow; the
// storage it grew in is kept and serves the next level opened, so that a level
// costs one allocation of its final size however it grew.

#include <utility>
#include <vector>

#include "types/node.h"

namespace plovarn::builder {

class LevelStore {
public:
    // Empty storage for a new level, grown by an earlier one where there is some.
    std::vector<types::YamlItem> items() { return take_spare(spare_items_); }
    types::YamlMapping map() { return take_spare(spare_maps_); }

    // The finished level at its exact size; the storage goes back to the store.
    types::ItemArray finish(std::vector<types::YamlItem>&& items) {
        types::ItemArray exact = types::ItemArray::exact_from(items);
        if (items.capacity() != 0) spare_items_.push_back(std::move(items));
        return exact;
    }
    types::YamlMapping finish(types::YamlMapping&& map) {
        types::YamlMapping exact = map.take_exact();
        if (map.capacity() != 0) spare_maps_.push_back(std::move(map));
        return exact;
    }

private:
    template <class Storage>
    static Storage take_spare(std::vector<Storage>& spares) {
        if (spares.empty()) return Storage();
        Storage storage = std::move(spares.back());
        spares.pop_back();
        return storage;
    }

    std::vector<std::vector<types::YamlItem>> spare_items_;
    std::vector<types::YamlMapping> spare_maps_;
};

}  // namespace plovarn::builder
