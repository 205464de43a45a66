#pragma once

// The native document tree: nodes, mapping entries, sequence items and the
// insertion-ordered mapping. Every level is a copy-on-write handle, so copying a
// node or a collection is O(1) and a change copies only the level it touches;
// outwardly copies behave as deep copies.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "types/cow.h"
#include "types/key_text.h"
#include "types/opt_text.h"
#include "types/scalar_value.h"
#include "types/source_form.h"

namespace plovarn::types {

struct YamlEntry;
using YamlItem = YamlEntry;
struct MapData;
struct SeqData;
class YamlNode;

namespace detail {
// What an alias stands for: its name and, when the reader had finished the node
// its anchor named, a copy of that node (sharing its levels); for an anchor on a
// key, the key and its text as a scalar. Copies of the alias share one of these.
struct AliasOf {
    std::size_t refs = 1;
};
AliasOf* alias_of_new(std::string_view name, const YamlNode* target, const KeyText* key);
inline void alias_of_retain(AliasOf* a) noexcept { ++a->refs; }
void alias_of_delete(AliasOf* a) noexcept;
inline void alias_of_release(AliasOf* a) noexcept {
    if (--a->refs == 0) alias_of_delete(a);
}
std::string_view alias_of_name(const AliasOf* a) noexcept;
const YamlNode* alias_of_target(const AliasOf* a) noexcept;
const KeyText* alias_of_key(const AliasOf* a) noexcept;
}  // namespace detail

// The sequence payload: a growable array of items in document order.
class ItemArray {
public:
    ItemArray() = default;
    explicit ItemArray(std::vector<YamlItem> items);
    // A new array of the items, allocated at exactly their number; `grown` is
    // left empty and keeps its storage, if it had room to spare, for building
    // the next level in.
    static ItemArray exact_from(std::vector<YamlItem>& grown);

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
    // All items, leaving the array empty; its anchor and tag stay.
    std::vector<YamlItem> take_all();

    // Anchor and tag written in front of the sequence; null when it has none.
    const NodeProps* props() const;
    void set_props(NodeProps props);

    // Whether both are handles on one stored level, which neither has changed
    // since it was shared: then they read the same in every respect.
    bool same_storage(const ItemArray& other) const { return data_.get() == other.data_.get(); }

private:
    detail::Cow<SeqData> data_;
};

// The tree mapping: text keys to entries, in insertion order, with a hash index.
// Removing a key costs O(1) amortised: a large map leaves a hole where the entry
// stood and closes its holes in one pass once they outnumber the entries.
// Positions, iteration and the index returned by insert_full count entries only,
// never holes, so callers see a dense array; no const operation moves an entry.
class YamlMapping {
public:
    using Pair = std::pair<KeyText, YamlEntry>;
    class Iterator;

    YamlMapping() = default;  // `new`: no entries; a hash seed is drawn once an index is needed

    // Appends a new key, or replaces the entry of an existing key in place and
    // hands back the old one (the stored key and its position stay).
    std::pair<std::size_t, std::optional<YamlEntry>> insert_full(KeyText key, YamlEntry entry);
    std::optional<std::size_t> get_index_of(std::string_view key) const;
    // Starts loading the index bucket where a lookup of the key begins, for a
    // reader that inserts the key only after reading its value: in a map too
    // large for the caches, the insertion then finds the bucket at hand.
    void prefetch(std::string_view key) const;
    // Removes a key; later entries move down one position.
    std::optional<Pair> shift_remove(std::string_view key);

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    // Entry at a position. The first positional access after a removal from a
    // map with holes numbers the entries once (O(n)); later ones are O(1).
    const Pair& at(std::size_t i) const;
    YamlEntry& entry_mut(std::size_t i);
    // Entry of a key, or null; O(1) whatever was removed before.
    const YamlEntry* find(std::string_view key) const;
    YamlEntry* find_mut(std::string_view key);
    Iterator begin() const;
    Iterator end() const;

