// Sequence payload operations that are not inline.

#include <algorithm>

#include "types/node.h"

namespace plovarn::types {

void ItemArray::insert(std::size_t pos, YamlItem item) {
    auto& items = items_.mut();
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(pos, items.size())), std::move(item));
}

YamlItem ItemArray::remove(std::size_t pos) {
    auto& items = items_.mut();
    YamlItem out = std::move(items[pos]);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(pos));
    return out;
}

void ItemArray::reverse() {
    if (size() > 1) std::reverse(items_.mut().begin(), items_.mut().end());
}

void ItemArray::clear() { items_ = detail::Cow<std::vector<YamlItem>>(); }

void ItemArray::reserve(std::size_t n) { items_.mut().reserve(n); }

}  // namespace plovarn::types
