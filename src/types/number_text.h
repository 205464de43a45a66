#pragma once

// Decimal text of numbers, shared by the writer, the representations and the
// reader's check of whether a number was written in the writer's own spelling.

#include <cstdint>
#include <string>

namespace plovarn::types {

void append_int_text(std::string& out, std::int64_t value);

// A finite double as the shortest digits that read back as the same value, laid
// out around the decimal point (never with an exponent), with a leading "-" for
// negative values, negative zero included. No point when nothing follows it.
void append_positional_float(std::string& out, double value);

}  // namespace plovarn::types
