#pragma once

// Anchors, tags and aliases written back in front of the nodes that carry them.
// Within one document an anchor name is written once, and an alias is written as
// such only after its anchor; otherwise it stands as its value, null, so that the
// output always reads back.

#include <string>
#include <string_view>
#include <unordered_set>

#include "types/node.h"

namespace plovarn::emitter {

class DocumentAnchors {
public:
    bool written(std::string_view name) const { return names_.contains(std::string(name)); }
    // Records `name`; false when it was written before.
    bool add(std::string_view name) { return names_.emplace(name).second; }

private:
    std::unordered_set<std::string> names_;
};

// The anchor and tag (and document comments) of a scalar or a collection; null
// when it has none. Asked of every node written, so it is inline.
inline const types::NodeProps* props_of(const types::YamlNode& node) {
    switch (node.kind()) {
        case types::YamlNode::Kind::Scalar: return node.as_scalar().props();
        case types::YamlNode::Kind::Mapping: return node.as_mapping().props();
        case types::YamlNode::Kind::Sequence: return node.as_sequence().props();
        case types::YamlNode::Kind::Null: break;
    }
    return nullptr;
}

// Appends "&name !tag" (either may be missing) for the node, nothing when it has
// neither; returns whether anything was appended.
bool append_props(std::string& out, const types::NodeProps* props, DocumentAnchors& anchors);
inline bool append_props(std::string& out, const types::YamlNode& node, DocumentAnchors& anchors) {
    return append_props(out, props_of(node), anchors);
}

// An alias node as "*name" where its anchor stands before it, else "null".
void append_alias(std::string& out, const types::YamlNode& node, const DocumentAnchors& anchors);

}  // namespace plovarn::emitter
