#include "emitter/document_anchors.h"

namespace plovarn::emitter {

bool DocumentAnchors::add(std::string_view name, const types::NodeProps* owner) {
    owner = as_key(owner);
    auto at = owners_.find(std::string(name));
    if (at != owners_.end() && at->second.owner == owner) return false;
    std::string spelled(name);
    // Each name's variants are counted on from the last one taken, so that many
    // definitions of one name cost no more than one each.
    for (std::size_t& n = next_variant_.try_emplace(spelled, 2).first->second; spellings_.contains(spelled); ++n)
        spelled = std::string(name) + '-' + std::to_string(n);
    spellings_.insert(spelled);
    owners_.insert_or_assign(std::string(name), Owner{owner, std::move(spelled)});
    return true;
}

bool append_props(std::string& out, const types::NodeProps* props, DocumentAnchors& anchors) {
    if (!props) return false;
    const std::size_t start = out.size();
    if (props->anchor && anchors.add(*props->anchor, props)) {
        out.push_back('&');
        out.append(anchors.spelling(*props->anchor));
    }
    if (props->tag) {
        if (out.size() != start) out.push_back(' ');
        out.append(*props->tag);
    }
    return out.size() != start;
}

void append_alias(std::string& out, const types::YamlNode& node, const DocumentAnchors& anchors) {
    const std::string_view name = node.alias_name();
    if (!name.empty() && anchors.written(name)) {
        out.push_back('*');
        out.append(anchors.spelling(name));
    } else {
        out.append("null");
    }
}

}  // namespace plovarn::emitter
