#pragma once

// The writer: renders document trees as block-style YAML text with two-space
// indentation, plain or quoted scalars, and the comments of every entry.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "types/node.h"

namespace plovarn::emitter {

// All documents, separated by "---" lines.
std::string emit_docs(const std::vector<types::YamlNode>& docs);

// Appends one node at the given indentation (in columns) to `out`.
void emit_node(const types::YamlNode& node, std::size_t indent, std::string& out);
void emit_mapping(const types::YamlMapping& map, std::size_t indent, std::string& out);
void emit_sequence(const types::ItemArray& items, std::size_t indent, std::string& out);

// The scalar form of a string value or key: plain where it reads back as this
// string, otherwise quoted.
std::string emit_string(std::string_view text);

}  // namespace plovarn::emitter
