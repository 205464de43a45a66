#pragma once

// Tree comparison for the round-trip tests: the first difference as a path and a
// description, or empty text when the trees agree.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

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

// The first difference between the comments of two entries or items.
inline std::string entry_comment_diff(const types::YamlEntry& want, const types::YamlEntry& got,
                                      const CompareOptions& o, const std::string& path) {
    if (!o.comments) return {};
    if (!(want.comment_before == got.comment_before))
        return path + ": comment_before " + show(want.comment_before) + " became " + show(got.comment_before);
    if (!(want.comment_inline == got.comment_inline))
        return path + ": comment_inline " + show(want.comment_inline) + " became " + show(got.comment_inline);
    return {};
}

inline std::size_t collection_size(const types::YamlNode& n) {
    return n.is_mapping() ? n.as_mapping().size() : n.as_sequence().size();
}

// The first difference in document order. Walked with a stack of its own, as
// the trees the fuzzers read nest thousands of levels deep.
inline std::string tree_diff(const types::YamlNode& want, const types::YamlNode& got, const CompareOptions& o = {},
                             const std::string& path = "$") {
    // Two nodes to compare, and the entries and keys that hold them (whose keys
    // and comments come first); or, with `sizes`, the sizes of two collections
    // whose common entries agreed.
    struct Step {
        const types::YamlNode* want;
        const types::YamlNode* got;
        std::string path;
        const types::YamlEntry* want_entry = nullptr;
        const types::YamlEntry* got_entry = nullptr;
        const types::KeyText* want_key = nullptr;
        const types::KeyText* got_key = nullptr;
        bool sizes = false;
    };
    std::vector<Step> steps{{&want, &got, path}};
    while (!steps.empty()) {
        Step step = std::move(steps.back());
        steps.pop_back();
        // An alias whose anchor the writer found nowhere before it reads back as
        // the node it named.
        const types::YamlNode* named = step.want->is_null() ? step.want->alias_target() : nullptr;
        const types::YamlNode& w = named && !step.got->is_null() && !step.sizes ? *named : *step.want;
        const types::YamlNode& g = *step.got;
        if (step.sizes) {
            if (collection_size(w) != collection_size(g)) return step.path + ": " + describe(w) + " became " + describe(g);
            continue;
        }
        if (step.want_key && *step.want_key != *step.got_key)
            return step.path + ": key [" + *step.want_key + "] became [" + *step.got_key + "]";
        const std::string at = step.want_key ? step.path + "{" + *step.want_key + "}" : step.path;
        if (step.want_entry)
            if (auto d = entry_comment_diff(*step.want_entry, *step.got_entry, o, at); !d.empty()) return d;
        if (is_nullish(w, o) && is_nullish(g, o)) continue;
        if (w.is_scalar() && g.is_scalar() && scalars_equal(w.as_scalar(), g.as_scalar())) continue;
        // The sizes after the entries, the entries in order: pushed in reverse.
        const std::size_t first = steps.size() + 1;
        if (w.is_mapping() && g.is_mapping()) {
            const auto& a = w.as_mapping();
            const auto& b = g.as_mapping();
            steps.push_back({&w, &g, at, nullptr, nullptr, nullptr, nullptr, true});
            for (std::size_t k = 0; k < a.size() && k < b.size(); ++k)
                steps.push_back({&a.at(k).second.node, &b.at(k).second.node, at + "[" + std::to_string(k) + "]",
                                 &a.at(k).second, &b.at(k).second, &a.at(k).first, &b.at(k).first});
        } else if (w.is_sequence() && g.is_sequence()) {
            const auto& a = w.as_sequence();
            const auto& b = g.as_sequence();
            steps.push_back({&w, &g, at, nullptr, nullptr, nullptr, nullptr, true});
            for (std::size_t k = 0; k < a.size() && k < b.size(); ++k)
                steps.push_back({&a[k].node, &b[k].node, at + "[" + std::to_string(k) + "]", &a[k], &b[k]});
        } else {
            return at + ": " + describe(w) + " became " + describe(g);
        }
        std::reverse(steps.begin() + static_cast<std::ptrdiff_t>(first), steps.end());
    }
    return {};
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
