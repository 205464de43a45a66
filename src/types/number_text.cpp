#include "types/number_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace plovarn::types {

void append_int_text(std::string& out, std::int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void append_positional_float(std::string& out, double value) {
    // The shortest digits come from the scientific form ("d.ddde-XX"); they are
    // then placed around the decimal point and padded with zeros.
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    if (sci.front() == '-') {
        out.push_back('-');
        sci.remove_prefix(1);
    }
    const std::size_t e = sci.find('e');
    int exponent = 0;
    std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    char digits[24];
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
    } else {
        out.append(d.substr(0, static_cast<std::size_t>(point)));
        out.push_back('.');
        out.append(d.substr(static_cast<std::size_t>(point)));
    }
}

void append_value_text(std::string& out, const ScalarValue& value) {
    switch (value.kind()) {
        case ScalarValue::Kind::Int: append_int_text(out, value.as_int()); return;
        case ScalarValue::Kind::Float: {
            const double v = value.as_float();
            if (std::isnan(v)) {
                out.append(".nan");
            } else if (std::isinf(v)) {
                out.append(v > 0 ? ".inf" : "-.inf");
            } else {
                // A float keeps a point, so that it reads back as a float.
                const std::size_t start = out.size();
                append_positional_float(out, v);
                if (out.find('.', start) == std::string::npos) out.append(".0");
            }
            return;
        }
        case ScalarValue::Kind::Bool: out.append(value.as_bool() ? "true" : "false"); return;
        case ScalarValue::Kind::Null: out.append("null"); return;
        case ScalarValue::Kind::Str: return;
    }
}

bool spelled_as_written(const ScalarValue& value, std::string_view text) {
    std::string written;
    append_value_text(written, value);
    return written == text;
}

}  // namespace plovarn::types
