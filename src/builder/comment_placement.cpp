// The builder's placement of comments: end-of-line comments go to the entry or item
// just read, all others wait for the next key or item.

#include "builder/builder.h"

#include <cstdint>
#include <string>
#include <variant>

namespace plovarn::builder {
namespace {

// Where a comment at the end of a sequence item's last line goes. An item that
// holds a collection has its first line above its content, where the writer
// puts nothing the reader would read as the item's end-of-line comment; a comment
// behind a flow collection (`- [a, b]  # c`) goes to the last item or entry inside.
types::OptText& inline_slot(types::YamlItem& item) {
    types::YamlItem* at = &item;
    for (;;) {
        types::YamlNode& node = at->node;
        if (node.is_mapping() && !node.as_mapping().empty()) {
            types::YamlMapping& map = node.as_mapping();
            return map.entry_mut(map.size() - 1).comment_inline;
        }
        if (!node.is_sequence() || node.as_sequence().empty()) return at->comment_inline;
        types::ItemArray& items = node.as_sequence();
        at = &items.at_mut(items.size() - 1);
    }
}

types::OptText& inline_slot(types::ItemArray& items) { return inline_slot(items.at_mut(items.size() - 1)); }

}  // namespace

template <class Apply>
void Builder::with_comments(bool scalar, bool alias, bool closing, std::uint64_t line,
                            std::span<const parser::Comment> comments, Apply&& apply) {
    // A quoted or block scalar's token is queued only after the scanner has passed
    // the rest of its line and the comment lines below it, so those comments come
    // with the scalar's own event although they follow it. They are placed after
    // the scalar, as its end-of-line comment and as lines above whatever comes
    // next; placed before it they would be dropped as standing below the item.
    // Comments before a plain scalar always stand above it.
    // Likewise a comment behind the closing bracket of an empty flow collection
    // (`- []  # note`) has no item inside to go to: it belongs to the item or entry
    // the collection becomes, or, for a document root (`[]  # note`), to the root.
    const parser::Comment* first = comments.data();
    const parser::Comment* last = first + comments.size();
    const parser::Comment* after = last;
    bool split = scalar, closes_empty = false, settles_root = false;
    if (frames_.empty()) {
        // A scalar document root: comments pulled before it may follow it.
        settles_root = scalar || alias;
    } else if (closing && top_frame_is_empty()) {
        // So may the comments of an empty collection that becomes a root.
        if (frames_.size() == 1) split = settles_root = true;
        else split = closes_empty = top_frame_becomes_child();
    }
    if (split) {
        after = first;
        while (after != last && after->mark.line < line) ++after;
    }
    distribute(first, after);
    apply();
    if (closes_empty)
        for (const parser::Comment* c = after; c != last; ++c) attach_to_last_child(c->text);
    else
        distribute(after, last);
    if (settles_root) settle_pending();
}

void Builder::apply(parser::Event&& event, std::uint64_t line, std::vector<parser::Comment>& comments) {
    const bool scalar = std::holds_alternative<parser::event::Scalar>(event);
    const bool alias = std::holds_alternative<parser::event::Alias>(event);
    const bool closing = std::holds_alternative<parser::event::SequenceEnd>(event) ||
                         std::holds_alternative<parser::event::MappingEnd>(event);
    with_comments(scalar, alias, closing, line, comments, [&] { apply_event(std::move(event), line); });
    comments.clear();
}

void Builder::event(const parser::PlainEvent& event, std::span<const parser::Comment> comments) {
    using parser::EventKind;
    if (comments.empty() && pending_.empty()) {
        // Most events come without comments and none wait: nothing to place.
        apply_plain(event);
        return;
    }
    const bool closing = event.kind == EventKind::SequenceEnd || event.kind == EventKind::MappingEnd;
    with_comments(event.kind == EventKind::Scalar, false, closing, event.line, comments, [&] { apply_plain(event); });
}

bool Builder::top_frame_is_empty() const {
    const Frame& top = frames_.back();
    if (const auto* seq = std::get_if<SequenceFrame>(&top)) return seq->items.empty();
    const auto& map = std::get<MappingFrame>(top);
    return map.map.empty() && !map.key;
}

bool Builder::top_frame_becomes_child() const {
    if (frames_.size() < 2) return false;
    // In key position the collection is dropped and becomes nothing.
    const auto* parent = std::get_if<MappingFrame>(&frames_[frames_.size() - 2]);
    return !parent || parent->key;
}

bool Builder::give_to_holder(types::OptText& above) {
    // Comment lines between the start of a collection and its first key or item,
    // as in `- [` or `- -` followed by a comment line, stand where the writer puts
    // the comments of the sequence item that holds the collection; read as the
    // first child's they would move up to that item on the next reading. They
    // belong to the item, as the lines above a block collection's first key do.
    if (frames_.size() < 2 || !top_frame_is_empty()) return false;
    auto* holder = std::get_if<SequenceFrame>(&frames_[frames_.size() - 2]);
    if (!holder) return false;
    join_lines(holder->comment_before, std::move(above));
    above.reset();
    return true;
}

void Builder::join_lines(types::OptText& lines, types::OptText more) {
    if (lines) lines = std::string(*lines) + "\n" + std::string(*more);
    else lines = std::move(more);
}

types::NodeProps Builder::closed_props(types::OptText anchor, types::OptText tag, bool empty, std::uint64_t line) {
    types::NodeProps props;
    props.anchor = std::move(anchor);
    props.tag = std::move(tag);
    if (frames_.empty() && empty) {
        props.comment_before = take_before(line);
        // Its line is the one an end-of-line comment must stand on.
        last_line_ = line;
    }
    return props;
}

void Builder::keep_trailing_comments() {
    if (documents_.empty() || pending_.empty()) return;
    set_root_prop(documents_.back(), &types::NodeProps::comment_after, take_before(UINT64_MAX));
}

void Builder::set_root_prop(types::YamlNode& root, types::OptText types::NodeProps::*field, types::OptText text) {
    // An alias that is a document's whole content has no anchor before it in its
    // document, and is written as null: the root becomes that null, to carry the comment.
    if (root.is_null()) root = types::YamlNode(types::ScalarValue::make_null());
    const types::NodeProps* now = types::props_of(root);
    types::NodeProps props = now ? *now : types::NodeProps{};
    props.*field = std::move(text);
    types::set_props_of(root, std::move(props));
}

void Builder::attach_to_last_child(std::string_view text) {
    if (auto* seq = std::get_if<SequenceFrame>(&frames_.back())) {
        types::YamlItem& item = seq->items.back();
        set_inline(item.comment_inline, item.comment_before, text);
        return;
    }
    set_entry_inline(std::get<MappingFrame>(frames_.back()), text);
}

void Builder::distribute(const parser::Comment* first, const parser::Comment* last) {
    for (const parser::Comment* c = first; c != last; ++c) {
        if (last_line_ && *last_line_ == c->mark.line) {
            attach_inline(c->text);
        } else {
            pending_.push_back(PendingComment{c->mark.line, c->text});
        }
    }
}

void Builder::attach_inline(std::string_view text) {
    if (frames_.empty()) {
        // After a document's root closed, a comment on its last line may still
        // belong to its last entry or item, unless that one already has one; a
        // scalar or empty root takes it itself.
        if (documents_.empty()) return;
        types::YamlNode& root = documents_.back();
        if (root.is_mapping() && !root.as_mapping().empty()) {
            types::YamlMapping& map = root.as_mapping();
            types::YamlEntry& last = map.entry_mut(root_last_written_);
            if (!last.comment_inline) last.comment_inline = types::OptText(text);
        } else if (root.is_sequence() && !root.as_sequence().empty()) {
            types::OptText& slot = inline_slot(root.as_sequence());
            if (!slot) slot = types::OptText(text);
        } else if (const types::NodeProps* props = types::props_of(root); !props || !props->comment_inline) {
            set_root_prop(root, &types::NodeProps::comment_inline, types::OptText(text));
        }
        return;
    }
    Frame& top = frames_.back();
    if (auto* seq = std::get_if<SequenceFrame>(&top)) {
        if (!seq->items.empty()) {
            types::YamlItem& item = seq->items.back();
            set_inline(inline_slot(item), item.comment_before, text);
            return;
        }
    } else {
        auto& map = std::get<MappingFrame>(top);
        if (map.key) {
            map.comment_inline = types::OptText(text);
            return;
        }
        if (!map.map.empty()) {
            set_entry_inline(map, text);
            return;
        }
    }
    // The innermost collection is still empty, as in `key: [  # note`: the comment
    // stands at the end of the line of the entry whose value it is, or above the
    // item it is.
    if (frames_.size() < 2) return;
    Frame& parent = frames_[frames_.size() - 2];
    if (auto* map = std::get_if<MappingFrame>(&parent); map && map->key)
        map->comment_inline = types::OptText(text);
    else if (auto* seq = std::get_if<SequenceFrame>(&parent))
        join_lines(seq->comment_before, types::OptText(text));
}

void Builder::set_inline(types::OptText& slot, types::OptText& above, std::string_view text) {
    // One it has already stands on an earlier line (behind a key whose value
    // follows on a later line, inside an empty flow collection, or on an earlier
    // line of a flow item: `[k: [{  # a` over `}]],  # b`): it joins the comment
    // lines above rather than being lost.
    if (slot) join_lines(above, std::move(slot));
    slot = types::OptText(text);
}

void Builder::set_entry_inline(MappingFrame& map, std::string_view text) {
    types::YamlEntry& entry = map.map.entry_mut(map.last_written);
    set_inline(entry.comment_inline, entry.comment_before, text);
    if (map.last_written == 0) first_entry_lines_to_holder(map);
}

types::OptText Builder::take_before(std::uint64_t line) {
    // Comments arrive in input order, so those above `line` are usually all of
    // them.
    std::size_t kept = 0;
    while (kept < pending_.size() && pending_[kept].line < line) ++kept;
    types::OptText out;
    if (kept == pending_.size()) {
        if (kept > 0) out = types::OptText::joined(pending_, '\n', [](const PendingComment& p) { return p.text; });
        pending_.clear();
        return out;
    }
    // Comments on or below `line` were pulled before the event they follow (a
    // comment behind a document's quoted or block scalar comes before the scalar
    // itself); they wait for what comes after it.
    std::vector<PendingComment> above, rest;
    for (const PendingComment& p : pending_) (p.line < line ? above : rest).push_back(p);
    if (!above.empty()) out = types::OptText::joined(above, '\n', [](const PendingComment& p) { return p.text; });
    pending_ = std::move(rest);
    return out;
}

void Builder::settle_pending() {
    if (pending_.empty()) return;
    const std::vector<PendingComment> waiting = std::move(pending_);
    pending_.clear();
    std::vector<parser::Comment> comments;
    comments.reserve(waiting.size());
    for (const PendingComment& p : waiting) {
        parser::Comment c;
        c.mark.line = p.line;
        c.text = p.text;
        comments.push_back(c);
    }
    distribute(comments.data(), comments.data() + comments.size());
}

}  // namespace plovarn::builder
