// Sequence payload operations that are not inline.

#include <algorithm>
#include <iterator>
#include <utility>

#include "types/node.h"

namespace plovarn::types {

ItemArray ItemArray::exact_from(std::vector<YamlItem>& grown) {
    // Storage that is full already is handed over as it is, and none is kept.
    if (grown.capacity() == grown.size()) return ItemArray(std::exchange(grown, {}));
    // Built from a range of known length, the vector allocates exactly that.
    ItemArray exact(std::vector<YamlItem>(std::make_move_iterator(grown.begin()), std::make_move_iterator(grown.end())));
    grown.clear();
    return exact;
}

void ItemArray::insert(std::size_t pos, YamlItem item) {
    auto& items = data_.mut().items;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(pos, items.size())), std::move(item));
}

YamlItem ItemArray::remove(std::size_t pos) {
    auto& items = data_.mut().items;
    YamlItem out = std::move(items[pos]);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(pos));
    return out;
}

void ItemArray::reverse() {
    if (size() > 1) std::reverse(data_.mut().items.begin(), data_.mut().items.end());
}

void ItemArray::clear() {
    if (data_.empty()) return;
    if (props()) data_.mut().items.clear();
    else data_ = detail::Cow<SeqData>();
}

// Exact reservations, one element at a time, would copy the array on every call.
void ItemArray::reserve(std::size_t n) {
    auto& items = data_.mut().items;
    if (n > items.capacity()) items.reserve(std::max(n, 2 * items.capacity()));
}

std::vector<YamlItem> ItemArray::take_all() {
    if (data_.empty()) return {};
    if (!props()) return std::move(data_.take().items);
    return std::exchange(data_.mut().items, {});
}

void ItemArray::set_props(NodeProps props) {
    if (props.empty()) {
        if (this->props()) data_.mut().props = detail::Cow<NodeProps>();
        return;
    }
    data_.mut().props = detail::Cow<NodeProps>(std::move(props));
}

}  // namespace plovarn::types
