// Character classes shared by every part of the scanner.
#pragma once

#include <cstdint>

#include "types/utf8.h"

namespace plovarn::scanner::chars {

constexpr char32_t byte_order_mark = 0xFEFF;

constexpr bool is_blank(char32_t c) { return c == ' ' || c == '\t'; }
constexpr bool is_break(char32_t c) { return c == '\n' || c == '\r'; }
constexpr bool is_break_or_end(char32_t c) { return c == '\n' || c == '\r' || c == 0; }
constexpr bool is_blank_or_end(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0;
}
constexpr bool is_flow_indicator(char32_t c) {
    return c == ',' || c == '[' || c == ']' || c == '{' || c == '}';
}
constexpr bool is_ascii_alnum(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// Characters of directive names, tag handles: letters, digits, '-' and '_'.
constexpr bool is_name_char(char32_t c) { return is_ascii_alnum(c) || c == '-' || c == '_'; }
constexpr bool is_hex_digit(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr unsigned hex_value(char32_t c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}
constexpr bool is_uri_char(char32_t c) {
    if (is_ascii_alnum(c) || c == '-') return true;
    switch (c) {
        case '#': case ';': case '/': case '?': case ':': case '@': case '&': case '=':
        case '+': case '$': case ',': case '_': case '.': case '!': case '~': case '*':
        case '\'': case '(': case ')': case '[': case ']': case '%':
            return true;
        default:
            return false;
    }
}
constexpr bool is_tag_char(char32_t c) {
    return is_uri_char(c) && c != '!' && c != ',' && c != '[' && c != ']';
}
constexpr bool is_anchor_char(char32_t c) {
    return !is_blank_or_end(c) && !is_flow_indicator(c) && c != 0xFEFF;
}
constexpr bool is_unicode_scalar(std::uint32_t v) {
    return v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);
}

using types::append_utf8;

}  // namespace plovarn::scanner::chars
