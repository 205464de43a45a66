// Single- and double-quoted scalars with escapes and line folding.
#include "scanner/byte_sets.h"
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

Scanner::Status Scanner::fetch_flow_scalar(bool single) {
    record_key_candidate();
    key_allowed_ = false;
    const Marker m = cur_.mark();
    cur_.advance_char();
    scalar_.reset();
    std::string& text = scalar_.text();

    for (;;) {
        cur_.fill(4);
        if (cur_.mark().col == 0 && cur_.at_document_indicator())
            return fail(m, "while scanning a quoted scalar, found unexpected document indicator");
        if (cur_.at(0) == 0)
            return fail(m, "while scanning a quoted scalar, found unexpected end of stream");
        if (cur_.col() < content_indent()) return fail(m, "invalid indentation in quoted scalar");

        bool closed = false;
        for (;;) {
            if (single)
                cur_.take_content_run<byte_sets::SingleQuoted>(text);
            else
                cur_.take_content_run<byte_sets::DoubleQuoted>(text);
            cur_.fill(2);
            const char32_t c = cur_.at(0);
            if (is_blank_or_end(c)) break;
            if (single) {
                if (c == '\'') {
                    if (cur_.at(1) != '\'') {
                        closed = true;
                        break;
                    }
                    text.push_back('\'');
                    cur_.advance_char();
                    cur_.advance_char();
                    continue;
                }
            } else if (c == '"') {
                closed = true;
                break;
            } else if (c == '\\') {
                if (is_break(cur_.at(1))) {
                    // Line continuation: the break is crossed but folds to nothing.
                    cur_.advance_char();
                    cur_.fill(2);
                    cur_.skip_linebreak();
                } else {
                    SCAN_TRY(scan_escape(m));
                }
                continue;
            }
            cur_.take_char(text);
        }
        if (closed) break;

        SCAN_TRY(skip_scalar_separation(content_indent(), false, m));
        scalar_.fold(cur_.blanks_only());
    }

    cur_.advance_char();  // the closing quote
    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    cur_.fill(1);
    const char32_t c = cur_.at(0);
    const bool flow = flow_depth_ > 0;
    const bool fits = is_break_or_end(c) ||
                      (flow && (c == ',' || c == ']' || c == '}' || c == ':')) ||
                      (!flow && c == ':' && cur_.mark().line == m.line);
    if (!fits) return fail(cur_.mark(), "invalid trailing content after double-quoted scalar");
    // Comments on the following lines are queued before the scalar.
    SCAN_TRY(skip_to_next_token());
    adjacent_value_at_ = cur_.mark().index;  // JSON-style {"a":1}

    Token& t = tokens_.emplace_back();
    t.type = TokenType::Scalar;
    t.mark = m;
    t.style = single ? ScalarStyle::SingleQuoted : ScalarStyle::DoubleQuoted;
    t.text = scalar_.text();
    return {};
}

// Decodes the escape at the backslash in front of the lookahead.
Scanner::Status Scanner::scan_escape(Marker start) {
    const char32_t e = cur_.at(1);
    char32_t value;
    unsigned digits = 0;
    switch (e) {
        case '0': value = 0; break;
        case 'a': value = 0x07; break;
        case 'b': value = 0x08; break;
        case 't':
        case '\t': value = 0x09; break;
        case 'n': value = 0x0A; break;
        case 'v': value = 0x0B; break;
        case 'f': value = 0x0C; break;
        case 'r': value = 0x0D; break;
        case 'e': value = 0x1B; break;
        case ' ': value = ' '; break;
        case '"': value = '"'; break;
        case '/': value = '/'; break;
        case '\\': value = '\\'; break;
        case 'N': value = 0x85; break;
        case '_': value = 0xA0; break;
        case 'L': value = 0x2028; break;
        case 'P': value = 0x2029; break;
        case 'x': digits = 2; break;
        case 'u': digits = 4; break;
        case 'U': digits = 8; break;
        default:
            return fail(start, "while parsing a quoted scalar, found unknown escape character");
    }
    unsigned length = 2 + digits;
    if (digits > 0) {
        cur_.fill(length);
        std::uint32_t v = 0;
        for (unsigned i = 0; i < digits; ++i) {
            const char32_t d = cur_.at(2 + i);
            if (!is_hex_digit(d))
                return fail(start,
                            "while parsing a quoted scalar, did not find expected hexadecimal number");
            v = (v << 4) | hex_value(d);
        }
        // JSON writes a character beyond U+FFFF as the \u escapes of its UTF-16
        // surrogate pair; the pair stands for that one character.
        if (e == 'u' && v >= 0xD800 && v <= 0xDBFF) {
            if (const std::uint32_t low = low_surrogate_after_escape(); low != 0) {
                v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
                length += 6;
            }
        }
        if (!is_unicode_scalar(v))
            return fail(start,
                        "while parsing a quoted scalar, found invalid Unicode character escape code");
        value = v;
    }
    append_utf8(scalar_.text(), value);
    for (unsigned i = 0; i < length; ++i) cur_.advance_char();
    return {};
}

// The low surrogate of a \uXXXX escape that directly follows a six-character
// \u escape in the lookahead, or 0 where none follows.
std::uint32_t Scanner::low_surrogate_after_escape() {
    cur_.fill(12);
    if (cur_.at(6) != '\\' || cur_.at(7) != 'u') return 0;
    std::uint32_t low = 0;
    for (unsigned i = 8; i < 12; ++i) {
        const char32_t d = cur_.at(i);
        if (!is_hex_digit(d)) return 0;
        low = (low << 4) | hex_value(d);
    }
    return low >= 0xDC00 && low <= 0xDFFF ? low : 0;
}

}  // namespace plovarn::scanner
