#pragma once

// Representations of the native tree: Python-like text built from `inner` alone,
// strings in double quotes, floats in plain positional form, no comments.

#include <string>
#include <string_view>

#include "types/node.h"

namespace plovarn {

std::string node_repr(const types::YamlNode& node);
std::string mapping_repr(const types::YamlMapping& map);
std::string sequence_repr(const types::ItemArray& items);

// Appending forms, so that a whole tree renders into one buffer.
void append_node_repr(std::string& out, const types::YamlNode& node);
void append_mapping_repr(std::string& out, const types::YamlMapping& map);
void append_sequence_repr(std::string& out, const types::ItemArray& items);
void append_quoted(std::string& out, std::string_view text);
void append_float(std::string& out, double value);

}  // namespace plovarn