    // Room for n entries; repeated small reservations keep growth geometric.
    void reserve(std::size_t n);
    // Entries the map has storage for.
    std::size_t capacity() const;
    // All pairs in index order, leaving the map empty; its anchor and tag stay.
    std::vector<Pair> take_all();
    // The entries, their index and the anchor and tag, moved into a new map whose
    // entries are allocated at exactly their number. This map is left empty and
    // keeps the storage of its entries, if it had room to spare, for building
    // the next map in.
    YamlMapping take_exact();

    // Anchor and tag written in front of the mapping; null when it has none.
    const NodeProps* props() const;
    void set_props(NodeProps props);

    // Whether both are handles on one stored level, which neither has changed
    // since it was shared: then they read the same in every respect.
    bool same_storage(const YamlMapping& other) const { return data_.get() == other.data_.get(); }

private:
    void prefetch_indexed(std::string_view key) const;
    // The slot of the entry at position i of a map that has holes.
    static std::size_t slot_of(const MapData& d, std::size_t i);
    void close_holes();
    detail::Cow<MapData> data_;
};

struct NullNode {};

// Sixteen bytes: the alternative lives in place, and which one it is is told by
// the last byte, which a Scalar's own kind and style occupy (below 0x80) and the
// others mark with a tag of their own. Every entry and item of a tree holds one
// node. The Null alternative stands where the text had an alias, and keeps the
// alias name, and the node it named, so that the writer can give either back.
class YamlNode {
public:
    enum class Kind : std::uint8_t { Mapping, Sequence, Scalar, Null };

    YamlNode() noexcept {
        put_alias(nullptr);
        set_tag(Kind::Null);
    }
    YamlNode(YamlMapping m) noexcept {
        new (storage_) YamlMapping(std::move(m));
        set_tag(Kind::Mapping);
    }
    YamlNode(ItemArray s) noexcept {
        new (storage_) ItemArray(std::move(s));
        set_tag(Kind::Sequence);
    }
    YamlNode(ScalarValue s) noexcept { new (storage_) ScalarValue(std::move(s)); }
    YamlNode(const YamlNode& other) { construct_from(other); }
    YamlNode(YamlNode&& other) noexcept { construct_from(std::move(other)); }
    YamlNode& operator=(const YamlNode& other) {
        if (this != &other) *this = YamlNode(other);
        return *this;
    }
    YamlNode& operator=(YamlNode&& other) noexcept {
        if (this != &other) {
            destroy();
            construct_from(std::move(other));
        }
        return *this;
    }
    ~YamlNode() { destroy(); }
    static YamlNode null() { return YamlNode(); }
    // `target`: the node the alias's anchor named, if the reader had finished it;
    // `key`: the key that carried the anchor, when `target` is its text.
    static YamlNode alias(std::string_view name, const YamlNode* target = nullptr, const KeyText* key = nullptr) {
        YamlNode n;
        if (!name.empty()) n.put_alias(detail::alias_of_new(name, target, key));
        return n;
    }

    Kind kind() const noexcept {
        const unsigned char tag = storage_[tag_byte];
        return tag < other_tag ? Kind::Scalar : static_cast<Kind>(tag - other_tag);
    }
    bool is_mapping() const { return kind() == Kind::Mapping; }
    bool is_sequence() const { return kind() == Kind::Sequence; }
    bool is_scalar() const { return kind() == Kind::Scalar; }
    bool is_null() const { return kind() == Kind::Null; }
    // Both are collections held in one stored level (see YamlMapping::same_storage).
    bool same_storage(const YamlNode& other) const {
        if (kind() != other.kind()) return false;
        if (is_mapping()) return as_mapping().same_storage(other.as_mapping());
        return is_sequence() && as_sequence().same_storage(other.as_sequence());
    }

