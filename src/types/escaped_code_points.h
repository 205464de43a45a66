#pragma once

namespace plovarn::types {

// True for code points that a representation writes as \u{...}: characters that
// are not printable (controls, format characters, separators other than the
// space, surrogates, private use, unassigned) and combining characters
// (Grapheme_Extend).
bool is_escaped_code_point(char32_t c);

}  // namespace plovarn::types
