// The choice between plain, single-quoted and double-quoted strings: plain only
// where the reader turns the plain text back into this very string.

#include <array>
#include <string_view>

#include "emitter/scalar_text.h"
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

// Bytes that need a closer look inside a string.
constexpr auto notable_bytes = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {'\n', '\r', '\0', ':', '#', '\t'}) t[c] = true;
    return t;
}();

}  // namespace

StringForm string_form(std::string_view s, Position where) {
    if (s.empty()) return StringForm::SingleQuoted;

    // One pass for the character pairs. Line breaks and U+0000 cannot survive any
    // single-line form but the escaped one, so they decide before anything else.
    bool quote = false;
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (!notable_bytes[static_cast<unsigned char>(c)]) continue;
        if (c == '\n' || c == '\r' || c == '\0') return StringForm::DoubleQuoted;
        if (c == ':' && i + 1 < n && is_blank(s[i + 1])) quote = true;
        if (c == '#' && i > 0 && is_blank(s[i - 1])) quote = true;
        // YAML 1.1 readers (PyYAML) end a plain scalar at a tab.
        if (c == '\t') quote = true;
    }
    if (quote) return StringForm::SingleQuoted;

    if (is_indicator_start(s[0]) || is_blank(s[0]) || is_blank(s[n - 1]) || s[n - 1] == ':')
        return StringForm::SingleQuoted;
    if (where == Position::LineStart && s.starts_with("...") && (n == 3 || is_blank(s[3])))
        return StringForm::SingleQuoted;
    // Quoted also where only other readers would not read a string (YAML 1.1 and
    // 1.2 core readers: y, 12:30, 1_000, 2024-01-01), so that it reads the same
    // everywhere.
    if (may_resolve_to_non_string(s) &&
        (types::other_readers_resolve_non_string(s) || !types::ScalarValue::from_str(s).is_str()))
        return StringForm::SingleQuoted;
    return StringForm::Plain;
}

std::size_t char_count(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
}

}  // namespace plovarn::emitter
