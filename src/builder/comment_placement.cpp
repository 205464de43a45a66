// The builder's placement of comments: end-of-line comments go to the entry or item
// just read, all others wait for the next key or item.

#include "builder/builder.h"

namespace plovarn::builder {

void Builder::distribute_comments(std::vector<parser::Comment>& comments) {
    for (parser::Comment& c : comments) {
        if (last_line_ && *last_line_ == c.mark.line)
            attach_inline(std::move(c.text));
        else
            pending_.push_back(PendingComment{c.mark.line, std::move(c.text)});
    }
    comments.clear();
}

void Builder::attach_inline(std::string text) {
    if (frames_.empty()) {
        // After a document's root closed, a comment on its last line may still
        // belong to its last entry or item, unless that one already has one.
        if (documents_.empty()) return;
        types::YamlNode& root = documents_.back();
        if (root.is_mapping() && !root.as_mapping().empty()) {
            types::YamlMapping& map = root.as_mapping();
            types::YamlEntry& last = map.entry_mut(root_last_written_);
            if (!last.comment_inline) last.comment_inline = std::move(text);
        } else if (root.is_sequence() && !root.as_sequence().empty()) {
            types::ItemArray& items = root.as_sequence();
            types::YamlItem& last = items.at_mut(items.size() - 1);
            if (!last.comment_inline) last.comment_inline = std::move(text);
        }
        return;
    }
    Frame& top = frames_.back();
    if (auto* seq = std::get_if<SequenceFrame>(&top)) {
        if (!seq->items.empty()) seq->items.back().comment_inline = std::move(text);
        return;
    }
    auto& map = std::get<MappingFrame>(top);
    if (map.key)
        map.comment_inline = std::move(text);
    else if (!map.map.empty())
        map.map.entry_mut(map.last_written).comment_inline = std::move(text);
}

types::OptText Builder::take_before(std::uint64_t line) {
    std::string joined;
    bool any = false;
    for (PendingComment& p : pending_) {
        if (p.line >= line) continue;
        if (!any) {
            joined = std::move(p.text);
            any = true;
        } else {
            joined += '\n';
            joined += p.text;
        }
    }
    pending_.clear();
    if (!any) return {};
    return types::OptText(std::move(joined));
}

}  // namespace plovarn::builder
