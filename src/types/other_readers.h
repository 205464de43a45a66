#pragma once

#include <string_view>

namespace plovarn::types {

// Whether some other common YAML reader would read this plain scalar text as
// something other than a string: a YAML 1.1 reader (PyYAML and what builds on
// it), a YAML 1.2 core-schema reader, or the Go readers, which take numbers
// with underscores anywhere. The union of their null, boolean, integer (bases
// 2, 8, 10, 16 and 60, underscores), float (decimal, base 60, the .inf and
// .nan forms) and timestamp spellings, and PyYAML's merge "<<" and value "="
// keys. The writer quotes such strings even where ScalarValue::from_str keeps
// them strings, so that what it writes reads the same everywhere.
bool other_readers_resolve_non_string(std::string_view text);

}  // namespace plovarn::types
