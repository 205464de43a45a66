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
template <class Entry>
std::string entry_comment_diff(const Entry& want, const Entry& got, const CompareOptions& o, const std::string& path) {
    if (!o.comments) return {};
    if (!(want.comment_before == got.comment_before))
        return path + ": comment_before " + show(want.comment_before) + " became " + show(got.comment_before);
    if (!(want.comment_inline == got.comment_inline))
        return path + ": comment_inline " + show(want.comment_inline) + " became " + show(got.comment_inline);
    return {};
}

// The first difference in document order. Walked with a stack of its own, as
// the trees the fuzzers read nest thousands of levels deep.
inline std::string tree_diff(const types::YamlNode& want, const types::YamlNode& got, const CompareOptions& o = {},
                             const std::string& path = "$") {
    struct Step {
        enum class Kind { Nodes, Sizes, Found } kind;
        const types::YamlNode* want = nullptr;
        const types::YamlNode* got = nullptr;
        std::string text;  // the path; for Found, the difference
    };
    std::vector<Step> steps{{Step::Kind::Nodes, &want, &got, path}};
    // The entries of two collections, to be taken in order (each key and its
    // comments, then the subtree under them), then their sizes. Keys and comments
    // are compared here at once; a difference among them is queued in its place
    // and counts only if every subtree before it agrees.
    const auto push_entries = [&steps](const types::YamlNode& w, const types::YamlNode& g, const std::string& at,
                                       const auto& entry_steps) {
        const std::size_t first = steps.size();
        steps.push_back({Step::Kind::Sizes, &w, &g, at});
        entry_steps();
        std::reverse(steps.begin() + static_cast<std::ptrdiff_t>(first) + 1, steps.end());
    };
    while (!steps.empty()) {
        Step step = std::move(steps.back());
        steps.pop_back();
        const types::YamlNode& w = *step.want;
        const types::YamlNode& g = *step.got;
        const std::string& at = step.text;
        switch (step.kind) {
            case Step::Kind::Found: return at;
            case Step::Kind::Sizes: {
                const std::size_t a = w.is_mapping() ? w.as_mapping().size() : w.as_sequence().size();
                const std::size_t b = g.is_mapping() ? g.as_mapping().size() : g.as_sequence().size();
                if (a != b) return at + ": " + describe(w) + " became " + describe(g);
                continue;
            }
            case Step::Kind::Nodes: break;
        }
        if (is_nullish(w, o) && is_nullish(g, o)) continue;
        if (w.is_scalar() && g.is_scalar() && scalars_equal(w.as_scalar(), g.as_scalar())) continue;
        if (w.is_mapping() && g.is_mapping()) {
            const auto& a = w.as_mapping();
            const auto& b = g.as_mapping();
            push_entries(w, g, at, [&] {
                for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) {
                    const std::string p = at + "[" + std::to_string(k) + "]";
                    if (a.at(k).first != b.at(k).first) {
                        steps.push_back({Step::Kind::Found, &w, &g,
                                         p + ": key [" + a.at(k).first + "] became [" + b.at(k).first + "]"});
                        return;
                    }
                    std::string entry_path = p + "{" + a.at(k).first + "}";
                    if (auto d = entry_comment_diff(a.at(k).second, b.at(k).second, o, entry_path); !d.empty()) {
                        steps.push_back({Step::Kind::Found, &w, &g, std::move(d)});
                        return;
                    }
                    steps.push_back({Step::Kind::Nodes, &a.at(k).second.node, &b.at(k).second.node,
                                     std::move(entry_path)});
                }
            });
            continue;
        }
        if (w.is_sequence() && g.is_sequence()) {
            const auto& a = w.as_sequence();
            const auto& b = g.as_sequence();
            push_entries(w, g, at, [&] {
                for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) {
                    std::string p = at + "[" + std::to_string(k) + "]";
                    if (auto d = entry_comment_diff(a[k], b[k], o, p); !d.empty()) {
                        steps.push_back({Step::Kind::Found, &w, &g, std::move(d)});
                        return;
                    }
                    steps.push_back({Step::Kind::Nodes, &a[k].node, &b[k].node, std::move(p)});
                }
            });
            continue;
        }
        return at + ": " + describe(w) + " became " + describe(g);
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
