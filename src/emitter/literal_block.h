#pragma once

// Strings read as literal block scalars (`|`) are written as such again, where
// the literal style can hold the text exactly: a header with the chomping (and an
// indentation indicator when the first line starts with a space), then the lines
// below at the given indentation.

#include <cstddef>
#include <string>
#include <string_view>

#include "types/scalar_value.h"

namespace plovarn::emitter {

// A string read as a literal block whose text the literal style can hold.
bool written_as_literal(const types::ScalarValue& value);

// Whether `text` reads back unchanged from a literal block scalar.
bool literal_fits(std::string_view text);

void append_literal_header(std::string& out, std::string_view text);
// The lines, each at `indent` (empty lines stay empty), each ended by a line feed.
void append_literal_body(std::string& out, std::string_view text, std::size_t indent);

}  // namespace plovarn::emitter
