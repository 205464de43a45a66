#include "types/node_repr.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "types/escaped_code_points.h"
#include "types/number_text.h"
#include "types/utf8.h"

namespace plovarn::types {
namespace {

constexpr char32_t replacement_char = 0xFFFD;

// The character at text[i], advancing i past it. Malformed bytes decode as
// U+FFFD one at a time, so the output stays valid UTF-8 whatever the input.
char32_t next_char(std::string_view text, std::size_t& i) {
    const Utf8Char c = decode_utf8(reinterpret_cast<const unsigned char*>(text.data()) + i, text.size() - i);
    if (c.fault != Utf8Char::Fault::None) {
        ++i;
        return replacement_char;
    }
    i += c.length;
    return c.value;
}

void append_code_escape(std::string& out, char32_t c) {
    char buf[8];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<std::uint32_t>(c), 16);
    out += "\\u{";
    out.append(buf, res.ptr);
    out += '}';
}

// Printable ASCII that stands for itself.
bool plain_ascii(unsigned char b) { return b >= 0x20 && b < 0x7F && b != '"' && b != '\\'; }

}  // namespace

void append_quoted(std::string& out, std::string_view text) {
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run < text.size() && plain_ascii(static_cast<unsigned char>(text[run]))) ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i == text.size()) break;
        const char32_t c = next_char(text, i);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case 0: out += "\\0"; break;
            default:
                if (is_escaped_code_point(c)) {
                    append_code_escape(out, c);
                } else {
                    append_utf8(out, c);
                }
        }
    }
    out += '"';
}

void append_float(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    append_positional_float(out, value);
}

void append_node_repr(std::string& out, const YamlNode& node) {
    using Kind = YamlNode::Kind;
    switch (node.kind()) {
        case Kind::Mapping: append_mapping_repr(out, node.as_mapping()); return;
        case Kind::Sequence: append_sequence_repr(out, node.as_sequence()); return;
        case Kind::Null: out += "None"; return;
        case Kind::Scalar: break;
    }
    const ScalarValue& s = node.as_scalar();
    using SKind = ScalarValue::Kind;
    switch (s.kind()) {
        case SKind::Int: {
            char buf[24];
            auto res = std::to_chars(buf, buf + sizeof buf, s.as_int());
            out.append(buf, res.ptr);
            return;
        }
        case SKind::Float: append_float(out, s.as_float()); return;
        case SKind::Bool: out += s.as_bool() ? "True" : "False"; return;
        case SKind::Str: append_quoted(out, s.as_str()); return;
        case SKind::Null: out += "None"; return;
    }
}

void append_mapping_repr(std::string& out, const YamlMapping& map) {
    out += "YamlMapping({";
    bool first = true;
    for (const auto& [key, entry] : map) {
        if (!first) out += ", ";
        first = false;
        append_quoted(out, key);
        out += ": ";
        append_node_repr(out, entry.node);
    }
    out += "})";
}

void append_sequence_repr(std::string& out, const ItemArray& items) {
    out += "YamlSequence([";
    bool first = true;
    for (const auto& item : items) {
        if (!first) out += ", ";
        first = false;
        append_node_repr(out, item.node);
    }
    out += "])";
}

std::string node_repr(const YamlNode& node) {
    std::string out;
    append_node_repr(out, node);
    return out;
}

std::string mapping_repr(const YamlMapping& map) {
    std::string out;
    append_mapping_repr(out, map);
    return out;
}

std::string sequence_repr(const ItemArray& items) {
    std::string out;
    append_sequence_repr(out, items);
    return out;
}

}  // namespace plovarn::types
