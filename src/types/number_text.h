#pragma once

// Decimal text of numbers, shared by the writer, the representations and the
// reader's check of whether a number was written in the writer's own spelling.

#include <cstdint>
#include <string>
#include <string_view>

#include "types/scalar_value.h"

namespace plovarn::types {

void append_int_text(std::string& out, std::int64_t value);

// A finite double as the shortest digits that read back as the same value, laid
// out around the decimal point (never with an exponent), with a leading "-" for
// negative values, negative zero included. No point when nothing follows it.
void append_positional_float(std::string& out, double value);

// The writer's own text for a null, a boolean or a number: "null", "true",
// "false", decimal digits, a float with a point, ".nan", ".inf", "-.inf".
// Appends nothing for a string.
void append_value_text(std::string& out, const ScalarValue& value);

// Whether `text` is exactly how the writer spells `value` (a non-string).
bool spelled_as_written(const ScalarValue& value, std::string_view text);

}  // namespace plovarn::types
