// Scalar text appended in place: no temporary string per scalar.

#include "emitter/scalar_text.h"

#include <charconv>
#include <cmath>

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

// Escapes line breaks, U+0000, the other C0 controls, the backslash and the
// double quote; everything else is copied as it stands.
void append_double_quoted(std::string& out, std::string_view s) {
    static constexpr char hex[] = "0123456789ABCDEF";
    out.push_back('"');
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(s.substr(start, i - start));
        start = i + 1;
        switch (c) {
            case '\0': out.append("\\0"); break;
            case '\t': out.append("\\t"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            case '"': out.append("\\\""); break;
            case '\\': out.append("\\\\"); break;
            default: {
                const char esc[4] = {'\\', 'x', hex[c >> 4], hex[c & 0xF]};
                out.append(esc, 4);
                break;
            }
        }
    }
    out.append(s.substr(start));
    out.push_back('"');
}

}  // namespace

void append_string(std::string& out, std::string_view text, Position where) {
    switch (string_form(text, where)) {
        case StringForm::Plain: out.append(text); break;
        case StringForm::SingleQuoted: append_single_quoted(out, text); break;
        case StringForm::DoubleQuoted: append_double_quoted(out, text); break;
    }
}

void append_int(std::string& out, std::int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void append_float(std::string& out, double value) {
    if (std::isnan(value)) {
        out.append(".nan");
        return;
    }
    if (std::isinf(value)) {
        out.append(value > 0 ? ".inf" : "-.inf");
        return;
    }
    // The shortest digits that read back as the same double, from the scientific
    // form, laid out positionally: zeros fill up to the point, never an exponent.
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    if (sci.front() == '-') {
        out.push_back('-');
        sci.remove_prefix(1);
    }
    const std::size_t e = sci.find('e');
    int exponent = 0;
    std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    char digits[20];
    std::size_t count = 0;
    for (char c : sci.substr(0, e))
        if (c != '.') digits[count++] = c;
    const std::string_view d(digits, count);
    const long point = exponent + 1;  // digits before the decimal point
    if (point <= 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-point), '0');
        out.append(d);
    } else if (static_cast<std::size_t>(point) >= count) {
        out.append(d);
        out.append(static_cast<std::size_t>(point) - count, '0');
        out.append(".0");
    } else {
        out.append(d.substr(0, static_cast<std::size_t>(point)));
        out.push_back('.');
        out.append(d.substr(static_cast<std::size_t>(point)));
    }
}

std::size_t written_char_count(std::string_view text, Position where) {
    const std::size_t chars = char_count(text);
    switch (string_form(text, where)) {
        case StringForm::Plain:
            return chars;
        case StringForm::SingleQuoted: {
            std::size_t quotes = 0;
            for (char c : text) quotes += c == '\'';
            return chars + quotes + 2;
        }
        case StringForm::DoubleQuoted: {
            std::size_t extra = 0;
            for (char c : text) {
                const auto u = static_cast<unsigned char>(c);
                if (u == '\0' || u == '\t' || u == '\n' || u == '\r' || u == '"' || u == '\\') extra += 1;
                else if (u < 0x20) extra += 3;
            }
            return chars + extra + 2;
        }
    }
    return chars;
}

void append_scalar(std::string& out, const types::ScalarValue& value, Position where) {
    using Kind = types::ScalarValue::Kind;
    switch (value.kind()) {
        case Kind::Int: append_int(out, value.as_int()); break;
        case Kind::Float: append_float(out, value.as_float()); break;
        case Kind::Bool: out.append(value.as_bool() ? "true" : "false"); break;
        case Kind::Str: append_string(out, value.as_str(), where); break;
        case Kind::Null: out.append("null"); break;
    }
}

}  // namespace plovarn::emitter