    // Access to the alternative that kind() names.
    const YamlMapping& as_mapping() const { return *std::launder(reinterpret_cast<const YamlMapping*>(storage_)); }
    YamlMapping& as_mapping() { return *std::launder(reinterpret_cast<YamlMapping*>(storage_)); }
    const ItemArray& as_sequence() const { return *std::launder(reinterpret_cast<const ItemArray*>(storage_)); }
    ItemArray& as_sequence() { return *std::launder(reinterpret_cast<ItemArray*>(storage_)); }
    const ScalarValue& as_scalar() const { return *std::launder(reinterpret_cast<const ScalarValue*>(storage_)); }
    ScalarValue& as_scalar() { return *std::launder(reinterpret_cast<ScalarValue*>(storage_)); }
    // The name of the alias a Null node stands for; empty for a plain null.
    std::string_view alias_name() const {
        const detail::AliasOf* a = alias_block();
        return a ? detail::alias_of_name(a) : std::string_view();
    }
    // The node that the alias a Null node stands for named when it was read; null
    // for a plain null and where the reader had not finished that node.
    const YamlNode* alias_target() const {
        const detail::AliasOf* a = alias_block();
        return a ? detail::alias_of_target(a) : nullptr;
    }
    // The key whose anchor that alias named; null for any other alias.
    const KeyText* alias_key() const {
        const detail::AliasOf* a = alias_block();
        return a ? detail::alias_of_key(a) : nullptr;
    }

private:
    static constexpr std::size_t tag_byte = 15;
    static constexpr unsigned char other_tag = 0x80;  // plus Kind, for the non-scalar kinds
    static_assert(sizeof(ScalarValue) == 16 && alignof(ScalarValue) <= 8);
    static_assert(sizeof(YamlMapping) <= tag_byte && sizeof(ItemArray) <= tag_byte);

    void set_tag(Kind k) noexcept { storage_[tag_byte] = static_cast<unsigned char>(other_tag + static_cast<unsigned>(k)); }
    // A Null node keeps what its alias stands for in one shared box, or none.
    detail::AliasOf* alias_block() const noexcept {
        detail::AliasOf* block;
        std::memcpy(&block, storage_, sizeof block);
        return block;
    }
    void put_alias(detail::AliasOf* block) noexcept { std::memcpy(storage_, &block, sizeof block); }
    void construct_from(const YamlNode& other) {
        switch (other.kind()) {
            case Kind::Mapping: new (storage_) YamlMapping(other.as_mapping()); break;
            case Kind::Sequence: new (storage_) ItemArray(other.as_sequence()); break;
            case Kind::Scalar: new (storage_) ScalarValue(other.as_scalar()); return;
            case Kind::Null: {
                detail::AliasOf* block = other.alias_block();
                if (block) detail::alias_of_retain(block);
                put_alias(block);
                break;
            }
        }
        set_tag(other.kind());
    }
    void construct_from(YamlNode&& other) noexcept {
        switch (other.kind()) {
            case Kind::Mapping: new (storage_) YamlMapping(std::move(other.as_mapping())); break;
            case Kind::Sequence: new (storage_) ItemArray(std::move(other.as_sequence())); break;
            case Kind::Scalar: new (storage_) ScalarValue(std::move(other.as_scalar())); return;
            case Kind::Null:
                put_alias(other.alias_block());
                other.put_alias(nullptr);
                break;
        }
        set_tag(other.kind());
    }
    void destroy() noexcept {
        switch (kind()) {
            case Kind::Mapping: as_mapping().~YamlMapping(); break;
            case Kind::Sequence: as_sequence().~ItemArray(); break;
            case Kind::Scalar: as_scalar().~ScalarValue(); break;
            case Kind::Null:
                if (detail::AliasOf* block = alias_block()) detail::alias_of_release(block);
                break;
        }
        put_alias(nullptr);
        set_tag(Kind::Null);
    }

