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
    const Marker m = mark_;
    advance_char();
    reset_fold_state();

    for (;;) {
        fill_lookahead(4);
        if (mark_.col == 0 && at_document_indicator())
            return fail(m, "while scanning a quoted scalar, found unexpected document indicator");
        if (at(0) == 0)
            return fail(m, "while scanning a quoted scalar, found unexpected end of stream");
        if (col() < content_indent()) return fail(m, "invalid indentation in quoted scalar");

        bool closed = false;
        for (;;) {
            if (single)
                take_content_run<byte_sets::SingleQuoted>(text_);
            else
                take_content_run<byte_sets::DoubleQuoted>(text_);
            fill_lookahead(2);
            const char32_t c = at(0);
            if (is_blank_or_end(c)) break;
            if (single) {
                if (c == '\'') {
                    if (at(1) != '\'') {
                        closed = true;
                        break;
                    }
                    text_.push_back('\'');
                    advance_char();
                    advance_char();
                    continue;
                }
            } else if (c == '"') {
                closed = true;
                break;
            } else if (c == '\\') {
                if (is_break(at(1))) {
                    // Line continuation: the break is crossed but folds to nothing.
                    advance_char();
                    fill_lookahead(2);
                    skip_linebreak();
                } else {
                    SCAN_TRY(scan_escape(m));
                }
                continue;
            }
            take_char(text_);
        }
        if (closed) break;

        for (;;) {
            fill_lookahead(2);
            const char32_t c = at(0);
            if (is_blank(c)) {
                if (!blanks_only_) {
                    held_blanks_.push_back(static_cast<char>(c));
                    advance_blank();
                } else if (c == '\t' && col() < content_indent()) {
                    return fail(mark_, "tab cannot be used as indentation");
                } else {
                    advance_blank();
                }
            } else if (is_break(c)) {
                if (blanks_only_) {
                    ++more_breaks_;
                } else {
                    held_blanks_.clear();
                    first_break_ = true;
                }
                skip_linebreak();
            } else {
                break;
            }
        }
        fold_into(text_);
    }

    advance_char();  // the closing quote
    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    fill_lookahead(1);
    const char32_t c = at(0);
    const bool flow = flow_depth_ > 0;
    const bool fits = is_break_or_end(c) ||
                      (flow && (c == ',' || c == ']' || c == '}' || c == ':')) ||
                      (!flow && c == ':' && mark_.line == m.line);
    if (!fits) return fail(mark_, "invalid trailing content after double-quoted scalar");
    // Comments on the following lines are queued before the scalar.
    SCAN_TRY(skip_to_next_token());
    adjacent_value_at_ = mark_.index;  // JSON-style {"a":1}

    Token& t = tokens_.emplace_back();
    t.type = TokenType::Scalar;
    t.mark = m;
    t.style = single ? ScalarStyle::SingleQuoted : ScalarStyle::DoubleQuoted;
    t.text = text_;
    return {};
}

// Decodes the escape at the backslash in front of the lookahead.
Scanner::Status Scanner::scan_escape(Marker start) {
    const char32_t e = at(1);
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
    if (digits > 0) {
        fill_lookahead(2 + digits);
        std::uint32_t v = 0;
        for (unsigned i = 0; i < digits; ++i) {
            const char32_t d = at(2 + i);
            if (!is_hex_digit(d))
                return fail(start,
                            "while parsing a quoted scalar, did not find expected hexadecimal number");
            v = (v << 4) | hex_value(d);
        }
        if (!is_unicode_scalar(v))
            return fail(start,
                        "while parsing a quoted scalar, found invalid Unicode character escape code");
        value = v;
    }
    append_utf8(text_, value);
    for (unsigned i = 0; i < 2 + digits; ++i) advance_char();
    return {};
}

}  // namespace plovarn::scanner
