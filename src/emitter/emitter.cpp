// Documents, single nodes and the string form: the entry points of the writer.

#include "emitter/emitter.h"

#include "emitter/layout.h"
#include "emitter/scalar_text.h"

namespace plovarn::emitter {

std::string emit_docs(const std::vector<types::YamlNode>& docs) {
    std::string out;
    if (docs.empty()) return out;
    out.reserve(256);
    for (std::size_t i = 0; i < docs.size(); ++i) {
        // A document read under a %YAML directive gets it back: readers of another
        // YAML version read its scalars otherwise. A directive follows only a
        // document that was ended.
        const types::NodeProps* props = types::props_of(docs[i]);
        const bool versioned = props && props->version;
        if (versioned) {
            if (i > 0) out.append("...\n");
            out.append("%YAML ").append(*props->version).push_back('\n');
        }
        if (docs.size() > 1 || versioned) out.append("---\n");
        DocumentAnchors anchors;  // an alias never refers to another document
        write_node(docs[i], 0, out, anchors);
        if (i + 1 < docs.size() && out.back() != '\n') out.push_back('\n');
    }
    return out;
}

void emit_node(const types::YamlNode& node, std::size_t indent, std::string& out) {
    DocumentAnchors anchors;
    write_node(node, indent, out, anchors);
}

std::string emit_string(std::string_view text) { return emit_string(text, Position::Inline); }

std::string emit_string(std::string_view text, Position where) {
    std::string out;
    out.reserve(text.size() + 2);
    append_string(out, text, where);
    return out;
}

}  // namespace plovarn::emitter
