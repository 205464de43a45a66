#include "lib/repr.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "lib/escaped_code_points.h"
#include "types/number_text.h"

namespace plovarn {
namespace {

constexpr char32_t replacement_char = 0xFFFD;

// Decodes one UTF-8 sequence at text[i], advancing i. Malformed bytes decode as
// U+FFFD one at a time, so the output stays valid UTF-8 whatever the input.
char32_t decode_utf8(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t len = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4, c = lead & 0x07, min = 0x10000;
    } else {
        ++i;
        return replacement_char;
    }
    if (i + len > text.size()) {
        ++i;
        return replacement_char;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return replacement_char;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return replacement_char;
    }
    i += len;
    return c;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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
        const char32_t c = decode_utf8(text, i);
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
    types::append_positional_float(out, value);
}

void append_node_repr(std::string& out, const types::YamlNode& node) {
    using Kind = types::YamlNode::Kind;
    switch (node.kind()) {
        case Kind::Mapping: append_mapping_repr(out, node.as_mapping()); return;
        case Kind::Sequence: append_sequence_repr(out, node.as_sequence()); return;
        case Kind::Null: out += "None"; return;
        case Kind::Scalar: break;
    }
    const types::ScalarValue& s = node.as_scalar();
    using SKind = types::ScalarValue::Kind;
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

void append_mapping_repr(std::string& out, const types::YamlMapping& map) {
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

void append_sequence_repr(std::string& out, const types::ItemArray& items) {
    out += "YamlSequence([";
    bool first = true;
    for (const auto& item : items) {
        if (!first) out += ", ";
        first = false;
        append_node_repr(out, item.node);
    }
    out += "])";
}

std::string node_repr(const types::YamlNode& node) {
    std::string out;
    append_node_repr(out, node);
    return out;
}

std::string mapping_repr(const types::YamlMapping& map) {
    std::string out;
    append_mapping_repr(out, map);
    return out;
}

std::string sequence_repr(const types::ItemArray& items) {
    std::string out;
    append_sequence_repr(out, items);
    return out;
}

}  // namespace plovarn
