// Documents, single nodes and the string form: the entry points of the writer.

#include "emitter/emitter.h"

#include "emitter/layout.h"
#include "emitter/scalar_text.h"

namespace plovarn::emitter {

std::string emit_docs(const std::vector<types::YamlNode>& docs) {
    std::string out;
    if (docs.empty()) return out;
    out.reserve(256);
    if (docs.size() == 1) {
        emit_node(docs.front(), 0, out);
        return out;
    }
    for (std::size_t i = 0; i < docs.size(); ++i) {
        out.append("---\n");
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
