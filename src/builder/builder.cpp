#include "builder/builder.h"

#include <type_traits>
#include <utility>

#include "types/number_text.h"

namespace plovarn::builder {

using scanner::ScalarStyle;

namespace {

types::SourceStyle source_style(ScalarStyle style) {
    switch (style) {
        case ScalarStyle::Plain: return types::SourceStyle::Plain;
        case ScalarStyle::SingleQuoted: return types::SourceStyle::SingleQuoted;
        case ScalarStyle::DoubleQuoted: return types::SourceStyle::DoubleQuoted;
        case ScalarStyle::Literal: return types::SourceStyle::Literal;
        case ScalarStyle::Folded: return types::SourceStyle::Folded;
    }
    return types::SourceStyle::Unset;
}

// The anchor and tag written in front of a node.
types::NodeProps node_props(std::string_view anchor, const std::unique_ptr<parser::Tag>& tag) {
    types::NodeProps props;
    if (!anchor.empty()) props.anchor = anchor;
    if (tag) props.tag = tag->written;
    return props;
}

// The value with the style it was written in, its anchor and tag; a plain null,
// boolean or number that the writer would spell otherwise (`0600`, `yes`, `~`)
// keeps its text.
types::ScalarValue scalar_value(std::string_view text, ScalarStyle style, types::NodeProps props) {
    types::ScalarValue value;
    if (style == ScalarStyle::Plain) {
        value = types::ScalarValue::from_str(text);
        if (!value.is_str() && !types::spelled_as_written(value, text)) props.spelling = text;
    } else if (!text.empty()) {
        value = types::ScalarValue::make_str(text);
    } else if (style == ScalarStyle::SingleQuoted || style == ScalarStyle::DoubleQuoted) {
        // Two quotes are written to mean the empty string; an empty block scalar
        // has no content at all.
        value = types::ScalarValue::make_str(std::string_view());
    } else {
        value = types::ScalarValue::make_null();
    }
    value.set_style(source_style(style));
    if (!props.empty()) value.set_props(std::move(props));
    return value;
}

}  // namespace

void Builder::apply_event(parser::Event&& event, std::uint64_t line) {
    std::visit(
        [&](auto&& ev) {
            using E = std::decay_t<decltype(ev)>;
            if constexpr (std::is_same_v<E, parser::event::Alias>) {
                apply_alias(ev.name, line);
            } else if constexpr (std::is_same_v<E, parser::event::Scalar>) {
                apply_scalar(ev.value, ev.style, node_props(ev.anchor, ev.tag), line);
            } else if constexpr (std::is_same_v<E, parser::event::SequenceStart>) {
                open_frame(false, line, node_props(ev.anchor, ev.tag));
            } else if constexpr (std::is_same_v<E, parser::event::MappingStart>) {
                open_frame(true, line, node_props(ev.anchor, ev.tag));
            } else if constexpr (std::is_same_v<E, parser::event::SequenceEnd>) {
                close_frame(false);
            } else if constexpr (std::is_same_v<E, parser::event::MappingEnd>) {
                close_frame(true);
            }
            // Stream and document boundaries build nothing: a document ends when
            // its root is pushed.
        },
        std::move(event));
}

void Builder::apply_plain(const parser::PlainEvent& event) {
    using parser::EventKind;
    switch (event.kind) {
        case EventKind::Scalar: apply_scalar(event.text, event.style, {}, event.line); break;
        case EventKind::SequenceStart: open_frame(false, event.line, {}); break;
        case EventKind::MappingStart: open_frame(true, event.line, {}); break;
        case EventKind::SequenceEnd: close_frame(false); break;
        case EventKind::MappingEnd: close_frame(true); break;
        case EventKind::StreamStart:
        case EventKind::StreamEnd:
        case EventKind::DocumentStart:
        case EventKind::DocumentEnd: break;
    }
}

void Builder::open_frame(bool mapping, std::uint64_t line, types::NodeProps props) {
    // Comment lines above a collection that is a sequence item belong to that
    // item; above a mapping value they wait for its first entry.
    if (!frames_.empty())
        if (auto* seq = std::get_if<SequenceFrame>(&frames_.back())) seq->comment_before = take_before(line);
    if (mapping) {
        auto& frame = std::get<MappingFrame>(frames_.emplace_back(std::in_place_type<MappingFrame>));
        frame.map = levels_.map();
        frame.props = std::move(props);
    } else {
        auto& frame = std::get<SequenceFrame>(frames_.emplace_back(std::in_place_type<SequenceFrame>));
        frame.items = levels_.items();
        frame.props = std::move(props);
    }
}

void Builder::close_frame(bool mapping) {
    // A frame of the other kind popped here is discarded.
    if (frames_.empty()) return;
    Frame top = std::move(frames_.back());
    frames_.pop_back();
    if (!mapping) {
        if (auto* seq = std::get_if<SequenceFrame>(&top)) {
            types::ItemArray items = levels_.finish(std::move(seq->items));
            if (!seq->props.empty()) items.set_props(std::move(seq->props));
            push_node(types::YamlNode(std::move(items)));
        }
    } else if (auto* map = std::get_if<MappingFrame>(&top)) {
        if (frames_.empty()) root_last_written_ = map->last_written;
        types::YamlMapping done = levels_.finish(std::move(map->map));
        if (!map->props.empty()) done.set_props(std::move(map->props));
        push_node(types::YamlNode(std::move(done)));
    }
}

void Builder::apply_scalar(std::string_view text, ScalarStyle style, types::NodeProps props, std::uint64_t line) {
    last_line_ = line;
    if (frames_.empty()) {
        documents_.emplace_back(scalar_value(text, style, std::move(props)));
        return;
    }
    Frame& top = frames_.back();
    if (auto* seq = std::get_if<SequenceFrame>(&top)) {
        seq->items.push_back(
            types::YamlItem{take_before(line), {}, types::YamlNode(scalar_value(text, style, std::move(props)))});
        return;
    }
    auto& map = std::get<MappingFrame>(top);
    if (!map.key) {
        // A key is kept as written (after quote and escape processing), never resolved.
        map.key = types::KeyText(text, source_style(style));
        map.comment_before = take_before(line);
        map.comment_inline.reset();
        return;
    }
    types::YamlEntry entry{std::move(map.comment_before), std::move(map.comment_inline),
                           types::YamlNode(scalar_value(text, style, std::move(props)))};
    map.last_written = map.map.insert_full(std::move(*map.key), std::move(entry)).first;
    map.key.reset();
    map.comment_before.reset();
    map.comment_inline.reset();
}

void Builder::apply_alias(std::string_view name, std::uint64_t line) {
    // Aliases are not resolved. For its comments an alias counts as a scalar: an
    // item takes the lines above it, and its line is the one end-of-line comments
    // are matched against, so neither drifts to the next item.
    last_line_ = line;
    if (!frames_.empty())
        if (auto* seq = std::get_if<SequenceFrame>(&frames_.back())) {
            seq->items.push_back(types::YamlItem{take_before(line), {}, types::YamlNode::alias(name)});
            return;
        }
    push_node(types::YamlNode::alias(name));
}

void Builder::push_node(types::YamlNode node) {
    if (frames_.empty()) {
        documents_.push_back(std::move(node));
        return;
    }
    Frame& top = frames_.back();
    if (auto* seq = std::get_if<SequenceFrame>(&top)) {
        seq->items.push_back(types::YamlItem{std::move(seq->comment_before), {}, std::move(node)});
        seq->comment_before.reset();
        return;
    }
    auto& map = std::get<MappingFrame>(top);
    // A collection or alias in key position has no text to key by; it is dropped and
    // the mapping's next scalar is read as the key.
    if (!map.key) return;
    map.last_written =
        map.map
            .insert_full(std::move(*map.key),
                         types::YamlEntry{std::move(map.comment_before), std::move(map.comment_inline), std::move(node)})
            .first;
    map.key.reset();
    map.comment_before.reset();
    map.comment_inline.reset();
}

}  // namespace plovarn::builder
