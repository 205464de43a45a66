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
types::NodeProps node_props(std::string_view anchor, const parser::Tag* tag) {
    types::NodeProps props;
    if (!anchor.empty()) props.anchor = anchor;
    if (tag) props.tag = tag->written;
    return props;
}

// The value with the style it was written in, its anchor and tag; a plain null,
// boolean or number that the writer would spell otherwise (`0600`, `yes`, `~`)
// keeps its text.
types::ScalarValue scalar_value(std::string_view text, ScalarStyle style, std::string_view anchor,
                                const parser::Tag* tag) {
    types::ScalarValue value;
    bool keeps_spelling = false;
    if (style == ScalarStyle::Plain) {
        value = types::ScalarValue::from_str(text);
        keeps_spelling = !value.is_str() && !types::spelled_as_written(value, text);
    } else {
        // Empty quotes and an empty block scalar (`key: |` with no lines) are the
        // empty string to every reader, not null.
        value = types::ScalarValue::make_str(text);
    }
    value.set_style(source_style(style));
    // Most scalars carry none of these; they pay nothing for them.
    if (keeps_spelling || !anchor.empty() || tag) {
        types::NodeProps props = node_props(anchor, tag);
        if (keeps_spelling) props.spelling = text;
        value.set_props(std::move(props));
    }
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
                apply_scalar(ev.value, ev.style, ev.anchor, ev.tag.get(), line);
            } else if constexpr (std::is_same_v<E, parser::event::SequenceStart>) {
                open_frame(false, line, ev.anchor, ev.tag.get());
            } else if constexpr (std::is_same_v<E, parser::event::MappingStart>) {
                open_frame(true, line, ev.anchor, ev.tag.get());
            } else if constexpr (std::is_same_v<E, parser::event::SequenceEnd>) {
                close_sequence(line);
            } else if constexpr (std::is_same_v<E, parser::event::MappingEnd>) {
                close_mapping(line);
            } else if constexpr (std::is_same_v<E, parser::event::StreamEnd>) {
                keep_trailing_comments();
            } else if constexpr (std::is_same_v<E, parser::event::DocumentStart>) {
                version_ = std::move(ev.version);
                documents_before_ = documents_.size();
                anchored_.clear();  // an alias never names a node of another document
            } else if constexpr (std::is_same_v<E, parser::event::DocumentEnd>) {
                keep_version();
            }
            // Document boundaries build nothing: a document ends when its root is
            // pushed, and comments between documents wait for the next one.
        },
        std::move(event));
}

// A document read under a %YAML directive keeps its version at its root, for the
// writer to give back: readers of another YAML version read its scalars otherwise.
// An alias as a whole document has nowhere to keep it.
void Builder::keep_version() {
    if (version_.empty() || documents_.size() == documents_before_ || documents_.back().is_null()) return;
    set_root_prop(documents_.back(), &types::NodeProps::version, types::OptText(version_));
    version_.clear();
}

void Builder::apply_plain(const parser::PlainEvent& event) {
    using parser::EventKind;
    switch (event.kind) {
        case EventKind::Scalar: apply_scalar(event.text, event.style, {}, nullptr, event.line); break;
        case EventKind::SequenceStart: open_frame(false, event.line, {}, nullptr); break;
        case EventKind::MappingStart: open_frame(true, event.line, {}, nullptr); break;
        case EventKind::SequenceEnd: close_sequence(event.line); break;
        case EventKind::MappingEnd: close_mapping(event.line); break;
        case EventKind::StreamEnd: keep_trailing_comments(); break;
        case EventKind::StreamStart:
        case EventKind::DocumentStart:
        case EventKind::DocumentEnd: break;
    }
}

