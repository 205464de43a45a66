#pragma once

// Representations of a node tree: Python-like text of its keys and values,
// strings in double quotes, floats in plain positional form, no comments. The
// classes' repr shows their `inner` this way.

#include <string>
#include <string_view>

#include "types/node.h"

namespace plovarn::types {

std::string node_repr(const YamlNode& node);
std::string mapping_repr(const YamlMapping& map);
std::string sequence_repr(const ItemArray& items);

// Appending forms, so that a whole tree renders into one buffer.
void append_node_repr(std::string& out, const YamlNode& node);
void append_mapping_repr(std::string& out, const YamlMapping& map);
void append_sequence_repr(std::string& out, const ItemArray& items);
void append_quoted(std::string& out, std::string_view text);
void append_float(std::string& out, double value);

}  // namespace plovarn::types
