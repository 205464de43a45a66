#pragma once

// Builds node trees from parser events and attaches every comment, by its line
// alone, to the entry or item it belongs to.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
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
    void with_comments(bool scalar, bool alias, bool closing, std::uint64_t line, std::span<const parser::Comment> comments,
                       Apply&& apply);
    void apply_event(parser::Event&& event, std::uint64_t line);
    void apply_plain(const parser::PlainEvent& event);
    void distribute(const parser::Comment* first, const parser::Comment* last);
    void apply_scalar(std::string_view text, scanner::ScalarStyle style, std::string_view anchor, const parser::Tag* tag,
                      std::uint64_t line);
    void apply_alias(std::string_view name, std::uint64_t line);
    void open_frame(bool mapping, std::uint64_t line, std::string_view anchor, const parser::Tag* tag);
    void push_node(types::YamlNode node);
    // Stores the frame's key with its comments and `node` as an entry.
    void insert_entry(MappingFrame& map, types::YamlNode node);
    // The comment lines of the first entry of a mapping that is a sequence item go
    // to that item, where the writer's lines above the entry read back.
    void first_entry_lines_to_holder(MappingFrame& map);
    // The pending comments above `line`, joined by "\n"; those on or below it stay.
    types::OptText take_before(std::uint64_t line);
    // Places the pending comments again, after the line they are matched against
    // changed: those on it become end-of-line comments.
    void settle_pending();
    // take_before for the key or item about to be read; when it is the first one of
    // a collection that is itself a sequence item, the comments go to that item.
    types::OptText take_for_child(std::uint64_t line) {
        types::OptText above = take_before(line);
        if (above) give_to_holder(above);
        return above;
    }
    // Moves the comments to the item that holds the innermost collection, when
    // that has no child yet and is a sequence item.
    bool give_to_holder(types::OptText& above);
    // Appends comment lines (present) to `lines`, after a line break.
    static void join_lines(types::OptText& lines, types::OptText more);
    void attach_inline(std::string_view text);
    // Sets an end-of-line comment, keeping one the slot had in the lines above.
    static void set_inline(types::OptText& slot, types::OptText& above, std::string_view text);
    // The same for the entry written last, whose lines go to the item holding the
    // mapping when it is the first entry.
    void set_entry_inline(MappingFrame& map, std::string_view text);
    // Sets one comment of a document root, or its version.
    static void set_root_prop(types::YamlNode& root, types::OptText types::NodeProps::*field, types::OptText text);
    // The innermost collection has no item, entry or key yet.
    bool top_frame_is_empty() const;
    // The innermost collection will become an item or an entry.
    bool top_frame_becomes_child() const;
    void close_sequence(std::uint64_t line);
    void close_mapping(std::uint64_t line);
    // The anchor and tag of a collection that closed; an empty document root
    // (`[]`, `{}`), which has no entry to give them to, also keeps the comment
    // lines above it.
    types::NodeProps closed_props(types::OptText anchor, types::OptText tag, bool empty, std::uint64_t line);
    // Gives a collection that closed those, keeps it for the aliases of its name,
    // and places it as the next item, entry or document.
    void place_closed(types::YamlNode&& node, bool empty, types::OptText&& anchor, types::OptText&& tag,
                      std::uint64_t line);
    // The comment lines after the last value of the stream stay with its last document.
    void keep_trailing_comments();
    // The %YAML version of the document just ended goes to its root.
    void keep_version();
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
    // The %YAML version of the document being read, and the documents before it.
    std::string version_;
    std::size_t documents_before_ = 0;
    // The node each anchor name of the document being read names, for the aliases
    // after it to keep (see YamlNode::alias): the node that the name was written in
    // front of last, once finished; for a key, its text as a scalar, and the key.
    // A name on a collection that is not finished yet is missing.
    struct Anchored {
        types::YamlNode node;
        std::optional<types::KeyText> key;
    };
    std::unordered_map<std::string, Anchored> anchored_;
    void remember_anchored(std::string_view name, const types::YamlNode& node);
    // The same for a key that carries an anchor: its text as a scalar, and the key.
    void remember_anchored_key(const types::KeyText& key, scanner::ScalarStyle style, const parser::Tag* tag);
    // A node standing for the alias `name`, with what its anchor named.
    types::YamlNode alias_node(std::string_view name) const;
};

}  // namespace plovarn::builder