void Builder::open_frame(bool mapping, std::uint64_t line, std::string_view anchor, const parser::Tag* tag) {
    // Comment lines above a collection that is a sequence item belong to that
    // item; above a mapping value they wait for its first entry.
    if (!frames_.empty())
        if (auto* seq = std::get_if<SequenceFrame>(&frames_.back())) seq->comment_before = take_before(line);
    if (mapping)
        std::get<MappingFrame>(frames_.emplace_back(std::in_place_type<MappingFrame>)).map = levels_.map();
    else
        std::get<SequenceFrame>(frames_.emplace_back(std::in_place_type<SequenceFrame>)).items = levels_.items();
    // Until the collection is finished, an alias of its name is one the reader
    // cannot copy.
    if (!anchor.empty()) anchored_.erase(std::string(anchor));
    if (!anchor.empty() || tag)
        std::visit(
            [&](auto& f) {
                if (!anchor.empty()) f.anchor = anchor;
                if (tag) f.tag = tag->written;
            },
            frames_.back());
}

// Inlined into its two callers: it runs once per collection.
[[gnu::always_inline]] inline void Builder::place_closed(types::YamlNode&& node, bool empty, types::OptText&& anchor,
                                                        types::OptText&& tag, std::uint64_t line) {
    const std::string name = anchor ? std::string(*anchor) : std::string();
    if (anchor || tag || (frames_.empty() && empty))
        types::set_props_of(node, closed_props(std::move(anchor), std::move(tag), empty, line));
    // A node inside it that took the name since is the one it names now.
    if (!name.empty() && !anchored_.contains(name)) remember_anchored(name, node);
    push_node(std::move(node));
}

void Builder::close_sequence(std::uint64_t line) {
    if (frames_.empty()) return;
    auto* seq = std::get_if<SequenceFrame>(&frames_.back());
    if (!seq) {
        frames_.pop_back();  // a mapping closed as a sequence is dropped
        return;
    }
    types::YamlNode node{levels_.finish(std::move(seq->items))};
    types::OptText anchor = std::move(seq->anchor), tag = std::move(seq->tag);
    frames_.pop_back();
    const bool empty = node.as_sequence().empty();
    place_closed(std::move(node), empty, std::move(anchor), std::move(tag), line);
}

void Builder::close_mapping(std::uint64_t line) {
    if (frames_.empty()) return;
    auto* map = std::get_if<MappingFrame>(&frames_.back());
    if (!map) {
        frames_.pop_back();  // a sequence closed as a mapping is dropped
        return;
    }
    types::YamlNode node{levels_.finish(std::move(map->map))};
    types::OptText anchor = std::move(map->anchor), tag = std::move(map->tag);
    const std::size_t last_written = map->last_written;
    frames_.pop_back();
    if (frames_.empty()) root_last_written_ = last_written;
    const bool empty = node.as_mapping().empty();
    place_closed(std::move(node), empty, std::move(anchor), std::move(tag), line);
}

void Builder::apply_scalar(std::string_view text, ScalarStyle style, std::string_view anchor, const parser::Tag* tag,
                           std::uint64_t line) {
    // An empty plain scalar (`key:` or `-` with nothing after it) is placed at the
    // token after it, often on a later line: a comment on that line does not stand
    // behind it. For a value, the key's line stays the one to match. One with an
    // anchor or tag stands at them.
    if (!text.empty() || style != ScalarStyle::Plain || !anchor.empty() || tag) last_line_ = line;
    if (frames_.empty()) {
        // A scalar document has no entry: its root keeps the comment lines above it.
        types::YamlNode root(scalar_value(text, style, anchor, tag));
        if (!anchor.empty()) remember_anchored(anchor, root);
        if (types::OptText above = take_before(line))
            set_root_prop(root, &types::NodeProps::comment_before, std::move(above));
        documents_.push_back(std::move(root));
        return;
    }
    Frame& top = frames_.back();
    if (auto* seq = std::get_if<SequenceFrame>(&top)) {
        types::OptText above = take_for_child(line);
        seq->items.push_back(types::YamlItem{std::move(above), {}, types::YamlNode(scalar_value(text, style, anchor, tag))});
        if (!anchor.empty()) remember_anchored(anchor, seq->items.back().node);
        return;
    }
    auto& map = std::get<MappingFrame>(top);
    if (!map.key) {
        types::OptText above = take_for_child(line);
        // A key is kept as written (after quote and escape processing), never
        // resolved, with the anchor and tag in front of it.
        map.key = types::KeyText(text, source_style(style));
        if (!anchor.empty() || tag) map.key->set_props(node_props(anchor, tag));
        if (!anchor.empty()) [[unlikely]]
            remember_anchored_key(*map.key, style, tag);
        map.map.prefetch(text);
        map.comment_before = std::move(above);
        map.comment_inline.reset();
        return;
    }
    insert_entry(map, types::YamlNode(scalar_value(text, style, anchor, tag)));
    if (!anchor.empty()) remember_anchored(anchor, map.map.at(map.last_written).second.node);
}

