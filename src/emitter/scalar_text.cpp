// Scalar text appended in place: no temporary string per scalar.

#include "emitter/scalar_text.h"

#include "emitter/literal_block.h"
#include "emitter/unicode_breaks.h"
#include "emitter/unprintable_chars.h"

#include "types/number_text.h"

namespace plovarn::emitter {
namespace {

void append_single_quoted(std::string& out, std::string_view s) {
    out.push_back('\'');
    std::size_t start = 0;
    for (std::size_t q = s.find('\''); q != std::string_view::npos; q = s.find('\'', q + 1)) {
        out.append(s.substr(start, q + 1 - start));
        out.push_back('\'');
        start = q + 1;
    }
    out.append(s.substr(start));
    out.push_back('\'');
}

// "\xNN" for a character below U+0100.
void append_byte_escape(std::string& out, unsigned char c) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const char esc[4] = {'\\', 'x', hex[c >> 4], hex[c & 0xF]};
    out.append(esc, 4);
}

// The escape of a character above U+007F that cannot stand raw at `i`: \N, \L
// or \P for YAML 1.1's line breaks, \xNN for a C1 control, \uFFFE or \uFFFF.
void append_wide_escape(std::string& out, std::string_view s, std::size_t i) {
    if (s[i] == '\xC2') {
        if (s[i + 1] == '\x85') out.append("\\N");
        else append_byte_escape(out, static_cast<unsigned char>(s[i + 1]));
    } else if (s[i] == '\xE2') {
        out.append(s[i + 2] == '\xA8' ? "\\L" : "\\P");
    } else {
        out.append(s[i + 2] == '\xBE' ? "\\uFFFE" : "\\uFFFF");
    }
}

// Escapes line breaks (YAML 1.1's too), U+0000, the other controls, U+FFFE,
// U+FFFF, the backslash and the double quote; everything else is copied as it
// stands.
void append_double_quoted(std::string& out, std::string_view s) {
    out.push_back('"');
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const std::size_t brk = unicode_break_at(s, i);
            const std::size_t len = brk != 0 ? brk : unprintable_at(s, i);
            if (len == 0) continue;
            out.append(s.substr(start, i - start));
            append_wide_escape(out, s, i);
            i += len - 1;
            start = i + 1;
            continue;
        }
        if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7F) continue;
        out.append(s.substr(start, i - start));
        start = i + 1;
        switch (c) {
            case '\0': out.append("\\0"); break;
            case '\t': out.append("\\t"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            case '"': out.append("\\\""); break;
            case '\\': out.append("\\\\"); break;
            default: append_byte_escape(out, c); break;
        }
    }
    out.append(s.substr(start));
    out.push_back('"');
}

}  // namespace

void append_string(std::string& out, std::string_view text, Position where, types::SourceStyle style) {
    append_in_form(out, text, string_form(text, where, style));
}

void append_in_form(std::string& out, std::string_view text, StringForm form) {
    switch (form) {
        case StringForm::Plain: out.append(text); break;
        case StringForm::SingleQuoted: append_single_quoted(out, text); break;
        case StringForm::DoubleQuoted: append_double_quoted(out, text); break;
    }
}

std::size_t written_char_count(std::string_view text, StringForm form) {
    const std::size_t chars = char_count(text);
    switch (form) {
        case StringForm::Plain:
            return chars;
        case StringForm::SingleQuoted: {
            std::size_t quotes = 0;
            for (char c : text) quotes += c == '\'';
            return chars + quotes + 2;
        }
        case StringForm::DoubleQuoted: {
            std::size_t extra = 0;
            for (std::size_t i = 0; i < text.size(); ++i) {
                const auto u = static_cast<unsigned char>(text[i]);
                if (u == '\0' || u == '\t' || u == '\n' || u == '\r' || u == '"' || u == '\\') extra += 1;
                else if (u < 0x20 || u == 0x7F) extra += 3;
                else if (unicode_break_at(text, i) != 0) extra += 1;  // one character becomes two
                else if (const std::size_t len = unprintable_at(text, i); len > 1) extra += len == 2 ? 3 : 5;
            }
            return chars + extra + 2;
        }
    }
    return chars;
}

void append_scalar(std::string& out, const types::ScalarValue& value, Position where) {
    using Kind = types::ScalarValue::Kind;
    if (written_as_literal(value)) {
        append_literal_header(out, value.as_str());  // the caller writes the lines below
    } else if (value.kind() == Kind::Str) {
        append_string(out, value.as_str(), where, value.style());
    } else if (const types::NodeProps* props = value.props(); props && props->spelling) {
        out.append(*props->spelling);
    } else {
        types::append_value_text(out, value);
    }
}

}  // namespace plovarn::emitter
