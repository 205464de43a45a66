// Trimming a finished tree: the builder grows every level by doubling, which
// leaves a loaded document holding up to twice the entries it has.

#include <vector>

#include "types/node.h"

namespace plovarn::types {

void trim_capacity(YamlNode& root) {
    // Iterative, so that the deepest tree needs no native stack in proportion to
    // its depth. A shared level is left alone: trimming would clone it.
    std::vector<YamlNode*> pending{&root};
    while (!pending.empty()) {
        YamlNode* node = pending.back();
        pending.pop_back();
        if (node->is_mapping()) {
            auto& data = node->as_mapping().data_;
            if (data.empty() || data.shared()) continue;
            node->as_mapping().close_holes();
            auto& entries = data.mut().entries;
            entries.shrink_to_fit();
            for (auto& pair : entries)
                if (pair.second.node.is_mapping() || pair.second.node.is_sequence()) pending.push_back(&pair.second.node);
        } else if (node->is_sequence()) {
            auto& data = node->as_sequence().data_;
            if (data.empty() || data.shared()) continue;
            auto& items = data.mut().items;
            items.shrink_to_fit();
            for (auto& item : items)
                if (item.node.is_mapping() || item.node.is_sequence()) pending.push_back(&item.node);
        }
    }
}

}  // namespace plovarn::types
