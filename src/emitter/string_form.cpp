// The choice between plain, single-quoted and double-quoted strings: plain only
// where the reader turns the plain text back into this very string; a string
// read from a file keeps the style it was written in wherever that style can
// hold it.

#include <array>
#include <string_view>

#include "emitter/scalar_text.h"
#include "emitter/unicode_breaks.h"
#include "emitter/unprintable_chars.h"
#include "types/other_readers.h"
#include "types/scalar_value.h"

namespace plovarn::emitter {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// First characters that start some other token (or an indicator) in block context.
bool is_indicator_start(char c) {
    switch (c) {
        case '!': case '#': case '%': case '&': case '*': case ',': case '-': case '<':
        case '=': case '>': case '?': case '@': case '[': case ']': case '`': case '{':
        case '|': case '}':
        // A leading quote would open a quoted scalar.
        case '\'': case '"':
            return true;
        default:
            return false;
    }
}

// Resolution, here or in another reader, yields something other than a string
// only for texts that start like a number, a timestamp, a tilde or one of the
// short boolean and null words; every other text skips the resolvers and the copy
// that this one makes.
bool may_resolve_to_non_string(std::string_view s) {
    const char c = s[0];
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == '~') return true;
    if (s.size() > 5) return false;
    switch (c) {
        case 'o': case 'O': case 'n': case 'N': case 'y': case 'Y':
        case 't': case 'T': case 'f': case 'F':
            return true;
        default:
            return false;
    }
}

// Bytes that need a closer look inside a string: besides the indicators, the
// controls and the lead bytes of the unprintable characters above U+007F.
constexpr auto notable_bytes = [] {
    std::array<bool, 256> t{};
    for (int c : {int{':'}, int{'#'}, 0x7F, 0xC2, 0xEF}) t[static_cast<unsigned char>(c)] = true;
    for (int c = 0; c < 0x20; ++c) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

// Whether the reader, in block context, reads `s` written plain as a plain scalar
// of exactly this text: the characters alone decide, not what the text resolves
// to. `read_plain` admits the texts that only a plain scalar read from a file
// starts with: a "-", "?" or ":" followed by a non-blank, a "<" or a "=".
bool plain_fits(std::string_view s, Position where, bool read_plain) {
    const std::size_t n = s.size();
    if (n == 0) return false;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (!notable_bytes[static_cast<unsigned char>(c)]) continue;
        if (c == '\n' || c == '\r' || c == '\0') return false;
        if (unprintable_at(s, i) != 0) return false;
        if (c == ':' && i + 1 < n && is_blank(s[i + 1])) return false;
        if (c == '#' && i > 0 && is_blank(s[i - 1])) return false;
    }
    if (is_blank(s[0]) || is_blank(s[n - 1]) || s[n - 1] == ':') return false;
    // Written raw, such a character is read as a line break by YAML 1.1 readers: a
    // string read plain keeps it as it was read, the writer's own choice escapes it.
    if (!read_plain && has_unicode_break(s)) return false;
    if (is_indicator_start(s[0])) {
        // Outside the writer's caution only YAML's own indicators bar a plain start.
        const bool dash_like = s[0] == '-' || s[0] == '?' || s[0] == ':';
        const bool not_yaml_indicator = s[0] == '<' || s[0] == '=';
        if (!read_plain || !(not_yaml_indicator || (dash_like && n > 1 && !is_blank(s[1])))) return false;
    }
    if (where == Position::LineStart && (s.starts_with("...") || s.starts_with("---")) && (n == 3 || is_blank(s[3])))
        return false;
    // A byte order mark that opens the text is not content to the reader.
    if (where == Position::LineStart && s.starts_with("\xEF\xBB\xBF")) return false;
    return true;
}

// Whether only the escapes of double quotes can hold `s`.
bool needs_escapes(std::string_view s) {
    for (char c : s)
        if (c == '\n' || c == '\r' || c == '\0') return true;
    return has_unprintable(s);
}

bool resolves_to_non_string(std::string_view s) {
    return may_resolve_to_non_string(s) && !types::ScalarValue::from_str(s).is_str();
}

// What the program sets is quoted also where only other readers would not read a
// string (YAML 1.1 and 1.2 core readers: y, 12:30, 1_000, 2024-01-01), and where
// YAML 1.1 readers (PyYAML) would end a plain scalar at a tab, so that it reads
// the same everywhere.
bool plain_for_every_reader(std::string_view s) {
    if (s.find('\t') != std::string_view::npos) return false;
    return !may_resolve_to_non_string(s) ||
           (!types::other_readers_resolve_non_string(s) && types::ScalarValue::from_str(s).is_str());
}

StringForm form_of(std::string_view s, Position where, types::SourceStyle style, bool key) {
    using types::SourceStyle;
    const bool read_plain = style == SourceStyle::Plain;
    if (plain_fits(s, where, read_plain)) {
        // A string read plain is written plain again, whatever other readers make
        // of it (a key is never resolved here; a value read plain resolved to this
        // string); one the program set is quoted where a reader would take it for
        // something other than this string.
        if (read_plain && (key || !resolves_to_non_string(s))) return StringForm::Plain;
        if (style == SourceStyle::SingleQuoted) return StringForm::SingleQuoted;
        if (style == SourceStyle::DoubleQuoted) return StringForm::DoubleQuoted;
        if (!read_plain && plain_fits(s, where, false) && plain_for_every_reader(s)) return StringForm::Plain;
        return StringForm::SingleQuoted;
    }
    // Line breaks, U+0000 and unprintable characters cannot survive any
    // single-line form but the escaped one; nor YAML 1.1's line breaks, unless the
    // string was read single-quoted with them.
    if (style == SourceStyle::DoubleQuoted || needs_escapes(s)) return StringForm::DoubleQuoted;
    if (style != SourceStyle::SingleQuoted && has_unicode_break(s)) return StringForm::DoubleQuoted;
    return StringForm::SingleQuoted;
}

}  // namespace

StringForm string_form(std::string_view s, Position where, types::SourceStyle style) {
    return form_of(s, where, style, false);
}

StringForm key_form(const types::KeyText& key, Position where) { return form_of(key, where, key.style(), true); }

std::size_t char_count(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
}

}  // namespace plovarn::emitter
