// Whatever the reader accepts, the writer renders as text that reads back to the
// same keys and values, and so does a second writing of what was read back.
// With PLOVARN_FUZZ_COMMENTS set in the environment, the writer's text must also
// hold as many comments as the input (when that has a document to keep them) and
// read back to the same comments: writing it again gives the same text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "comment_count.h"
#include "roundtrip_tree_equal.h"
#include "parser/parser.h"
#include "scanner/scanner.h"

namespace {

const bool check_comments = std::getenv("PLOVARN_FUZZ_COMMENTS") != nullptr;

[[noreturn]] void fail(const char* what, std::string_view detail, const std::string& written) {
    std::fprintf(stderr, "%s: %.*s\n--- written ---\n%s\n---\n", what, static_cast<int>(detail.size()),
                 detail.data(), written.c_str());
    __builtin_trap();
}

std::size_t entry_count(const plovarn::types::YamlNode& node) {
    std::size_t n = 0;
    if (node.is_mapping())
        for (const auto& [key, entry] : node.as_mapping()) n += 1 + entry_count(entry.node);
    else if (node.is_sequence())
        for (const auto& item : node.as_sequence()) n += entry_count(item.node);
    return n;
}

// The keys of all mappings in the text, as the parser reads them. A repeated key
// or a collection in key position leaves fewer entries in the tree than this, and
// the comments of the entry given up go with it.
std::size_t key_count(std::string_view text) {
    namespace ev = plovarn::parser::event;
    plovarn::parser::Parser parser(text);
    std::vector<char> at_key;  // per open collection: 1 for a mapping expecting a key, 2 for its value, 0 a sequence
    std::size_t keys = 0;
    auto node_read = [&] {
        if (at_key.empty() || at_key.back() == 0) return;
        if (at_key.back() == 1) ++keys;
        at_key.back() = at_key.back() == 1 ? 2 : 1;
    };
    for (;;) {
        auto next = parser.next_event();
        parser.comments().clear();
        if (!next) return keys;
        const auto& e = next->event;
        if (std::holds_alternative<ev::StreamEnd>(e)) return keys;
        if (std::holds_alternative<ev::Scalar>(e) || std::holds_alternative<ev::Alias>(e)) {
            node_read();
        } else if (std::holds_alternative<ev::MappingStart>(e) || std::holds_alternative<ev::SequenceStart>(e)) {
            node_read();
            at_key.push_back(std::holds_alternative<ev::MappingStart>(e) ? 1 : 0);
        } else if (std::holds_alternative<ev::MappingEnd>(e) || std::holds_alternative<ev::SequenceEnd>(e)) {
            if (!at_key.empty()) at_key.pop_back();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plovarn;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto first = builder::parse_str(text);
    if (!first) return 0;

    const std::string written = emitter::emit_docs(*first);
    auto second = builder::parse_str(written);
    if (!second) fail("written text does not read back", second.error(), written);

    roundtrip_test::CompareOptions values_only;
    values_only.comments = false;
    if (auto d = roundtrip_test::docs_diff(*first, *second, values_only); !d.empty())
        fail("values changed", d, written);

    if (check_comments) {
        if (auto d = roundtrip_test::docs_diff(*first, *second); !d.empty()) fail("comments moved", d, written);
        if (emitter::emit_docs(*second) != written) fail("second writing differs from the first", "", written);
        std::size_t entries = 0;
        for (const auto& doc : *first) entries += entry_count(doc);
        if (!first->empty() && entries == key_count(text) && comment_count(written) != comment_count(text))
            fail("comments were lost", std::to_string(comment_count(text)), written);
        return 0;
    }
    const std::string again = emitter::emit_docs(*second);
    auto third = builder::parse_str(again);
    if (!third) fail("second writing does not read back", third.error(), again);
    if (auto d = roundtrip_test::docs_diff(*second, *third, values_only); !d.empty())
        fail("values changed on the second round", d, again);
    return 0;
}
