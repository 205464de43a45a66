#pragma once

// Tree comparison for the round-trip tests: the first difference as a path and a
// description, or empty text when the trees agree.

#include <cmath>
#include <string>

#include "types/node.h"

namespace plovarn::roundtrip_test {

struct CompareOptions {
    bool comments = true;
    // Accept null for an empty string (a reader that reads empty quoted
    // scalars as null).
    bool empty_string_is_null = false;
};

inline std::string describe(const types::YamlNode& n) {
    using K = types::YamlNode::Kind;
    switch (n.kind()) {
        case K::Mapping: return "mapping of " + std::to_string(n.as_mapping().size());
        case K::Sequence: return "sequence of " + std::to_string(n.as_sequence().size());
        case K::Null: return "null node";
        case K::Scalar: break;
    }
    const auto& v = n.as_scalar();
    switch (v.kind()) {
        case types::ScalarValue::Kind::Int: return "int " + std::to_string(v.as_int());
        case types::ScalarValue::Kind::Float: return "float " + std::to_string(v.as_float());
        case types::ScalarValue::Kind::Bool: return v.as_bool() ? "true" : "false";
        case types::ScalarValue::Kind::Str: return "str [" + v.as_str() + "]";
        case types::ScalarValue::Kind::Null: return "null";
    }
    return "?";
}

inline bool is_nullish(const types::YamlNode& n, const CompareOptions& o) {
    if (n.is_null()) return true;
    if (!n.is_scalar()) return false;
    const auto& v = n.as_scalar();
    return v.is_null() || (o.empty_string_is_null && v.is_str() && v.as_str().empty());
}

inline bool scalars_equal(const types::ScalarValue& a, const types::ScalarValue& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case types::ScalarValue::Kind::Int: return a.as_int() == b.as_int();
        case types::ScalarValue::Kind::Float:
            return (std::isnan(a.as_float()) && std::isnan(b.as_float())) ||
                   (a.as_float() == b.as_float() && std::signbit(a.as_float()) == std::signbit(b.as_float()));
        case types::ScalarValue::Kind::Bool: return a.as_bool() == b.as_bool();
        case types::ScalarValue::Kind::Str: return a.as_str() == b.as_str();
        case types::ScalarValue::Kind::Null: return true;
    }
    return false;
}

inline std::string show(const types::OptText& t) { return t ? "[" + *t + "]" : "absent"; }

inline std::string tree_diff(const types::YamlNode& want, const types::YamlNode& got, const CompareOptions& o = {},
                             const std::string& path = "$");

template <class Entry>
std::string entry_diff(const Entry& want, const Entry& got, const CompareOptions& o, const std::string& path) {
    if (o.comments) {
        if (!(want.comment_before == got.comment_before))
            return path + ": comment_before " + show(want.comment_before) + " became " + show(got.comment_before);
        if (!(want.comment_inline == got.comment_inline))
            return path + ": comment_inline " + show(want.comment_inline) + " became " + show(got.comment_inline);
    }
    return tree_diff(want.node, got.node, o, path);
}

inline std::string tree_diff(const types::YamlNode& want, const types::YamlNode& got, const CompareOptions& o,
                             const std::string& path) {
    if (is_nullish(want, o) && is_nullish(got, o)) return {};
    if (want.is_scalar() && got.is_scalar() && scalars_equal(want.as_scalar(), got.as_scalar())) return {};
    if (want.is_mapping() && got.is_mapping()) {
        const auto& a = want.as_mapping();
        const auto& b = got.as_mapping();
        for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) {
            const std::string p = path + "[" + std::to_string(k) + "]";
            if (a.at(k).first != b.at(k).first) return p + ": key [" + a.at(k).first + "] became [" + b.at(k).first + "]";
            if (auto d = entry_diff(a.at(k).second, b.at(k).second, o, p + "{" + a.at(k).first + "}"); !d.empty())
                return d;
        }
        if (a.size() != b.size()) return path + ": " + describe(want) + " became " + describe(got);
        return {};
    }
    if (want.is_sequence() && got.is_sequence()) {
        const auto& a = want.as_sequence();
        const auto& b = got.as_sequence();
        for (std::size_t k = 0; k < a.size() && k < b.size(); ++k)
            if (auto d = entry_diff(a[k], b[k], o, path + "[" + std::to_string(k) + "]"); !d.empty()) return d;
        if (a.size() != b.size()) return path + ": " + describe(want) + " became " + describe(got);
        return {};
    }
    return path + ": " + describe(want) + " became " + describe(got);
}

// The comments a document root carries for its document.
inline std::string root_comments_diff(const types::YamlNode& want, const types::YamlNode& got,
                                      const std::string& path) {
    auto props = [](const types::YamlNode& n) -> types::NodeProps {
        const types::NodeProps* p = n.is_scalar()     ? n.as_scalar().props()
                                    : n.is_mapping()  ? n.as_mapping().props()
                                    : n.is_sequence() ? n.as_sequence().props()
                                                      : nullptr;
        return p ? *p : types::NodeProps{};
    };
    const types::NodeProps a = props(want), b = props(got);
    if (!(a.comment_before == b.comment_before))
        return path + ": document comment_before " + show(a.comment_before) + " became " + show(b.comment_before);
    if (!(a.comment_inline == b.comment_inline))
        return path + ": document comment_inline " + show(a.comment_inline) + " became " + show(b.comment_inline);
    if (!(a.comment_after == b.comment_after))
        return path + ": document comment_after " + show(a.comment_after) + " became " + show(b.comment_after);
    return {};
}

inline std::string docs_diff(const std::vector<types::YamlNode>& want, const std::vector<types::YamlNode>& got,
                             const CompareOptions& o = {}) {
    if (want.size() != got.size())
        return std::to_string(want.size()) + " documents became " + std::to_string(got.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        const std::string path = "doc" + std::to_string(k);
        if (auto d = tree_diff(want[k], got[k], o, path); !d.empty()) return d;
        if (o.comments)
            if (auto d = root_comments_diff(want[k], got[k], path); !d.empty()) return d;
    }
    return {};
}

}  // namespace plovarn::roundtrip_test
