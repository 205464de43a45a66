// Documents, single nodes and the string form: the entry points of the writer.

#include "emitter/emitter.h"

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
        emit_node(docs[i], 0, out);
        if (i + 1 < docs.size() && out.back() != '\n') out.push_back('\n');
    }
    return out;
}

void emit_node(const types::YamlNode& node, std::size_t indent, std::string& out) {
    using Kind = types::YamlNode::Kind;
    switch (node.kind()) {
        case Kind::Mapping: emit_mapping(node.as_mapping(), indent, out); break;
        case Kind::Sequence: emit_sequence(node.as_sequence(), indent, out); break;
        case Kind::Null: out.append("null"); break;
        case Kind::Scalar: {
            // A scalar that starts a line (a document root) must not read as "...".
            const bool line_start = out.empty() || out.back() == '\n';
            const std::size_t start = out.size();
            append_scalar(out, node.as_scalar(), line_start ? Position::LineStart : Position::Inline);
            // An empty value as read stays empty only where something stands before it.
            if (out.size() == start) out.append("null");
            break;
        }
    }
}

std::string emit_string(std::string_view text) { return emit_string(text, Position::Inline); }

std::string emit_string(std::string_view text, Position where) {
    std::string out;
    out.reserve(text.size() + 2);
    append_string(out, text, where);
    return out;
}

}  // namespace plovarn::emitter
