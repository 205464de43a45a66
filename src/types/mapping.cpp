// The insertion-ordered tree mapping: entries in an array, positions found by a
// seeded open-addressing index that is built only once the map outgrows a scan.

#include <atomic>
#include <cstring>
#include <iterator>
#include <random>

#include "types/node.h"

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

std::uint64_t hash_key(std::string_view key, std::uint64_t seed) {
    std::uint64_t h = seed ^ (key.size() * 0x9e3779b97f4a7c15ULL);
    const char* p = key.data();
    std::size_t n = key.size();
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ mix(w)) * 0xff51afd7ed558ccdULL;
        p += 8;
        n -= 8;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    h ^= mix(tail ^ (h >> 29));
    return mix(h);
}

// The seed is drawn when the map comes to need an index.
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
    std::size_t cap = 16;
    while (cap < d.entries.size() * 2) cap <<= 1;
    x.slots.assign(cap, 0);
    const std::size_t mask = cap - 1;
    for (std::size_t i = 0; i < d.entries.size(); ++i) {
        std::size_t s = hash_key(d.entries[i].first, x.seed) & mask;
        while (x.slots[s] != 0) s = (s + 1) & mask;
        x.slots[s] = static_cast<std::uint32_t>(i + 1);
    }
}

std::optional<std::size_t> lookup(const MapData& d, std::string_view key) {
    if (!d.index) {
        for (std::size_t i = 0; i < d.entries.size(); ++i)
            if (d.entries[i].first == key) return i;
        return std::nullopt;
    }
    const MapIndex& x = *d.index;
    const std::size_t mask = x.slots.size() - 1;
    for (std::size_t s = hash_key(key, x.seed) & mask;; s = (s + 1) & mask) {
        std::uint32_t slot = x.slots[s];
        if (slot == 0) return std::nullopt;
        if (d.entries[slot - 1].first == key) return slot - 1;
    }
}

// Records the last entry in the index, growing it when it gets half full.
void index_appended(MapData& d) {
    const std::size_t n = d.entries.size();
    if (n <= linear_scan_limit) return;
    if (!d.index || n * 2 > d.index->slots.size()) {
        rebuild_index(d);
        return;
    }
    MapIndex& x = *d.index;
    const std::size_t mask = x.slots.size() - 1;
    std::size_t s = hash_key(d.entries.back().first, x.seed) & mask;
    while (x.slots[s] != 0) s = (s + 1) & mask;
    x.slots[s] = static_cast<std::uint32_t>(n);
}

}  // namespace

std::optional<std::size_t> YamlMapping::get_index_of(std::string_view key) const {
    const MapData* d = data_.get();
    if (!d) return std::nullopt;
    return lookup(*d, key);
}

std::pair<std::size_t, std::optional<YamlEntry>> YamlMapping::insert_full(KeyText key, YamlEntry entry) {
    if (auto i = get_index_of(key)) {
        YamlEntry& slot = data_.mut().entries[*i].second;
        std::optional<YamlEntry> previous(std::move(slot));
        slot = std::move(entry);
        return {*i, std::move(previous)};
    }
    MapData& d = data_.mut();
    d.entries.emplace_back(std::move(key), std::move(entry));
    index_appended(d);
    return {d.entries.size() - 1, std::nullopt};
}

std::optional<YamlMapping::Pair> YamlMapping::shift_remove(std::string_view key) {
    auto i = get_index_of(key);
    if (!i) return std::nullopt;
    MapData& d = data_.mut();
    Pair out = std::move(d.entries[*i]);
    d.entries.erase(d.entries.begin() + static_cast<std::ptrdiff_t>(*i));
    rebuild_index(d);
    return out;
}

void YamlMapping::reserve(std::size_t n) { data_.mut().entries.reserve(n); }

std::vector<YamlMapping::Pair> YamlMapping::take_all() {
    if (data_.empty()) return {};
    if (!props()) {
        MapData d = data_.take();
        return std::move(d.entries);
    }
    MapData& d = data_.mut();
    d.index.reset();
    return std::exchange(d.entries, {});
}

YamlMapping YamlMapping::take_exact() {
    YamlMapping exact;
    if (data_.empty()) return exact;
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