    alignas(8) unsigned char storage_[16];
};

// The value side of a mapping entry, and one sequence element (YamlItem names the
// same type): the comment lines above it, the comment at the end of its line, and
// the node.
struct YamlEntry {
    OptText comment_before;
    OptText comment_inline;
    YamlNode node;
};

// Where removals left holes among the entry slots of an indexed map.
struct MapHoles {
    std::size_t count = 0;
    // One bit per entry slot, set for a hole.
    std::vector<std::uint64_t> bits;
    // The slots of the entries in order, for positional access: made by the first
    // such access after a removal, kept by appends.
    mutable std::vector<std::uint32_t> live;
    mutable bool live_current = false;

    bool at(std::size_t slot) const { return (bits[slot >> 6] >> (slot & 63) & 1) != 0; }
};

// Open-addressing index: each bucket holds an entry slot + 1 (0 = free) and the
// low half of its key's hash, so that probing and removal compare and move
// buckets without reading the entries. Only an indexed map has holes.
struct MapIndex {
    struct Bucket {
        std::uint32_t entry = 0;
        std::uint32_t hash = 0;
    };
    std::uint64_t seed = 0;
    std::vector<Bucket> buckets;
    std::unique_ptr<MapHoles> holes;  // null while there are none
};

struct MapData {
    // Entry slots in order; while the index counts holes, some are empty pairs.
    std::vector<YamlMapping::Pair> entries;
    // Only maps too large for a linear scan have an index; most maps are small, so
    // it costs them one pointer.
    std::unique_ptr<MapIndex> index;
    detail::Cow<NodeProps> props;

    MapData() = default;
    // A copy has no holes: copying a level is O(n) anyway, so it closes them.
    MapData(const MapData& other);
    MapData(MapData&&) noexcept = default;
    MapData& operator=(const MapData& other) {
        if (this != &other) *this = MapData(other);
        return *this;
    }
    MapData& operator=(MapData&&) noexcept = default;

    std::size_t holes() const { return index && index->holes ? index->holes->count : 0; }
};

// Walks the entries of a mapping in order, stepping over holes.
class YamlMapping::Iterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Pair;
    using difference_type = std::ptrdiff_t;
    using pointer = const Pair*;
    using reference = const Pair&;

    Iterator() = default;
    Iterator(const Pair* at, const MapData* data) : at_(at), data_(data) { skip_holes(); }

    reference operator*() const { return *at_; }
    pointer operator->() const { return at_; }
    Iterator& operator++() {
        ++at_;
        skip_holes();
        return *this;
    }
    Iterator operator++(int) {
        Iterator before = *this;
        ++*this;
        return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.at_ == b.at_; }

private:
    void skip_holes() {
        if (data_ == nullptr || data_->holes() == 0) return;
        const Pair* base = data_->entries.data();
        const Pair* stop = base + data_->entries.size();
        const MapHoles& holes = *data_->index->holes;
        while (at_ != stop && holes.at(static_cast<std::size_t>(at_ - base))) ++at_;
    }

    const Pair* at_ = nullptr;
    const MapData* data_ = nullptr;  // null for a map without holes
};

struct SeqData {
    std::vector<YamlItem> items;
    detail::Cow<NodeProps> props;
};

// ---- inline operations ----

