#pragma once

// The single entry point of the reader: YAML text in, one tree per document out.

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "types/node.h"

namespace plovarn::builder {

// Parses every document of `text`. On failure the error reads
// "YAML parse error: <info> at byte <index> line <line> column <col>".
std::expected<std::vector<types::YamlNode>, std::string> parse_str(std::string_view text);

}  // namespace plovarn::builder
