#pragma once

// The line reader against the parser on the same text: unless the line reader
// declines the text, both must give the same events, each with the same comments,
// and the builder the same trees from them, written forms included.

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

inline void dump_tree(const types::YamlNode& n, std::string& out);

template <class Entry>
void dump_entry(const Entry& e, std::string& out) {
    if (e.comment_before) out += " before[" + std::string(*e.comment_before) + "]";
    if (e.comment_inline) out += " inline[" + std::string(*e.comment_inline) + "]";
    out += " ";
    dump_tree(e.node, out);
}

// A tree as text: every value with its kind, style and written form, every key
// with its style, every comment, a document's own included.
inline void dump_tree(const types::YamlNode& n, std::string& out) {
    using K = types::YamlNode::Kind;
    switch (n.kind()) {
        case K::Mapping: {
            const auto& m = n.as_mapping();
            out += "{" + props_text(m.props());
            for (const auto& [key, entry] : m) {
                out += " key" + std::to_string(static_cast<int>(key.style())) + "[" + std::string(key.text()) + "]";
                dump_entry(entry, out);
            }
            out += " }";
            return;
        }
        case K::Sequence: {
            const auto& s = n.as_sequence();
            out += "[" + props_text(s.props());
            for (const auto& item : s) dump_entry(item, out);
            out += " ]";
            return;
        }
        case K::Null: out += "alias[" + std::string(n.alias_name()) + "]"; return;
        case K::Scalar: break;
    }
    const auto& v = n.as_scalar();
    out += "s" + std::to_string(static_cast<int>(v.style())) + props_text(v.props()) + " ";
    switch (v.kind()) {
        case types::ScalarValue::Kind::Int: out += "int " + std::to_string(v.as_int()); break;
        case types::ScalarValue::Kind::Float: out += "float " + std::to_string(v.as_float()); break;
        case types::ScalarValue::Kind::Bool: out += v.as_bool() ? "true" : "false"; break;
        case types::ScalarValue::Kind::Str: out += "str[" + std::string(v.as_str()) + "]"; break;
        case types::ScalarValue::Kind::Null: out += "null"; break;
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
