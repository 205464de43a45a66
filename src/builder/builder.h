#pragma once

// Builds node trees from parser events and attaches every comment, by its line
// alone, to the entry or item it belongs to.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "builder/frame.h"
#include "builder/level_store.h"
#include "parser/event.h"
#include "parser/event_sink.h"
#include "types/node.h"
#include "types/opt_text.h"

namespace plovarn::builder {

class Builder final : public parser::EventSink {
public:
    // Applies one event of the parser; `line` is the line of its marker and
    // `comments` are those the parser pulled past while producing it, left empty
    // afterwards. Their texts must live as long as the builder: they are views
    // into the text being read.
    void apply(parser::Event&& event, std::uint64_t line, std::vector<parser::Comment>& comments);
    // The same for an event without anchor and tag, from either reader.
    void event(const parser::PlainEvent& event, std::span<const parser::Comment> comments) override;
    // The finished document roots, in stream order.
    std::vector<types::YamlNode> take_documents() { return std::move(documents_); }

private:
    // A comment waiting for the next key or item.
    struct PendingComment {
        std::uint64_t line;
        std::string_view text;
    };

    // Places the comments that come with an event around applying it.
    template <class Apply>
    void with_comments(bool scalar, bool closing, std::uint64_t line, std::span<const parser::Comment> comments,
                       Apply&& apply);
    void apply_event(parser::Event&& event, std::uint64_t line);
    void apply_plain(const parser::PlainEvent& event);
    void distribute(const parser::Comment* first, const parser::Comment* last);
    void apply_scalar(std::string_view text, scanner::ScalarStyle style, types::NodeProps props, std::uint64_t line);
    void apply_alias(std::string_view name, std::uint64_t line);
    void open_frame(bool mapping, std::uint64_t line, types::NodeProps props);
    void close_frame(bool mapping);
    void push_node(types::YamlNode node);
    // The pending comments above `line`, joined by "\n"; empties `pending_`.
    types::OptText take_before(std::uint64_t line);
    void attach_inline(std::string_view text);
    // The innermost collection is empty and will become an item or an entry.
    bool top_frame_is_empty_child() const;
    // Sets the end-of-line comment of the item or entry added last to the innermost
    // open collection (one exists after such a collection closed).
    void attach_to_last_child(std::string_view text);

    std::optional<std::uint64_t> last_line_;
    std::vector<Frame> frames_;
    LevelStore levels_;
    std::vector<types::YamlNode> documents_;
    std::vector<PendingComment> pending_;
    // `last_written` of the mapping frame that became the latest document root.
    std::size_t root_last_written_ = 0;
};

}  // namespace plovarn::builder
