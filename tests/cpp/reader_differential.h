#pragma once

// The line reader against the parser on the same text: unless the line reader
// declines the text, both must give the same events, each with the same comments,
// and the builder the same trees from them, written forms included.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "builder/parse_str.h"
#include "parser/event_sink.h"
#include "parser/line_reader.h"
#include "parser/parser.h"
#include "types/node.h"

namespace plovarn::reader_check {

inline const char* kind_name(parser::EventKind k) {
    switch (k) {
        case parser::EventKind::StreamStart: return "+STR";
        case parser::EventKind::StreamEnd: return "-STR";
        case parser::EventKind::DocumentStart: return "+DOC";
        case parser::EventKind::DocumentEnd: return "-DOC";
        case parser::EventKind::SequenceStart: return "+SEQ";
        case parser::EventKind::SequenceEnd: return "-SEQ";
        case parser::EventKind::MappingStart: return "+MAP";
        case parser::EventKind::MappingEnd: return "-MAP";
        case parser::EventKind::Scalar: return "=VAL";
    }
    return "?";
}

// One event as a line: its marker's line, kind, style and text, then the lines
// and texts of the comments handed over with it.
inline std::string describe(const parser::PlainEvent& e, std::span<const parser::Comment> comments,
                            std::string_view extra = {}) {
    std::string out = std::to_string(e.line) + " " + kind_name(e.kind);
    if (e.kind == parser::EventKind::Scalar)
        out += " " + std::to_string(static_cast<int>(e.style)) + "[" + std::string(e.text) + "]";
    out += extra;
    for (const auto& c : comments) out += " #" + std::to_string(c.mark.line) + "[" + std::string(c.text) + "]";
    return out;
}

class Recorder final : public parser::EventSink {
public:
    void event(const parser::PlainEvent& e, std::span<const parser::Comment> comments) override {
        log.push_back(describe(e, comments));
    }
    std::vector<std::string> log;
};

// The line reader's events, or nothing when it declines the text.
inline std::optional<std::vector<std::string>> line_reader_log(std::string_view text) {
    Recorder r;
    parser::LineReader reader(text);
    if (!reader.read(r)) return std::nullopt;
    return std::move(r.log);
}

// The parser's events in the same form; anchors, tags and aliases, which the
// line reader never gives, are marked, and a failure ends the log.
inline std::vector<std::string> parser_log(std::string_view text) {
    using parser::EventKind;
    namespace ev = parser::event;
    std::vector<std::string> log;
    parser::Parser p(text);
    for (;;) {
        auto next = p.next_event();
        if (!next) {
            log.push_back("ERROR " + next.error().display());
            return log;
        }
        parser::PlainEvent e{EventKind::StreamStart, scanner::ScalarStyle::Plain, next->mark.line, {}};
        std::string extra;
        auto props = [&](std::string_view anchor, const std::unique_ptr<parser::Tag>& tag) {
            if (!anchor.empty()) extra += " &" + std::string(anchor);
            if (tag) extra += " !" + tag->written;
        };
        std::visit(
            [&](const auto& x) {
                using E = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<E, ev::StreamStart>) e.kind = EventKind::StreamStart;
                else if constexpr (std::is_same_v<E, ev::StreamEnd>) e.kind = EventKind::StreamEnd;
                else if constexpr (std::is_same_v<E, ev::DocumentStart>) e.kind = EventKind::DocumentStart;
                else if constexpr (std::is_same_v<E, ev::DocumentEnd>) e.kind = EventKind::DocumentEnd;
                else if constexpr (std::is_same_v<E, ev::SequenceEnd>) e.kind = EventKind::SequenceEnd;
                else if constexpr (std::is_same_v<E, ev::MappingEnd>) e.kind = EventKind::MappingEnd;
                else if constexpr (std::is_same_v<E, ev::Alias>) extra = " *" + std::string(x.name);
                else if constexpr (std::is_same_v<E, ev::SequenceStart>) {
                    e.kind = EventKind::SequenceStart;
                    props(x.anchor, x.tag);
                } else if constexpr (std::is_same_v<E, ev::MappingStart>) {
                    e.kind = EventKind::MappingStart;
                    props(x.anchor, x.tag);
                } else if constexpr (std::is_same_v<E, ev::Scalar>) {
                    e.kind = EventKind::Scalar;
                    e.style = x.style;
                    e.text = x.value;
                    props(x.anchor, x.tag);
                }
            },
            next->event);
        log.push_back(describe(e, p.comments(), extra));
        p.comments().clear();
        if (std::holds_alternative<ev::StreamEnd>(next->event)) return log;
    }
}

// ---- trees, with every written form ----

