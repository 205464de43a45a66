// The reader hands over every level of its trees at exactly its size: a loaded
// document keeps no room to grow, whatever shape and order the levels came in.

#include <gtest/gtest.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "builder/parse_str.h"
#include "corpus_files.h"

namespace {

using plovarn::types::YamlNode;

// A level holds exactly its entries when its storage has no room for one more.
template <class Level>
bool exact(const Level& level) {
    if (level.empty()) return true;
    const auto* first = &*level.begin();
    return malloc_usable_size(const_cast<void*>(static_cast<const void*>(first))) < (level.size() + 1) * sizeof(*first);
}

// The number of levels of the tree that have room to spare.
std::size_t loose_levels(const YamlNode& root) {
    std::size_t loose = 0;
    std::vector<const YamlNode*> pending{&root};
    while (!pending.empty()) {
        const YamlNode* node = pending.back();
        pending.pop_back();
        if (node->is_mapping()) {
            loose += !exact(node->as_mapping());
            for (const auto& [key, entry] : node->as_mapping()) pending.push_back(&entry.node);
        } else if (node->is_sequence()) {
            loose += !exact(node->as_sequence());
            for (const auto& item : node->as_sequence()) pending.push_back(&item.node);
        }
    }
    return loose;
}

std::vector<YamlNode> read(const std::string& text) {
    auto docs = plovarn::builder::parse_str(text);
    EXPECT_TRUE(docs.has_value()) << text;
    return docs ? std::move(*docs) : std::vector<YamlNode>{};
}

// Mappings and sequences of every size up to past the point where a mapping
// gets an index, block and flow, nested both ways, with repeated keys, several
// documents, and levels of one size after levels of another.
TEST(ExactLevels, GeneratedShapes) {
    for (int n = 0; n <= 20; ++n) {
        std::string block_map, block_seq, flow_map = "{", flow_seq = "[", nested, repeated;
        for (int i = 0; i < n; ++i) {
            const std::string k = "k" + std::to_string(i);
            block_map += k + ": " + std::to_string(i) + "  # c\n";
            block_seq += "- " + std::to_string(i) + "\n";
            flow_map += (i ? ", " : "") + k + ": v";
            flow_seq += (i ? ", " : "") + std::to_string(i);
            nested += k + ":\n" + "  - {a: 1, b: [" + std::to_string(i) + "]}\n  - x\n";
            repeated += "k" + std::to_string(i % 3) + ": " + std::to_string(i) + "\n";
        }
        flow_map += "}\n";
        flow_seq += "]\n";
        const std::string texts[] = {block_map, block_seq, flow_map, flow_seq, nested, repeated,
                                     block_map + "---\n" + block_seq + "---\n" + nested};
        for (const std::string& text : texts)
            for (const YamlNode& doc : read(text)) EXPECT_EQ(loose_levels(doc), 0u) << text;
    }
}

TEST(ExactLevels, EveryCorpusFile) {
    const auto files = files_under(corpus_dir());
    if (files.empty()) GTEST_SKIP() << "no corpus at " << corpus_dir();
    std::size_t documents = 0;
    for (const auto& [path, text] : files) {
        auto docs = plovarn::builder::parse_str(text);
        if (!docs) continue;  // reading them is another test's matter
        for (const YamlNode& doc : *docs) {
            EXPECT_EQ(loose_levels(doc), 0u) << path;
            ++documents;
        }
    }
    EXPECT_GT(documents, 0u);
}

}  // namespace