// An empty sequence holds no storage at all.
inline ItemArray::ItemArray(std::vector<YamlItem> items) {
    if (!items.empty()) data_ = detail::Cow<SeqData>(SeqData{std::move(items), {}});
}
inline std::size_t ItemArray::size() const { return data_.get() ? data_.get()->items.size() : 0; }
inline const YamlItem& ItemArray::operator[](std::size_t i) const { return data_.get()->items[i]; }
inline const YamlItem* ItemArray::begin() const { return data_.get() ? data_.get()->items.data() : nullptr; }
inline const YamlItem* ItemArray::end() const {
    return data_.get() ? data_.get()->items.data() + data_.get()->items.size() : nullptr;
}
inline YamlItem& ItemArray::at_mut(std::size_t i) { return data_.mut().items[i]; }
inline void ItemArray::push_back(YamlItem item) { data_.mut().items.push_back(std::move(item)); }
inline std::vector<YamlItem>& ItemArray::items_mut() { return data_.mut().items; }
inline const NodeProps* ItemArray::props() const { return data_.get() ? data_.get()->props.get() : nullptr; }
inline const NodeProps* YamlMapping::props() const { return data_.get() ? data_.get()->props.get() : nullptr; }
inline void YamlMapping::prefetch(std::string_view key) const {
    // Maps small enough for a scan, most of them, have no index to warm.
    if (data_.get() && data_.get()->index) prefetch_indexed(key);
}

inline std::size_t YamlMapping::capacity() const { return data_.get() ? data_.get()->entries.capacity() : 0; }
inline std::size_t YamlMapping::size() const {
    const MapData* d = data_.get();
    return d ? d->entries.size() - d->holes() : 0;
}
inline const YamlMapping::Pair& YamlMapping::at(std::size_t i) const {
    const MapData& d = *data_.get();
    return d.entries[d.holes() == 0 ? i : slot_of(d, i)];
}
inline YamlEntry& YamlMapping::entry_mut(std::size_t i) {
    MapData& d = data_.mut();
    return d.entries[d.holes() == 0 ? i : slot_of(d, i)].second;
}
inline YamlMapping::Iterator YamlMapping::begin() const {
    const MapData* d = data_.get();
    if (!d) return Iterator();
    return Iterator(d->entries.data(), d->holes() == 0 ? nullptr : d);
}
inline YamlMapping::Iterator YamlMapping::end() const {
    const MapData* d = data_.get();
    return d ? Iterator(d->entries.data() + d->entries.size(), nullptr) : Iterator();
}

// Stores `next` in `slot`, unless both are scalars of the same value, or `slot` is
// an alias and `next` the null it loads as: then the stored one stays, with the
// form it was written in. A program that assigns a value back unchanged does not
// change how it is written. A scalar document that carries comments of its own is
// stored whatever its value, so that they travel with it.
inline void replace_value(YamlNode& slot, YamlNode next) {
    if (next.is_scalar()) {
        const ScalarValue& v = next.as_scalar();
        if (v.props() && v.props()->has_comments()) {
            slot = std::move(next);
            return;
        }
        if (slot.is_scalar() && slot.as_scalar().same_value(v)) return;
        if (slot.is_null() && v.is_null()) return;
    }
    slot = std::move(next);
}

// The anchor, tag and document comments of a scalar or a collection; null when
// it has none. Asked of every node written, so it is inline.
inline const NodeProps* props_of(const YamlNode& node) {
    switch (node.kind()) {
        case YamlNode::Kind::Scalar: return node.as_scalar().props();
        case YamlNode::Kind::Mapping: return node.as_mapping().props();
        case YamlNode::Kind::Sequence: return node.as_sequence().props();
        case YamlNode::Kind::Null: break;
    }
    return nullptr;
}

// Replaces the anchor, tag and document comments of a scalar or a collection; a
// null node has nowhere to keep them.
inline void set_props_of(YamlNode& node, NodeProps props) {
    switch (node.kind()) {
        case YamlNode::Kind::Scalar: node.as_scalar().set_props(std::move(props)); break;
        case YamlNode::Kind::Mapping: node.as_mapping().set_props(std::move(props)); break;
        case YamlNode::Kind::Sequence: node.as_sequence().set_props(std::move(props)); break;
        case YamlNode::Kind::Null: break;
    }
}

// Deepest nesting of collections the reader builds and the module converts; keeps
// every recursive walk of a tree well inside the native stack.
inline constexpr std::size_t max_nesting_depth = 10000;

}  // namespace plovarn::types
