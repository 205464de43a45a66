#pragma once

// Open collections on the builder's stack.

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "types/node.h"
#include "types/opt_text.h"

namespace plovarn::builder {

struct SequenceFrame {
    std::vector<types::YamlItem> items;
    // Comment lines taken when a nested collection started, for the item it becomes.
    types::OptText comment_before;
    // Anchor and tag written in front of the sequence.
    types::OptText anchor, tag;
};

struct MappingFrame {
    types::YamlMapping map;
    // The key read whose value is still to come, and the comments gathered for it.
    std::optional<types::KeyText> key;
    types::OptText comment_before;
    types::OptText comment_inline;
    // Position of the entry written last: a repeated key keeps its first position,
    // so this is not always the last entry.
    std::size_t last_written = 0;
    // Anchor and tag written in front of the mapping.
    types::OptText anchor, tag;
};

using Frame = std::variant<SequenceFrame, MappingFrame>;

}  // namespace plovarn::builder