inline std::string props_text(const types::NodeProps* p) {
    if (p == nullptr) return "";
    std::string out;
    if (p->spelling) out += " spelled[" + std::string(*p->spelling) + "]";
    if (p->anchor) out += " &" + std::string(*p->anchor);
    if (p->tag) out += " !" + std::string(*p->tag);
    if (p->comment_before) out += " doc-before[" + std::string(*p->comment_before) + "]";
    if (p->comment_inline) out += " doc-inline[" + std::string(*p->comment_inline) + "]";
    if (p->comment_after) out += " doc-after[" + std::string(*p->comment_after) + "]";
    return out;
}

// What an entry or item writes between its key (if any) and its node.
template <class Entry>
std::string entry_lead(const Entry& e) {
    std::string out;
    if (e.comment_before) out += " before[" + std::string(*e.comment_before) + "]";
    if (e.comment_inline) out += " inline[" + std::string(*e.comment_inline) + "]";
    return out + " ";
}

inline std::string scalar_text(const types::ScalarValue& v) {
    std::string out = "s" + std::to_string(static_cast<int>(v.style())) + props_text(v.props()) + " ";
    switch (v.kind()) {
        case types::ScalarValue::Kind::Int: return out + "int " + std::to_string(v.as_int());
        case types::ScalarValue::Kind::Float: return out + "float " + std::to_string(v.as_float());
        case types::ScalarValue::Kind::Bool: return out + (v.as_bool() ? "true" : "false");
        case types::ScalarValue::Kind::Str: return out + "str[" + std::string(v.as_str()) + "]";
        case types::ScalarValue::Kind::Null: return out + "null";
    }
    return out;
}

// A tree as text: every value with its kind, style and written form, every key
// with its style, every comment, a document's own included. Walked with a stack
// of its own, as the texts the fuzzer makes nest thousands of levels deep.
inline void dump_tree(const types::YamlNode& root, std::string& out) {
    using K = types::YamlNode::Kind;
    // What is still to be written, the next at the back: a text, or a node.
    using Pending = std::variant<std::string, const types::YamlNode*>;
    std::vector<Pending> pending{&root};
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        if (const auto* text = std::get_if<std::string>(&next)) {
            out += *text;
            continue;
        }
        const types::YamlNode& n = *std::get<const types::YamlNode*>(next);
        switch (n.kind()) {
            case K::Mapping: {
                const auto& m = n.as_mapping();
                out += "{" + props_text(m.props());
                pending.emplace_back(std::string(" }"));
                const std::size_t first = pending.size();
                for (const auto& [key, entry] : m) {
                    pending.emplace_back(" key" + std::to_string(static_cast<int>(key.style())) + "[" +
                                         std::string(key.text()) + "]" + entry_lead(entry));
                    pending.emplace_back(&entry.node);
                }
                std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
                break;
            }
            case K::Sequence: {
                const auto& s = n.as_sequence();
                out += "[" + props_text(s.props());
                pending.emplace_back(std::string(" ]"));
                const std::size_t first = pending.size();
                for (const auto& item : s) {
                    pending.emplace_back(entry_lead(item));
                    pending.emplace_back(&item.node);
                }
                std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
                break;
            }
            case K::Null: out += "alias[" + std::string(n.alias_name()) + "]"; break;
            case K::Scalar: out += scalar_text(n.as_scalar()); break;
        }
    }
}

inline std::string dump_documents(std::string_view text, bool with_parser) {
    auto docs = with_parser ? builder::read_documents_with_parser(text) : builder::read_documents(text);
    if (!docs) return "ERROR " + docs.error().display();
    std::string out;
    for (const auto& d : *docs) {
        dump_tree(d, out);
        out += "\n";
    }
    return out;
}

struct Outcome {
    bool accepted = false;
    std::string difference;  // empty when the readers agree (or the line reader declined)
};

inline Outcome compare(std::string_view text) {
    Outcome o;
    const auto fast = line_reader_log(text);
    if (!fast) return o;
    o.accepted = true;
    const auto full = parser_log(text);
    for (std::size_t i = 0; i < fast->size() || i < full.size(); ++i) {
        const std::string a = i < full.size() ? full[i] : "(none)";
        const std::string b = i < fast->size() ? (*fast)[i] : "(none)";
        if (a != b) {
            o.difference = "event " + std::to_string(i) + ": parser gives\n  " + a + "\nline reader gives\n  " + b;
            return o;
        }
    }
    const std::string want = dump_documents(text, true);
    const std::string got = dump_documents(text, false);
    if (want != got) o.difference = "trees differ:\n  " + want + "\nline reader's:\n  " + got;
    return o;
}

}  // namespace plovarn::reader_check
