// Anchors, aliases, tags and the URI escapes inside tags.
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

Scanner::Status Scanner::fetch_anchor(bool alias) {
    record_key_candidate();
    key_allowed_ = false;
    const Marker m = mark_;
    advance_char();
    std::string name;
    for (;;) {
        fill_lookahead(1);
        if (!is_anchor_char(at(0))) break;
        take_char(name);
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
    const Marker m = mark_;
    fill_lookahead(2);
    std::string handle;
    std::string suffix;
    if (at(1) == '<') {
        advance_char();
        advance_char();
        SCAN_TRY(scan_uri_chars(m, suffix));
        fill_lookahead(1);
        if (at(0) != '>') return fail(m, "while scanning a verbatim tag, did not find the expected '>'");
        advance_char();
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
    fill_lookahead(1);
    const char32_t c = at(0);
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
    fill_lookahead(1);
    if (at(0) != '!') return fail(m, "while scanning a tag, did not find expected '!'");
    std::string handle;
    take_char(handle);
    for (;;) {
        fill_lookahead(1);
        if (!is_name_char(at(0))) break;
        take_char(handle);
    }
    if (at(0) == '!') {
        take_char(handle);
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
        fill_lookahead(1);
        const char32_t c = at(0);
        if (!is_tag_char(c)) break;
        if (c == '%')
            SCAN_TRY(scan_uri_escapes(m, out));
        else
            take_char(out);
        ++taken;
    }
    if (head.size() + taken == 0) return fail(m, "while parsing a tag, did not find expected tag URI");
    return {};
}

// URI characters with %XX escapes, as in verbatim tags and %TAG prefixes.
Scanner::Status Scanner::scan_uri_chars(Marker m, std::string& out) {
    for (;;) {
        fill_lookahead(1);
        const char32_t c = at(0);
        if (!is_uri_char(c)) return {};
        if (c == '%')
            SCAN_TRY(scan_uri_escapes(m, out));
        else
            take_char(out);
    }
}

// Decodes one character written as the %XX escapes of its UTF-8 octets.
Scanner::Status Scanner::scan_uri_escapes(Marker m, std::string& out) {
    unsigned width = 0;
    std::uint32_t value = 0;
    for (unsigned i = 0;; ++i) {
        fill_lookahead(3);
        if (at(0) != '%' || !is_hex_digit(at(1)) || !is_hex_digit(at(2)))
            return fail(m, "while parsing a tag, did not find URI escaped octet");
        const unsigned octet = hex_value(at(1)) << 4 | hex_value(at(2));
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
        advance_char();
        advance_char();
        advance_char();
        if (i + 1 == width) break;
    }
    if (!is_unicode_scalar(value))
        return fail(m, "while parsing a tag, found an invalid UTF-8 codepoint");
    append_utf8(out, value);
    return {};
}

}  // namespace plovarn::scanner
