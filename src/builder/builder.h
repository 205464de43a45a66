#pragma once

// Builds node trees from parser events and attaches every comment, by its line
// alone, to the entry or item it belongs to.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builder/frame.h"
#include "builder/level_store.h"
#include "parser/event.h"
#include "types/node.h"
#include "types/opt_text.h"

namespace plovarn::builder {

class Builder {
public:
    // Applies one event; `line` is the line of its marker and `comments` are those
    // the parser pulled past while producing it, left empty afterwards. Their
    // texts need to live only for the call.
    void apply(parser::Event&& event, std::uint64_t line, std::vector<parser::Comment>& comments);
    // The finished document roots, in stream order.
    std::vector<types::YamlNode> take_documents() { return std::move(documents_); }

private:
    // A comment waiting for the next key or item: its line and where its text
    // stands in `pending_text_`.
    struct PendingComment {
        std::uint64_t line;
        std::size_t begin, end;
    };

    void apply_event(parser::Event&& event, std::uint64_t line);
    void distribute(parser::Comment* first, parser::Comment* last);
    void apply_scalar(parser::event::Scalar&& scalar, std::uint64_t line);
    void apply_alias(std::string_view name, std::uint64_t line);
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
    // The texts of `pending_` in order, each after a "\n" but the first, so that a
    // block of comment lines is already joined.
    std::string pending_text_;
    // `last_written` of the mapping frame that became the latest document root.
    std::size_t root_last_written_ = 0;
};

}  // namespace plovarn::builder
