// Heap retained by the trees of every corpus document, and what the trees hold:
// collections, entries, items, comments, text bytes, allocations by size.
// Usage: builder_retained_memory_bench [corpus-dir]
#include <malloc.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "builder/parse_str.h"
#include "corpus_files.h"

namespace fs = std::filesystem;
using namespace plovarn::types;

namespace {
bool counting = false;
std::size_t live_bytes = 0, live_count = 0;
std::map<std::size_t, std::size_t> by_size;  // usable size -> allocations made while counting
// Blocks allocated while counting and still live, in a table that allocates nothing.
constexpr std::size_t table_size = std::size_t{1} << 20;
void* live_ptr[table_size];
std::size_t live_size[table_size];
std::size_t slot_of(void* p) {
    std::size_t h = (reinterpret_cast<std::uintptr_t>(p) >> 4) * 0x9e3779b97f4a7c15ULL >> 44;
    while (live_ptr[h] && live_ptr[h] != p) h = (h + 1) & (table_size - 1);
    return h;
}
void forget(void* p) {
    std::size_t h = slot_of(p);
    if (!live_ptr[h]) return;
    // backward-shift deletion keeps probe chains intact
    live_ptr[h] = nullptr;
    for (std::size_t j = (h + 1) & (table_size - 1); live_ptr[j]; j = (j + 1) & (table_size - 1)) {
        void* q = live_ptr[j];
        std::size_t s = live_size[j];
        live_ptr[j] = nullptr;
        std::size_t k = slot_of(q);
        live_ptr[k] = q;
        live_size[k] = s;
    }
}
}  // namespace

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    if (counting) {
        counting = false;
        ++by_size[malloc_usable_size(p)];
        std::size_t h = slot_of(p);
        live_ptr[h] = p;
        live_size[h] = malloc_usable_size(p);
        counting = true;
    }
    live_bytes += malloc_usable_size(p);
    ++live_count;
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    forget(p);
    live_bytes -= malloc_usable_size(p);
    --live_count;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct Stats {
    std::size_t maps = 0, indexed_maps = 0, entries = 0, entry_capacity = 0, slot_bytes = 0;
    std::size_t seqs = 0, items = 0, item_capacity = 0;
    std::size_t scalars = 0, strs = 0, long_strs = 0, str_bytes = 0, nulls = 0;
    std::size_t keys = 0, long_keys = 0, key_bytes = 0;
    std::size_t comments = 0, comment_bytes = 0, comment_lines = 0;
};

void count_comment(Stats& s, const OptText& c) {
    if (!c) return;
    ++s.comments;
    s.comment_bytes += c->size();
    s.comment_lines += 1;
    for (char ch : *c) s.comment_lines += ch == '\n';
}

void walk(Stats& s, const YamlNode& n) {
    if (n.is_mapping()) {
        const YamlMapping& m = n.as_mapping();
        ++s.maps;
        s.entries += m.size();
        for (const auto& [k, e] : m) {
            ++s.keys;
            s.key_bytes += k.size();
            s.long_keys += k.size() > 15;
            count_comment(s, e.comment_before);
            count_comment(s, e.comment_inline);
            walk(s, e.node);
        }
    } else if (n.is_sequence()) {
        ++s.seqs;
        s.items += n.as_sequence().size();
        for (const auto& it : n.as_sequence()) {
            count_comment(s, it.comment_before);
            count_comment(s, it.comment_inline);
            walk(s, it.node);
        }
    } else if (n.is_scalar()) {
        ++s.scalars;
        if (n.as_scalar().is_str()) {
            ++s.strs;
            s.str_bytes += n.as_scalar().as_str().size();
            s.long_strs += n.as_scalar().as_str().size() > ScalarValue::inline_capacity;
        }
    } else {
        ++s.nulls;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? argv[1] : "../shared/corpus";
    const std::vector<std::string> texts = read_corpus(dir);
    std::vector<std::vector<YamlNode>> kept;
    kept.reserve(texts.size());
    const std::size_t bytes0 = live_bytes, count0 = live_count;
    const struct mallinfo2 before = mallinfo2();
    counting = true;
    std::size_t failures = 0;
    for (const std::string& t : texts) {
        auto docs = plovarn::builder::parse_str(t);
        if (!docs) {
            ++failures;
            continue;
        }
        kept.push_back(std::move(*docs));
    }
    counting = false;
    const struct mallinfo2 after = mallinfo2();
    Stats s;
    std::size_t docs = 0;
    for (const auto& f : kept)
        for (const auto& d : f) {
            ++docs;
            walk(s, d);
        }
    std::printf("%zu files (%zu failed), %zu documents\n", texts.size(), failures, docs);
    std::printf("retained: %zu bytes in %zu blocks (usable); mallinfo2 in use +%zu\n", live_bytes - bytes0,
                live_count - count0, after.uordblks - before.uordblks);
    std::printf("maps %zu entries %zu | seqs %zu items %zu | scalars %zu strs %zu (in blocks %zu, %zu B) nulls %zu\n",
                s.maps, s.entries, s.seqs, s.items, s.scalars, s.strs, s.long_strs, s.str_bytes, s.nulls);
    std::printf("keys %zu (past SSO %zu, %zu B) | comments %zu, %zu lines, %zu B\n", s.keys, s.long_keys,
                s.key_bytes, s.comments, s.comment_lines, s.comment_bytes);
    std::printf("sizeof node %zu entry %zu pair %zu item %zu scalar %zu opttext %zu\n", sizeof(YamlNode),
                sizeof(YamlEntry), sizeof(YamlMapping::Pair), sizeof(YamlItem), sizeof(ScalarValue),
                sizeof(OptText));
    std::map<std::size_t, std::size_t> live;
    for (std::size_t i = 0; i < table_size; ++i)
        if (live_ptr[i]) ++live[live_size[i]];
    std::printf("blocks still live, by usable size (count, bytes):\n");
    for (auto [size, n] : live) std::printf("  %6zu x %6zu = %8zu\n", size, n, size * n);
    return failures == 0 ? 0 : 2;
}
