#pragma once

// The writer: renders document trees as block-style YAML text with two-space
// indentation, plain or quoted scalars, and the comments of every entry.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "emitter/scalar_text.h"
#include "types/node.h"

namespace plovarn::emitter {

// All documents; two or more are each preceded by a "---" line, and one read under
// a %YAML directive by that directive and "---" (and "..." after the one before).
std::string emit_docs(const std::vector<types::YamlNode>& docs);

// Appends one node at the given indentation (in columns) to `out`.
void emit_node(const types::YamlNode& node, std::size_t indent, std::string& out);
void emit_mapping(const types::YamlMapping& map, std::size_t indent, std::string& out);
void emit_sequence(const types::ItemArray& items, std::size_t indent, std::string& out);

// The written form of a string value or key: plain where the reader turns it back
// into this very string, otherwise single-quoted, or double-quoted with escapes
// when it holds a line break or U+0000.
std::string emit_string(std::string_view text);
// As above, for text that starts a line (a document root, a key of the root
// mapping), where "..." followed by a blank would end the document.
std::string emit_string(std::string_view text, Position where);

}  // namespace plovarn::emitter
