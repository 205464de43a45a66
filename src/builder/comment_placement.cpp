// The builder's placement of comments: end-of-line comments go to the entry or item
// just read, all others wait for the next key or item.

#include "builder/builder.h"

#include <variant>

namespace plovarn::builder {

template <class Apply>
void Builder::with_comments(bool scalar, bool closing, std::uint64_t line, std::span<const parser::Comment> comments,
                            Apply&& apply) {
    // A quoted or block scalar's token is queued only after the scanner has passed
    // the rest of its line and the comment lines below it, so those comments come
    // with the scalar's own event although they follow it. They are placed after
    // the scalar, as its end-of-line comment and as lines above whatever comes
    // next; placed before it they would be dropped as standing below the item.
    // Comments before a plain scalar always stand above it.
    // Likewise a comment behind the closing bracket of an empty flow collection
    // (`- []  # note`) has no item inside to go to: it belongs to the item or entry
    // the collection becomes.
    const parser::Comment* first = comments.data();
    const parser::Comment* last = first + comments.size();
    const parser::Comment* after = last;
    const bool closes_empty = closing && top_frame_is_empty_child();
    if (scalar || closes_empty) {
        after = first;
        while (after != last && after->mark.line < line) ++after;
    }
    distribute(first, after);
    apply();
    if (closes_empty)
        for (const parser::Comment* c = after; c != last; ++c) attach_to_last_child(c->text);
    else
        distribute(after, last);
}

void Builder::apply(parser::Event&& event, std::uint64_t line, std::vector<parser::Comment>& comments) {
    const bool scalar = std::holds_alternative<parser::event::Scalar>(event);
    const bool closing = std::holds_alternative<parser::event::SequenceEnd>(event) ||
                         std::holds_alternative<parser::event::MappingEnd>(event);
    with_comments(scalar, closing, line, comments, [&] { apply_event(std::move(event), line); });
    comments.clear();
}

void Builder::event(const parser::PlainEvent& event, std::span<const parser::Comment> comments) {
    using parser::EventKind;
    if (comments.empty()) {
        // Most events come without comments: nothing to place.
        apply_plain(event);
        return;
    }
    const bool closing = event.kind == EventKind::SequenceEnd || event.kind == EventKind::MappingEnd;
    with_comments(event.kind == EventKind::Scalar, closing, event.line, comments, [&] { apply_plain(event); });
}

bool Builder::top_frame_is_empty_child() const {
    if (frames_.size() < 2) return false;  // a document root has nothing to hold a comment
    const Frame& top = frames_.back();
    if (const auto* seq = std::get_if<SequenceFrame>(&top)) {
        if (!seq->items.empty()) return false;
    } else {
        const auto& map = std::get<MappingFrame>(top);
        if (!map.map.empty() || map.key) return false;
    }
    // In key position the collection is dropped and becomes nothing.
    const auto* parent = std::get_if<MappingFrame>(&frames_[frames_.size() - 2]);
    return !parent || parent->key;
}

void Builder::attach_to_last_child(std::string_view text) {
    if (auto* seq = std::get_if<SequenceFrame>(&frames_.back())) {
        seq->items.back().comment_inline = types::OptText(text);
        return;
    }
    auto& map = std::get<MappingFrame>(frames_.back());
    map.map.entry_mut(map.last_written).comment_inline = types::OptText(text);
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
        // belong to its last entry or item, unless that one already has one.
        if (documents_.empty()) return;
        types::YamlNode& root = documents_.back();
        if (root.is_mapping() && !root.as_mapping().empty()) {
            types::YamlMapping& map = root.as_mapping();
            types::YamlEntry& last = map.entry_mut(root_last_written_);
            if (!last.comment_inline) last.comment_inline = types::OptText(text);
        } else if (root.is_sequence() && !root.as_sequence().empty()) {
            types::ItemArray& items = root.as_sequence();
            types::YamlItem& last = items.at_mut(items.size() - 1);
            if (!last.comment_inline) last.comment_inline = types::OptText(text);
        }
        return;
    }
    Frame& top = frames_.back();
    if (auto* seq = std::get_if<SequenceFrame>(&top)) {
        if (!seq->items.empty()) {
            seq->items.back().comment_inline = types::OptText(text);
            return;
        }
    } else {
        auto& map = std::get<MappingFrame>(top);
        if (map.key) {
            map.comment_inline = types::OptText(text);
            return;
        }
        if (!map.map.empty()) {
            map.map.entry_mut(map.last_written).comment_inline = types::OptText(text);
            return;
        }
    }
    // The innermost collection is still empty, as in `key: []  # note`: the comment
    // stands at the end of the line of the entry whose value it is.
    if (frames_.size() < 2) return;
    if (auto* parent = std::get_if<MappingFrame>(&frames_[frames_.size() - 2]); parent && parent->key)
        parent->comment_inline = types::OptText(text);
}

types::OptText Builder::take_before(std::uint64_t line) {
    // Comments arrive in input order, so those above `line` are usually the
    // first ones.
    std::size_t kept = 0;
    while (kept < pending_.size() && pending_[kept].line < line) ++kept;
    std::span<const PendingComment> above(pending_.data(), kept);
    std::vector<PendingComment> scattered;
    for (std::size_t i = kept; i < pending_.size(); ++i) {
        if (pending_[i].line >= line) continue;
        if (scattered.empty()) scattered.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(kept));
        scattered.push_back(pending_[i]);
    }
    if (!scattered.empty()) above = scattered;
    types::OptText out;
    if (!above.empty()) out = types::OptText::joined(above, '\n', [](const PendingComment& p) { return p.text; });
    pending_.clear();
    return out;
}

}  // namespace plovarn::builder
