#pragma once

// The single entry point of the reader: YAML text in, one tree per document out.

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/token.h"
#include "types/node.h"

namespace plovarn::builder {

// Parses every document of `text`; the first failure of the scanner or the
// parser ends it, with its message and position.
std::expected<std::vector<types::YamlNode>, scanner::ScanError> read_documents(std::string_view text);

// The same read by the parser alone, whatever the text holds: the reference that
// the line reader is checked against.
std::expected<std::vector<types::YamlNode>, scanner::ScanError> read_documents_with_parser(std::string_view text);

// The same with the failure as text:
// "YAML parse error: <info> at byte <index> line <line> column <col>".
std::expected<std::vector<types::YamlNode>, std::string> parse_str(std::string_view text);

}  // namespace plovarn::builder
