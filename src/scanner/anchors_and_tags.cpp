// Anchors, aliases, tags and the URI escapes inside tags.
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

Scanner::Status Scanner::fetch_anchor(bool alias) {
    record_key_candidate();
    key_allowed_ = false;
    const Marker m = cur_.mark();
    cur_.advance_char();
    std::string name;
    for (;;) {
        cur_.fill(1);
        if (!is_anchor_char(cur_.at(0))) break;
        cur_.take_char(name);
    }
    if (name.empty())
        return fail(m, "while scanning an anchor or alias, did not find expected alphabetic or numeric character");
    Token& t = tokens_.emplace_back();
    t.type = alias ? TokenType::Alias : TokenType::Anchor;
    t.mark = m;
    t.text = std::move(name);
    return {};
}

Scanner::Status Scanner::fetch_tag() {
    record_key_candidate();
    key_allowed_ = false;
    const Marker m = cur_.mark();
    cur_.fill(2);
    std::string handle;
    std::string suffix;
    if (cur_.at(1) == '<') {
        cur_.advance_char();
        cur_.advance_char();
        SCAN_TRY(scan_uri_chars(m, suffix));
        cur_.fill(1);
        if (cur_.at(0) != '>') return fail(m, "while scanning a verbatim tag, did not find the expected '>'");
        cur_.advance_char();
    } else {
        auto read = scan_tag_handle(false, m);
        if (!read) return std::unexpected(std::move(read.error()));
        handle = std::move(*read);
        if (handle.size() >= 2 && handle.front() == '!' && handle.back() == '!') {
            SCAN_TRY(scan_tag_shorthand_suffix({}, m, suffix));
        } else {
            SCAN_TRY(scan_tag_shorthand_suffix(handle, m, suffix));
            handle.assign(1, '!');
            if (suffix.empty()) {  // a lone '!'
                handle.clear();
                suffix.assign(1, '!');
            }
        }
    }
    cur_.fill(1);
    const char32_t c = cur_.at(0);
    if (!is_blank_or_end(c) && !(flow_depth_ > 0 && is_flow_indicator(c)))
        return fail(m, "while scanning a tag, did not find expected whitespace or line break");
    Token& t = tokens_.emplace_back();
    t.type = TokenType::Tag;
    t.mark = m;
    t.text = std::move(handle);
    t.text2 = std::move(suffix);
    return {};
}

// Reads "!", "!!", "!word!" or, outside directives, "!word".
std::expected<std::string, ScanError> Scanner::scan_tag_handle(bool directive, Marker m) {
    cur_.fill(1);
    if (cur_.at(0) != '!') return fail(m, "while scanning a tag, did not find expected '!'");
    std::string handle;
    cur_.take_char(handle);
    for (;;) {
        cur_.fill(1);
        if (!is_name_char(cur_.at(0))) break;
        cur_.take_char(handle);
    }
    if (cur_.at(0) == '!') {
        cur_.take_char(handle);
    } else if (directive && handle != "!") {
        return fail(m, "while parsing a tag directive, did not find expected '!'");
    }
    return handle;
}

Scanner::Status Scanner::scan_tag_shorthand_suffix(std::string_view head, Marker m,
                                                   std::string& out) {
    if (!head.empty()) out.append(head.substr(1));
    std::size_t taken = 0;
    for (;;) {
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (!is_tag_char(c)) break;
        if (c == '%')
            SCAN_TRY(scan_uri_escapes(m, out));
        else
            cur_.take_char(out);
        ++taken;
    }
    if (head.size() + taken == 0) return fail(m, "while parsing a tag, did not find expected tag URI");
    return {};
}

// URI characters with %XX escapes, as in verbatim tags and %TAG prefixes.
Scanner::Status Scanner::scan_uri_chars(Marker m, std::string& out) {
    for (;;) {
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (!is_uri_char(c)) return {};
        if (c == '%')
            SCAN_TRY(scan_uri_escapes(m, out));
        else
            cur_.take_char(out);
    }
}

// Decodes one character written as the %XX escapes of its UTF-8 octets.
Scanner::Status Scanner::scan_uri_escapes(Marker m, std::string& out) {
    unsigned width = 0;
    std::uint32_t value = 0;
    for (unsigned i = 0;; ++i) {
        cur_.fill(3);
        if (cur_.at(0) != '%' || !is_hex_digit(cur_.at(1)) || !is_hex_digit(cur_.at(2)))
            return fail(m, "while parsing a tag, did not find URI escaped octet");
        const unsigned octet = hex_value(cur_.at(1)) << 4 | hex_value(cur_.at(2));
        if (i == 0) {
            if (octet < 0x80) {
                width = 1;
                value = octet;
            } else if ((octet & 0xE0) == 0xC0) {
                width = 2;
                value = octet & 0x1F;
            } else if ((octet & 0xF0) == 0xE0) {
                width = 3;
                value = octet & 0x0F;
            } else if ((octet & 0xF8) == 0xF0) {
                width = 4;
                value = octet & 0x07;
            } else {
                return fail(m, "while parsing a tag, found an incorrect leading UTF-8 octet");
            }
        } else {
            if ((octet & 0xC0) != 0x80)
                return fail(m, "while parsing a tag, found an incorrect trailing UTF-8 octet");
            value = value << 6 | (octet & 0x3F);
        }
        cur_.advance_char();
        cur_.advance_char();
        cur_.advance_char();
        if (i + 1 == width) break;
    }
    if (!is_unicode_scalar(value))
        return fail(m, "while parsing a tag, found an invalid UTF-8 codepoint");
    append_utf8(out, value);
    return {};
}

}  // namespace plovarn::scanner
