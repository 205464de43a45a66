// The insertion-ordered tree mapping: entries in an array, positions found by a
// seeded open-addressing index that is built only once the map outgrows a scan.
// An indexed map removes an entry by leaving a hole in its slot, taken out of the
// index by backward shifting; the holes are squeezed out in one pass when they
// outnumber the entries, when the index grows, or when the level is copied.

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <iterator>
#include <random>

#include "types/node.h"
#include "types/text_hash.h"

namespace plovarn::types {
namespace {

constexpr std::size_t linear_scan_limit = 8;

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 32;
    x *= 0xd6e8feb86659fd93ULL;
    x ^= x >> 32;
    x *= 0xd6e8feb86659fd93ULL;
    x ^= x >> 32;
    return x;
}

// A fresh seed per map: a per-process random base stepped by a counter.
std::uint64_t next_seed() {
    static const std::uint64_t base = [] {
        std::random_device rd;
        return (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
    }();
    static std::atomic<std::uint64_t> counter{0};
    return mix(base + 0x9e3779b97f4a7c15ULL * ++counter);
}

std::uint32_t hash_of(const MapIndex& x, std::string_view key) {
    return static_cast<std::uint32_t>(hash_text(key, x.seed));
}

void index_put(MapIndex& x, std::uint32_t hash, std::size_t slot) {
    const std::size_t mask = x.buckets.size() - 1;
    std::size_t b = hash & mask;
    while (x.buckets[b].entry != 0) b = (b + 1) & mask;
    x.buckets[b] = {static_cast<std::uint32_t>(slot + 1), hash};
}

// Buckets hold the low half of each key's hash, so probing rarely reads an
// entry and a table may be three quarters full: most indexed maps are small
// levels of a loaded file, where the table is most of what the index costs.
bool over_full(std::size_t entries, std::size_t buckets) { return entries * 4 > buckets * 3; }

std::size_t bucket_count_for(std::size_t entries) {
    std::size_t cap = 16;
    while (over_full(entries, cap)) cap <<= 1;
    return cap;
}

// Indexes every entry of a map without holes, the seed drawn when the map first
// comes to need an index. A map small enough for a scan drops its index.
void rebuild_index(MapData& d) {
    if (d.entries.size() <= linear_scan_limit) {
        d.index.reset();
        return;
    }
    if (!d.index) {
        d.index = std::make_unique<MapIndex>();
        d.index->seed = next_seed();
    }
    MapIndex& x = *d.index;
    x.buckets.assign(bucket_count_for(d.entries.size()), MapIndex::Bucket{});
    for (std::size_t i = 0; i < d.entries.size(); ++i) index_put(x, hash_of(x, d.entries[i].first), i);
}

// An index sized for `entries` entries, from the hashes it holds.
void grow_index(MapIndex& x, std::size_t entries) {
    std::vector<MapIndex::Bucket> old = std::exchange(x.buckets, {});
    x.buckets.assign(bucket_count_for(entries), MapIndex::Bucket{});
    for (const MapIndex::Bucket& b : old)
        if (b.entry != 0) index_put(x, b.hash, b.entry - 1);
}

// Moves the entries down over the holes, in order, and forgets the holes; the
// index still holds the old slots.
void squeeze_out_holes(MapData& d) {
    if (d.holes() == 0) return;
    const MapHoles& holes = *d.index->holes;
    std::size_t out = 0;
    for (std::size_t i = 0; i < d.entries.size(); ++i) {
        if (holes.at(i)) continue;
        if (out != i) d.entries[out] = std::move(d.entries[i]);
        ++out;
    }
    d.entries.erase(d.entries.begin() + static_cast<std::ptrdiff_t>(out), d.entries.end());
    d.index->holes.reset();
}

// Closes the holes in one pass over the entries and one over the index, whose
// buckets are renumbered in place: a slot moves down by the holes before it.
void close_holes_of(MapData& d) {
    if (d.holes() == 0) return;
    MapIndex& x = *d.index;
    const std::vector<std::uint64_t>& bits = x.holes->bits;
    std::vector<std::uint32_t> holes_before(bits.size());
    std::uint32_t count = 0;
    for (std::size_t w = 0; w < bits.size(); ++w) {
        holes_before[w] = count;
        count += static_cast<std::uint32_t>(std::popcount(bits[w]));
    }
    for (MapIndex::Bucket& b : x.buckets) {
        if (b.entry == 0) continue;
        const std::size_t slot = b.entry - 1;
        const std::uint64_t below = bits[slot >> 6] & ((std::uint64_t{1} << (slot & 63)) - 1);
        b.entry -= holes_before[slot >> 6] + static_cast<std::uint32_t>(std::popcount(below));
    }
    squeeze_out_holes(d);
    if (d.entries.size() <= linear_scan_limit) d.index.reset();
    else if (x.buckets.size() > 4 * bucket_count_for(d.entries.size())) grow_index(x, d.entries.size());
}

// Entry slot of a key in an indexed map, by the key's hash under its seed.
std::optional<std::size_t> lookup_hashed(const MapData& d, std::string_view key, std::uint32_t hash) {
    const MapIndex& x = *d.index;
    const std::size_t mask = x.buckets.size() - 1;
    for (std::size_t b = hash & mask;; b = (b + 1) & mask) {
        const MapIndex::Bucket& bucket = x.buckets[b];
        if (bucket.entry == 0) return std::nullopt;
        if (bucket.hash == hash && d.entries[bucket.entry - 1].first == key) return bucket.entry - 1;
    }
}

// Entry slot of a key.
std::optional<std::size_t> lookup(const MapData& d, std::string_view key) {
    if (!d.index) {
        for (std::size_t i = 0; i < d.entries.size(); ++i)
            if (d.entries[i].first == key) return i;
        return std::nullopt;
    }
    return lookup_hashed(d, key, hash_of(*d.index, key));
}

const std::vector<std::uint32_t>& live_slots(const MapData& d) {
    const MapHoles& holes = *d.index->holes;
    if (!holes.live_current) {
        holes.live.clear();
        holes.live.reserve(d.entries.size() - holes.count);
        for (std::size_t i = 0; i < d.entries.size(); ++i)
            if (!holes.at(i)) holes.live.push_back(static_cast<std::uint32_t>(i));
        holes.live_current = true;
    }
    return holes.live;
}

// Position of the entry in a slot: the slot itself unless holes come before it.
std::size_t position_of(const MapData& d, std::size_t slot) {
    if (d.holes() == 0) return slot;
    const auto& live = live_slots(d);
    return static_cast<std::size_t>(std::lower_bound(live.begin(), live.end(), slot) - live.begin());
}

// Records the last entry slot in the index, growing it when it gets three
// quarters full (closing any holes on the way, as that pass is O(n) anyway).
// `hash` is the last key's under the index's seed, where the map had an index.
void index_appended(MapData& d, std::uint32_t hash) {
    const std::size_t n = d.entries.size();
    if (!d.index) {
        if (n > linear_scan_limit) rebuild_index(d);
        return;
    }
    MapIndex& x = *d.index;
    if (MapHoles* holes = x.holes.get()) {
        if (holes->bits.size() * 64 < n) holes->bits.push_back(0);
        if (holes->live_current) holes->live.push_back(static_cast<std::uint32_t>(n - 1));
    }
    if (over_full(n, x.buckets.size())) {
        // The new entry is not indexed yet; closing holes leaves it last.
        close_holes_of(d);
        if (!d.index) return;
        if (over_full(d.entries.size(), d.index->buckets.size())) grow_index(*d.index, d.entries.size());
    }
    index_put(*d.index, hash, d.entries.size() - 1);
}

// Takes an entry slot out of the index. Later members of its probe run move back
// into the gap where their home bucket allows, so lookups need no markers.
void index_erase(MapData& d, std::size_t slot) {
    MapIndex& x = *d.index;
    const std::size_t mask = x.buckets.size() - 1;
    std::size_t gap = hash_of(x, d.entries[slot].first) & mask;
    while (x.buckets[gap].entry != slot + 1) gap = (gap + 1) & mask;
    for (std::size_t j = (gap + 1) & mask; x.buckets[j].entry != 0; j = (j + 1) & mask) {
        const std::size_t home = x.buckets[j].hash & mask;
        if (((j - home) & mask) >= ((j - gap) & mask)) {
            x.buckets[gap] = x.buckets[j];
            gap = j;
        }
    }
    x.buckets[gap] = MapIndex::Bucket{};
}

// Removes the entry in a slot of an indexed map: the last slot goes, with any
// holes before it; any other becomes a hole. Holes are closed once they
// outnumber the entries, so each removal costs O(1) amortised.
YamlMapping::Pair remove_indexed(MapData& d, std::size_t slot) {
    index_erase(d, slot);
    YamlMapping::Pair out = std::move(d.entries[slot]);
    std::unique_ptr<MapHoles>& holes = d.index->holes;
    if (slot + 1 == d.entries.size()) {
        d.entries.pop_back();
        if (holes && holes->live_current) holes->live.pop_back();
        while (holes && holes->at(d.entries.size() - 1)) {
            d.entries.pop_back();
            const std::size_t last = d.entries.size();
            holes->bits[last >> 6] &= ~(std::uint64_t{1} << (last & 63));
            if (--holes->count == 0) holes.reset();
        }
        return out;
    }
    d.entries[slot] = YamlMapping::Pair();
    if (!holes) {
        holes = std::make_unique<MapHoles>();
        holes->bits.assign((d.entries.size() + 63) / 64, 0);
    }
    holes->bits[slot >> 6] |= std::uint64_t{1} << (slot & 63);
    ++holes->count;
    holes->live_current = false;
    if (holes->count * 2 > d.entries.size()) close_holes_of(d);
    return out;
}

// Slot of a key in a level about to be changed. A shared level is copied first,
// and the copy has no holes, so the key is looked up again there.
std::optional<std::size_t> slot_for_change(detail::Cow<MapData>& data, std::string_view key) {
    const MapData* d = data.get();
    if (!d) return std::nullopt;
    auto slot = lookup(*d, key);
    if (slot && data.shared()) slot = lookup(data.mut(), key);
    return slot;
}

}  // namespace

MapData::MapData(const MapData& other) : props(other.props) {
    if (other.holes() == 0) {
        entries = other.entries;
        if (other.index) {
            index = std::make_unique<MapIndex>();
            index->seed = other.index->seed;
            index->buckets = other.index->buckets;
        }
        return;
    }
    entries.reserve(other.entries.size() - other.holes());
    const MapHoles& holes = *other.index->holes;
    for (std::size_t i = 0; i < other.entries.size(); ++i)
        if (!holes.at(i)) entries.push_back(other.entries[i]);
    index = std::make_unique<MapIndex>();
    index->seed = other.index->seed;
    rebuild_index(*this);
}

std::size_t YamlMapping::slot_of(const MapData& d, std::size_t i) { return live_slots(d)[i]; }

void YamlMapping::close_holes() {
    const MapData* d = data_.get();
    if (d && d->holes() != 0) close_holes_of(data_.mut());
}

std::optional<std::size_t> YamlMapping::get_index_of(std::string_view key) const {
    const MapData* d = data_.get();
    if (!d) return std::nullopt;
    auto slot = lookup(*d, key);
    if (!slot) return std::nullopt;
    return position_of(*d, *slot);
}

const YamlEntry* YamlMapping::find(std::string_view key) const {
    const MapData* d = data_.get();
    if (!d) return nullptr;
    auto slot = lookup(*d, key);
    return slot ? &d->entries[*slot].second : nullptr;
}

YamlEntry* YamlMapping::find_mut(std::string_view key) {
    const auto slot = slot_for_change(data_, key);
    return slot ? &data_.mut().entries[*slot].second : nullptr;
}

void YamlMapping::prefetch_indexed(std::string_view key) const {
    const MapIndex& x = *data_.get()->index;
    __builtin_prefetch(&x.buckets[hash_of(x, key) & (x.buckets.size() - 1)]);
}

std::pair<std::size_t, std::optional<YamlEntry>> YamlMapping::insert_full(KeyText key, YamlEntry entry) {
    MapData& d = data_.mut();
    // An indexed map hashes the key once, for the lookup and for the index.
    const std::uint32_t hash = d.index ? hash_of(*d.index, key) : 0;
    if (auto slot = d.index ? lookup_hashed(d, key, hash) : lookup(d, key)) {
        YamlEntry& stored = d.entries[*slot].second;
        std::optional<YamlEntry> previous(std::move(stored));
        stored = std::move(entry);
        return {position_of(d, *slot), std::move(previous)};
    }
    d.entries.emplace_back(std::move(key), std::move(entry));
    index_appended(d, hash);
    return {d.entries.size() - d.holes() - 1, std::nullopt};
}

std::optional<YamlMapping::Pair> YamlMapping::shift_remove(std::string_view key) {
    const auto found = slot_for_change(data_, key);
    if (!found) return std::nullopt;
    MapData& d = data_.mut();
    const std::size_t slot = *found;
    if (d.index) return remove_indexed(d, slot);
    Pair out = std::move(d.entries[slot]);
    d.entries.erase(d.entries.begin() + static_cast<std::ptrdiff_t>(slot));
    return out;
}

void YamlMapping::reserve(std::size_t n) {
    MapData& d = data_.mut();
    n += d.holes();
    if (n > d.entries.capacity()) d.entries.reserve(std::max(n, 2 * d.entries.capacity()));
}

std::vector<YamlMapping::Pair> YamlMapping::take_all() {
    if (data_.empty()) return {};
    if (!props()) {
        MapData d = data_.take();
        squeeze_out_holes(d);
        return std::move(d.entries);
    }
    MapData& d = data_.mut();
    squeeze_out_holes(d);
    d.index.reset();
    return std::exchange(d.entries, {});
}

YamlMapping YamlMapping::take_exact() {
    YamlMapping exact;
    if (data_.empty()) return exact;
    close_holes();  // so that the entries are exactly the slots
    MapData& d = data_.mut();
    if (d.entries.empty() && d.props.empty()) return exact;
    // Storage that is full already is handed over as it is, and none is kept.
    if (d.entries.capacity() == d.entries.size()) {
        exact.data_ = std::move(data_);
        return exact;
    }
    MapData& out = exact.data_.mut();
    // Built from a range of known length, the vector allocates exactly that.
    out.entries = std::vector<Pair>(std::make_move_iterator(d.entries.begin()), std::make_move_iterator(d.entries.end()));
    out.index = std::move(d.index);  // the positions stay as they were
    out.props = std::move(d.props);
    d.entries.clear();
    return exact;
}

void YamlMapping::set_props(NodeProps props) {
    if (props.empty()) {
        if (this->props()) data_.mut().props = detail::Cow<NodeProps>();
        return;
    }
    data_.mut().props = detail::Cow<NodeProps>(std::move(props));
}

}  // namespace plovarn::types
