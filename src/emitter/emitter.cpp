#include "emitter/emitter.h"

namespace plovarn::emitter {

std::string emit_docs(const std::vector<types::YamlNode>& docs) {
    std::string out;
    for (const auto& doc : docs) emit_node(doc, 0, out);
    return out;
}

void emit_node(const types::YamlNode&, std::size_t, std::string&) {}
void emit_mapping(const types::YamlMapping&, std::size_t, std::string&) {}
void emit_sequence(const types::ItemArray&, std::size_t, std::string&) {}

std::string emit_string(std::string_view text) { return std::string(text); }

}  // namespace plovarn::emitter