void Builder::remember_anchored(std::string_view name, const types::YamlNode& node) {
    anchored_.insert_or_assign(std::string(name), Anchored{node, std::nullopt});
}

// Out of the way of the reading of every other key.
[[gnu::noinline]] void Builder::remember_anchored_key(const types::KeyText& key, ScalarStyle style,
                                                      const parser::Tag* tag) {
    const std::string_view anchor = *key.props()->anchor;
    anchored_.insert_or_assign(std::string(anchor),
                               Anchored{types::YamlNode(scalar_value(key.text(), style, anchor, tag)), key});
}

types::YamlNode Builder::alias_node(std::string_view name) const {
    const auto found = anchored_.find(std::string(name));
    if (found == anchored_.end()) return types::YamlNode::alias(name);
    const Anchored& a = found->second;
    return types::YamlNode::alias(name, &a.node, a.key ? &*a.key : nullptr);
}

[[gnu::always_inline]] inline void Builder::insert_entry(MappingFrame& map, types::YamlNode node) {
    auto [index, replaced] = map.map.insert_full(
        std::move(*map.key), types::YamlEntry{std::move(map.comment_before), std::move(map.comment_inline), std::move(node)});
    map.last_written = index;
    map.key.reset();
    map.comment_before.reset();
    map.comment_inline.reset();
    if (replaced && index == 0) first_entry_lines_to_holder(map);
}

void Builder::first_entry_lines_to_holder(MappingFrame& map) {
    // A repeated key keeps its first position, with the comments of its last
    // occurrence; a key's end-of-line comment joins the entry's comment lines when
    // its value's line ends in one too. Either way the lines go to the item, as
    // those above the first key itself do.
    if (frames_.size() < 2) return;
    types::OptText& above = map.map.entry_mut(0).comment_before;
    auto* holder = std::get_if<SequenceFrame>(&frames_[frames_.size() - 2]);
    if (!above || !holder) return;
    join_lines(holder->comment_before, std::move(above));
    above.reset();
}

void Builder::apply_alias(std::string_view name, std::uint64_t line) {
    // Aliases are not resolved. The node keeps a copy of the node its anchor named,
    // which the writer puts in its place where the program removed or moved that
    // node, so that other readers still read it there. For its comments an alias
    // counts as a scalar: an item takes the lines above it, and its line is the one
    // end-of-line comments are matched against, so neither drifts to the next item.
    last_line_ = line;
    if (frames_.empty()) {
        types::YamlNode root = alias_node(name);
        if (types::OptText above = take_before(line))
            set_root_prop(root, &types::NodeProps::comment_before, std::move(above));
        documents_.push_back(std::move(root));
        return;
    }
    if (auto* seq = std::get_if<SequenceFrame>(&frames_.back())) {
        types::OptText above = take_for_child(line);
        seq->items.push_back(types::YamlItem{std::move(above), {}, alias_node(name)});
        return;
    }
    push_node(alias_node(name));
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
    if (map.key) insert_entry(map, std::move(node));
}

}  // namespace plovarn::builder
