#pragma once

// Written forms of scalars: null, booleans, numbers, and strings in the plain,
// single-quoted or double-quoted form, appended straight to an output buffer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "types/key_text.h"
#include "types/scalar_value.h"
#include "types/source_form.h"

namespace plovarn::emitter {

enum class StringForm : std::uint8_t { Plain, SingleQuoted, DoubleQuoted };

// Where a string will stand: text at the start of a line (a root document, a key
// of the root mapping) must not read as the document end marker.
enum class Position : std::uint8_t { Inline, LineStart };

// The form in which `text` reads back as exactly this string: the style it was
// read in where that style can hold it, otherwise the writer's own choice.
StringForm string_form(std::string_view text, Position where = Position::Inline,
                       types::SourceStyle style = types::SourceStyle::Unset);
// The same for a mapping key: keys are never resolved, so one read plain stays
// plain wherever the plain form holds it.
StringForm key_form(const types::KeyText& key, Position where);

void append_in_form(std::string& out, std::string_view text, StringForm form);
void append_string(std::string& out, std::string_view text, Position where = Position::Inline,
                   types::SourceStyle style = types::SourceStyle::Unset);
// A scalar as it was read where it is unchanged: its style, or its spelling. Of
// a literal block only the header: its lines follow on the lines below.
void append_scalar(std::string& out, const types::ScalarValue& value, Position where = Position::Inline);

// Number of characters (not bytes) of UTF-8 text.
std::size_t char_count(std::string_view text);

// Number of characters that append_in_form writes for `text`.
std::size_t written_char_count(std::string_view text, StringForm form);

}  // namespace plovarn::emitter
