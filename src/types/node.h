#pragma once

// The native document tree: nodes, mapping entries, sequence items and the
// insertion-ordered mapping. Every level is a copy-on-write handle, so copying a
// node or a collection is O(1) and a change copies only the level it touches;
// outwardly copies behave as deep copies.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "types/cow.h"
#include "types/opt_text.h"
#include "types/scalar_value.h"

namespace plovarn::types {

struct YamlEntry;
struct YamlItem;
struct MapData;

// The sequence payload: a growable array of items in document order.
class ItemArray {
public:
    ItemArray() = default;
    explicit ItemArray(std::vector<YamlItem> items);

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    const YamlItem& operator[](std::size_t i) const;
    const YamlItem* begin() const;
    const YamlItem* end() const;

    YamlItem& at_mut(std::size_t i);
    void push_back(YamlItem item);
    void insert(std::size_t pos, YamlItem item);
    YamlItem remove(std::size_t pos);
    void reverse();
    void clear();
    void reserve(std::size_t n);
    // Whole-level write access, for reordering in place.
    std::vector<YamlItem>& items_mut();
    // All items, leaving the array empty.
    std::vector<YamlItem> take_all();

private:
    detail::Cow<std::vector<YamlItem>> items_;
};

// The tree mapping: text keys to entries, in insertion order, with a hash index.
class YamlMapping {
public:
    using Pair = std::pair<std::string, YamlEntry>;

    YamlMapping() = default;  // `new`: no entries, fresh hash seed on first insert

    // Appends a new key, or replaces the entry of an existing key in place and
    // hands back the old one (the stored key and its position stay).
    std::pair<std::size_t, std::optional<YamlEntry>> insert_full(std::string key, YamlEntry entry);
    std::optional<std::size_t> get_index_of(std::string_view key) const;
    // Removes a key; later entries move down one position.
    std::optional<Pair> shift_remove(std::string_view key);

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    const Pair& at(std::size_t i) const;
    YamlEntry& entry_mut(std::size_t i);
    const YamlEntry* find(std::string_view key) const;
    const Pair* begin() const;
    const Pair* end() const;

    void reserve(std::size_t n);
    // All pairs in index order, leaving the map empty.
    std::vector<Pair> take_all();

private:
    detail::Cow<MapData> data_;
};

struct NullNode {};

class YamlNode {
public:
    enum class Kind : std::uint8_t { Mapping, Sequence, Scalar, Null };

    YamlNode() : v_(std::in_place_index<3>) {}
    YamlNode(YamlMapping m) : v_(std::in_place_index<0>, std::move(m)) {}
    YamlNode(ItemArray s) : v_(std::in_place_index<1>, std::move(s)) {}
    YamlNode(ScalarValue s) : v_(std::in_place_index<2>, std::move(s)) {}
    static YamlNode null() { return YamlNode(); }

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool is_mapping() const { return kind() == Kind::Mapping; }
    bool is_sequence() const { return kind() == Kind::Sequence; }
    bool is_scalar() const { return kind() == Kind::Scalar; }
    bool is_null() const { return kind() == Kind::Null; }

    const YamlMapping& as_mapping() const { return std::get<0>(v_); }
    YamlMapping& as_mapping() { return std::get<0>(v_); }
    const ItemArray& as_sequence() const { return std::get<1>(v_); }
    ItemArray& as_sequence() { return std::get<1>(v_); }
    const ScalarValue& as_scalar() const { return std::get<2>(v_); }
    ScalarValue& as_scalar() { return std::get<2>(v_); }

private:
    std::variant<YamlMapping, ItemArray, ScalarValue, NullNode> v_;
};

// The value side of a mapping entry, and one sequence element: the comment lines
// above it, the comment at the end of its line, and the node.
struct YamlEntry {
    OptText comment_before;
    OptText comment_inline;
    YamlNode node;
};

struct YamlItem {
    OptText comment_before;
    OptText comment_inline;
    YamlNode node;
};

struct MapData {
    std::vector<YamlMapping::Pair> entries;
    // Open-addressing index of entry positions + 1 (0 = free slot); empty while the
    // map is small enough for a linear scan.
    std::vector<std::uint32_t> slots;
    std::uint64_t seed = 0;
};

// ---- inline operations ----

inline ItemArray::ItemArray(std::vector<YamlItem> items) : items_(std::move(items)) {}
inline std::size_t ItemArray::size() const { return items_.get() ? items_.get()->size() : 0; }
inline const YamlItem& ItemArray::operator[](std::size_t i) const { return (*items_.get())[i]; }
inline const YamlItem* ItemArray::begin() const { return items_.get() ? items_.get()->data() : nullptr; }
inline const YamlItem* ItemArray::end() const { return items_.get() ? items_.get()->data() + items_.get()->size() : nullptr; }
inline YamlItem& ItemArray::at_mut(std::size_t i) { return items_.mut()[i]; }
inline void ItemArray::push_back(YamlItem item) { items_.mut().push_back(std::move(item)); }
inline std::vector<YamlItem>& ItemArray::items_mut() { return items_.mut(); }
inline std::vector<YamlItem> ItemArray::take_all() { return items_.take(); }

inline std::size_t YamlMapping::size() const { return data_.get() ? data_.get()->entries.size() : 0; }
inline const YamlMapping::Pair& YamlMapping::at(std::size_t i) const { return data_.get()->entries[i]; }
inline YamlEntry& YamlMapping::entry_mut(std::size_t i) { return data_.mut().entries[i].second; }
inline const YamlMapping::Pair* YamlMapping::begin() const { return data_.get() ? data_.get()->entries.data() : nullptr; }
inline const YamlMapping::Pair* YamlMapping::end() const {
    return data_.get() ? data_.get()->entries.data() + data_.get()->entries.size() : nullptr;
}
inline const YamlEntry* YamlMapping::find(std::string_view key) const {
    auto i = get_index_of(key);
    return i ? &at(*i).second : nullptr;
}

// Deepest nesting of collections the reader builds and the module converts; keeps
// every recursive walk of a tree well inside the native stack.
inline constexpr std::size_t max_nesting_depth = 10000;

}  // namespace plovarn::types
