#pragma once

// Builds node trees from parser events and attaches every comment, by its line
// alone, to the entry or item it belongs to.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "builder/frame.h"
#include "parser/event.h"
#include "types/node.h"
#include "types/opt_text.h"

namespace plovarn::builder {

class Builder {
public:
    // Applies one event; `line` is the line of its marker and `comments` are those
    // the parser pulled past while producing it, left empty afterwards.
    void apply(parser::Event&& event, std::uint64_t line, std::vector<parser::Comment>& comments);
    // The finished document roots, in stream order.
    std::vector<types::YamlNode> take_documents() { return std::move(documents_); }

private:
    struct PendingComment {
        std::uint64_t line;
        std::string text;
    };

    void apply_event(parser::Event&& event, std::uint64_t line);
    void distribute(parser::Comment* first, parser::Comment* last);
    void apply_scalar(parser::event::Scalar&& scalar, std::uint64_t line);
    void apply_alias(std::uint64_t line);
    void push_node(types::YamlNode node);
    // The pending comments above `line`, joined by "\n"; empties `pending_`.
    types::OptText take_before(std::uint64_t line);
    void attach_inline(std::string text);
    // The innermost collection is empty and will become an item or an entry.
    bool top_frame_is_empty_child() const;
    // Sets the end-of-line comment of the item or entry added last to the innermost
    // open collection (one exists after such a collection closed).
    void attach_to_last_child(std::string text);

    std::optional<std::uint64_t> last_line_;
    std::vector<Frame> frames_;
    std::vector<types::YamlNode> documents_;
    std::vector<PendingComment> pending_;
    // `last_written` of the mapping frame that became the latest document root.
    std::size_t root_last_written_ = 0;
};

}  // namespace plovarn::builder
