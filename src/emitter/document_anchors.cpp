#include "emitter/document_anchors.h"

namespace plovarn::emitter {

bool append_props(std::string& out, const types::NodeProps* props, DocumentAnchors& anchors) {
    if (!props) return false;
    const std::size_t start = out.size();
    if (props->anchor && anchors.add(*props->anchor, props)) {
        out.push_back('&');
        out.append(*props->anchor);
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
        out.append(name);
    } else {
        out.append("null");
    }
}

}  // namespace plovarn::emitter
