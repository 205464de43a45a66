// Block-style layout of mappings and sequences with their comments.
//
// The walk keeps its own stack of open collections instead of recursing, so a
// tree nested as deep as the reader allows cannot exhaust the native stack.

#include <optional>
#include <vector>

#include "emitter/comment_lines.h"
#include "emitter/document_anchors.h"
#include "emitter/emitter.h"
#include "emitter/layout.h"
#include "emitter/literal_block.h"
#include "emitter/scalar_text.h"
#include "emitter/unicode_breaks.h"

namespace plovarn::emitter {
namespace {

using types::ItemArray;
using types::YamlMapping;
using types::YamlNode;

// The reader gives up on a simple key whose ':' stands further than this many
// characters from the key's first character.
constexpr std::size_t max_simple_key_chars = 1024;

constexpr std::string_view inline_marker = "  # ";
constexpr std::string_view dash_marker = "# ";

struct Frame {
    enum class Kind : std::uint8_t { Mapping, Sequence, Compact };
    Kind kind;
    // A sequence that is a sequence item's node, below the item's dash: comment
    // lines above its first dash are read as that item's.
    bool in_item = false;
    // A value that carries comment lines for after itself (a document root stored
    // as a value): they are written after its last line, at its key's or dash's column.
    bool carries_after = false;
    const void* collection = nullptr;  // YamlMapping for Mapping and Compact, ItemArray for Sequence
    std::size_t next = 0;              // position of the next entry or item to write
    std::size_t indent = 0;            // column of the keys, or of the dashes
};

Frame mapping_frame(const YamlMapping& m, std::size_t indent) {
    return {Frame::Kind::Mapping, false, false, &m, 0, indent};
}
Frame sequence_frame(const ItemArray& s, std::size_t indent) {
    return {Frame::Kind::Sequence, false, false, &s, 0, indent};
}

// A sequence element read empty is written as a dash alone, and the reader
// places the empty value at the next token: comment lines directly below such
// a line would be read as that element's comment before. `bare_end` is where
// such a line ends, if it was the last one written; before comment lines are
// written there, the element's value is spelled out.
void spell_out_bare_item(std::string& out, std::size_t bare_end) {
    if (bare_end == out.size()) out.insert(out.size() - 1, " null");
}

// The document comments a node carries (a document root, or a root later stored
// as a value): its props where they hold any, else null.
const types::NodeProps* carried_comments(const types::NodeProps* props) {
    return props && props->has_comments() ? props : nullptr;
}

bool carries_lines_above(const types::NodeProps* carried) {
    return carried && (carried->comment_before || carried->comment_inline);
}

// A value that carries document comments is not a root here: the lines above it
// and its end-of-line comment become comment lines at the start of its content,
// below its key or dash, when it is a non-empty collection, and otherwise follow
// its line, before the lines it carries for after it.
void append_carried_above(std::string& out, const types::NodeProps* carried, std::size_t indent) {
    if (!carried) return;
    if (carried->comment_before) append_comment_block(out, *carried->comment_before, indent);
    if (carried->comment_inline) append_comment_block(out, *carried->comment_inline, indent);
}

// All the lines of a scalar or empty value, after its line.
void append_carried_lines(std::string& out, const types::NodeProps* carried, std::size_t indent) {
    if (!carried) return;
    append_carried_above(out, carried, indent);
    if (carried->comment_after) append_comment_block(out, *carried->comment_after, indent);
}

// After the last entry or item of a nested collection: the lines it carries.
void append_carried_after(std::string& out, const Frame& done, std::size_t bare_end) {
    const types::NodeProps* props = done.kind == Frame::Kind::Sequence
                                        ? static_cast<const ItemArray*>(done.collection)->props()
                                        : static_cast<const YamlMapping*>(done.collection)->props();
    spell_out_bare_item(out, bare_end);
    append_comment_block(out, *props->comment_after, done.indent - 2);
}

// The frame of a nested collection that may carry comment lines for after it.
Frame value_frame(Frame frame, const types::NodeProps* carried) {
    frame.carries_after = carried && carried->comment_after;
    return frame;
}

// What is left of an end-of-line comment after its first line; mostly nothing.
void append_rest_lines(std::string& out, std::string_view rest, std::size_t indent) {
    if (!rest.empty()) append_comment_lines(out, rest, indent);
}

bool is_nonempty_mapping(const YamlNode& n) { return n.is_mapping() && !n.as_mapping().empty(); }
bool is_nonempty_sequence(const YamlNode& n) { return n.is_sequence() && !n.as_sequence().empty(); }

// A scalar, an alias or an empty collection on the line of its key or dash,
// after a space and its anchor and tag. None of these forms ends in a line feed,
// so nothing needs trimming; an empty value (`key:` as read) leaves no trailing
// space, unless `spell_empty` asks for "null" in its place where nothing else
// stands there (behind an anchor or tag the reader places the empty value at
// them, and behind a tag "null" would be that text). Returns whether the line
// ends at the key or dash.
bool append_spaced_value(std::string& out, const YamlNode& node, const types::NodeProps* props,
                         DocumentAnchors& anchors, bool spell_empty = false) {
    out.push_back(' ');
    const bool has_props = append_props(out, props, anchors);
    if (has_props) out.push_back(' ');
    const std::size_t start = out.size();
    switch (node.kind()) {
        case YamlNode::Kind::Scalar: append_scalar(out, node.as_scalar()); break;
        case YamlNode::Kind::Null: append_alias(out, node, anchors); break;
        case YamlNode::Kind::Mapping: out.append("{}"); break;
        case YamlNode::Kind::Sequence: out.append("[]"); break;
    }
    if (out.size() != start) return false;
    if (spell_empty && !has_props) {
        out.append("null");
        return false;
    }
    out.pop_back();
    return !has_props;
}

// The lines of a literal block whose header ended the line above.
void append_block_lines(std::string& out, const YamlNode& node, std::size_t indent) {
    if (node.is_scalar() && written_as_literal(node.as_scalar())) append_literal_body(out, node.as_scalar().as_str(), indent);
}

// The anchor and tag of a collection that follows on the next lines, after a space.
void append_spaced_props(std::string& out, const types::NodeProps* props, DocumentAnchors& anchors) {
    out.push_back(' ');
    if (!append_props(out, props, anchors)) out.pop_back();
}

// Comment lines inserted above the line that `out` ends with, at its indentation.
void insert_above_last_line(std::string& out, std::string_view text) {
    const std::size_t end = out.size() - 1;
    const std::size_t start = end == 0 ? 0 : out.rfind('\n', end - 1) + 1;
    std::size_t indent = 0;
    while (out[start + indent] == ' ') ++indent;
    std::string lines;
    append_comment_block(lines, text, indent);
    out.insert(start, lines);
}

// A key read as an empty plain scalar (`? ` with nothing after it, `{: v}`) is
// null to other readers, and `''` would be a string: it is written as a `?` alone.
bool is_empty_plain_key(const types::KeyText& key) { return key.empty() && key.style() == types::SourceStyle::Plain; }

// The characters of "&anchor !tag " in front of a key.
std::size_t props_chars(const types::NodeProps* props) {
    if (!props) return 0;
    return (props->anchor ? props->anchor->size() + 2 : 0) + (props->tag ? props->tag->size() + 1 : 0);
}

bool needs_explicit_key(const types::KeyText& key, Position where) {
    if (is_empty_plain_key(key)) return true;
    // Every byte writes at most four characters (an escape such as \x01).
    const std::size_t before = props_chars(key.props());
    const bool short_key = before + key.size() * 4 + 2 <= max_simple_key_chars;
    const bool has_break = has_unicode_break(key);
    if (short_key && !has_break) return false;
    const StringForm form = key_form(key, where);
    // Written raw (as read, plain or single-quoted), such a break ends the line for
    // YAML 1.1 readers, and a simple key must stand on one line.
    if (has_break && form != StringForm::DoubleQuoted) return true;
    return !short_key && before + written_char_count(key, form) > max_simple_key_chars;
}

// The anchor and tag of a key, and a space after them; nothing when it has none.
void append_key_props(std::string& out, const types::KeyText& key, DocumentAnchors& anchors) {
    if (append_props(out, key.props(), anchors)) out.push_back(' ');
}

// Whether a value is written plain, so that a comment behind it on its line is
// attached to its entry.
bool is_plain_value(const YamlNode& node) {
    if (!node.is_scalar()) return node.is_null();
    const auto& v = node.as_scalar();
    return !v.is_str() || string_form(v.as_str(), Position::Inline, v.style()) == StringForm::Plain;
}

enum class Place : std::uint8_t { Block, CompactFirst, CompactLater };

// Writes one mapping entry whose key stands at column `col`; returns the nested
// collection still to be written, if any.
// Inlined into the walk, its one caller: most entries are one short line.
[[gnu::always_inline]] inline std::optional<Frame> write_entry(const YamlMapping::Pair& pair, std::size_t col,
                                                               Place place, std::string& out,
                                                               DocumentAnchors& anchors, std::size_t bare_end) {
    const auto& [key, entry] = pair;
    const YamlNode& node = anchors.stand_in(entry.node);
    const Position key_pos = col == 0 && !key.props() ? Position::LineStart : Position::Inline;
    const bool is_explicit = needs_explicit_key(key, key_pos);
    const bool first_compact = place == Place::CompactFirst;
    const bool lines_above = entry.comment_before.has_value();
    // An empty key is read on the line of its value; with a collection for its
    // value no line holds the end-of-line comment, which then stands above.
    const bool empty_plain = is_empty_plain_key(key);
    const bool inline_above = empty_plain && entry.comment_inline && (node.is_mapping() || node.is_sequence());

    if (first_compact && (lines_above || is_explicit)) out.push_back('\n');
    // Below the dash of the element that holds this mapping, comment lines would
    // go to that element when read: they stand above its dash line instead.
    if (inline_above && first_compact) insert_above_last_line(out, *entry.comment_inline);
    if (lines_above || (inline_above && !first_compact)) spell_out_bare_item(out, bare_end);
    if (lines_above) append_comment_block(out, *entry.comment_before, col);
    if (inline_above && !first_compact) append_comment_block(out, *entry.comment_inline, col);
    if (!first_compact || lines_above || is_explicit) out.append(col, ' ');

    bool comment_pending = entry.comment_inline.has_value() && !inline_above;
    // Behind an empty key and value the comment needs a value written on the line.
    const bool spell_empty = empty_plain && comment_pending;
    if (is_explicit) {
        out.append("? ");
        append_key_props(out, key, anchors);
        const StringForm form = empty_plain ? StringForm::Plain : key_form(key, Position::Inline);
        append_in_form(out, key, form);
        if (empty_plain) out.pop_back();  // the space after the `?` or the anchor and tag
        // A comment behind a quoted key is not attached to anything by the reader;
        // behind a plain value on the ':' line it is, and so behind any scalar
        // value of an empty key.
        const bool on_value_line = empty_plain || (form != StringForm::Plain && is_plain_value(node));
        std::string_view rest;
        if (comment_pending && !on_value_line) {
            rest = append_inline_comment(out, inline_marker, *entry.comment_inline);
            comment_pending = false;
        }
        out.push_back('\n');
        append_rest_lines(out, rest, col);
        out.append(col, ' ');
    } else {
        append_key_props(out, key, anchors);
        append_in_form(out, key, key_form(key, key_pos));
    }
    out.push_back(':');

    // Read once the key is written: the value's own block may be far away.
    const types::NodeProps* props = types::props_of(node);
    const types::NodeProps* carried = carried_comments(props);
    // The first line of the end-of-line comment ends the key's line; the rest
    // follows as comment lines below it, or below the value's block lines.
    std::string_view rest;
    auto end_key_line = [&] {
        if (comment_pending) rest = append_inline_comment(out, inline_marker, *entry.comment_inline);
        out.push_back('\n');
    };
    if (is_nonempty_sequence(node) || is_nonempty_mapping(node)) {
        append_spaced_props(out, props, anchors);
        end_key_line();
        append_rest_lines(out, rest, col);
        append_carried_above(out, carried, col + 2);
        return value_frame(node.is_sequence() ? sequence_frame(node.as_sequence(), col + 2)
                                              : mapping_frame(node.as_mapping(), col + 2),
                           carried);
    }
    if ((node.is_mapping() || node.is_sequence()) && place == Place::Block) {
        append_spaced_props(out, props, anchors);
        end_key_line();
        out.append(col + 2, ' ');
        out.append(node.is_mapping() ? "{}\n" : "[]\n");
    } else {
        append_spaced_value(out, node, props, anchors, spell_empty);
        end_key_line();
        append_block_lines(out, node, col + 2);
    }
    append_rest_lines(out, rest, col);
    append_carried_lines(out, carried, col);
    return std::nullopt;
}

// Writes one sequence element whose dash stands at column `col`. `first_in_item`:
// the element is the first of a sequence that is itself an item's node, so the
// reader gives comment lines above its dash to that outer item. `bare_end`: see
// spell_out_bare_item; set when this element is such a line.
std::optional<Frame> write_item(const types::YamlItem& item, std::size_t col, bool first_in_item,
                                std::size_t& bare_end, std::string& out, DocumentAnchors& anchors) {
    const YamlNode& node = anchors.stand_in(item.node);
    const types::NodeProps* props = types::props_of(node);
    const types::NodeProps* carried = carried_comments(props);
    const bool lines_above = item.comment_before.has_value();
    const bool nested = is_nonempty_sequence(node) || is_nonempty_mapping(node);
    // There, the comment lines of an element that holds a collection stand below
    // its dash, above the collection's first entry (or the empty collection
    // itself), where the reader gives them to this element.
    const bool lines_below_dash = lines_above && first_in_item && (node.is_mapping() || node.is_sequence());
    // A collection's own lines (see append_carried_above) stand below the dash too.
    const bool carried_below_dash = nested && carries_lines_above(carried);
    if (lines_above && !lines_below_dash) {
        spell_out_bare_item(out, bare_end);
        append_comment_block(out, *item.comment_before, col);
    }
    out.append(col, ' ');
    out.append("- ");
    // A mapping with an anchor or a tag starts below them: on the dash's line they
    // would belong to its first key. An anchor written before in front of this
    // node or a copy of it is not written again; one that another node carried
    // is, as a variant of the name.
    const bool has_props = props && (props->tag || (props->anchor && anchors.would_add(*props->anchor, props)));
    std::string_view rest;
    if (is_nonempty_sequence(node) ||
        (is_nonempty_mapping(node) && (item.comment_inline || has_props || lines_below_dash || carried_below_dash))) {
        if (has_props) {
            out.pop_back();
            append_spaced_props(out, props, anchors);
            if (item.comment_inline) rest = append_inline_comment(out, inline_marker, *item.comment_inline);
        } else if (item.comment_inline) {
            rest = append_inline_comment(out, dash_marker, *item.comment_inline);
        }
        out.push_back('\n');
        append_rest_lines(out, rest, col);
        if (lines_below_dash) append_comment_block(out, *item.comment_before, col + 2);
        append_carried_above(out, carried, col + 2);
        Frame nested_frame = node.is_sequence() ? sequence_frame(node.as_sequence(), col + 2)
                                                : mapping_frame(node.as_mapping(), col + 2);
        nested_frame.in_item = node.is_sequence();
        return value_frame(nested_frame, carried);
    }
    if (nested) return value_frame(Frame{Frame::Kind::Compact, false, false, &node.as_mapping(), 0, col + 2}, carried);
    out.pop_back();
    if (lines_below_dash) {
        out.push_back('\n');
        append_comment_block(out, *item.comment_before, col + 2);
        out.append(col + 1, ' ');  // the value comes after a space
    }
    // An element read empty is spelled out where a comment follows it on its
    // line or below it (see spell_out_bare_item).
    const bool spell_empty = item.comment_inline || (carried && carried->comment_after);
    const bool bare = append_spaced_value(out, node, props, anchors, spell_empty);
    if (item.comment_inline) rest = append_inline_comment(out, inline_marker, *item.comment_inline);
    out.push_back('\n');
    if (bare) bare_end = out.size();
    append_block_lines(out, node, col + 2);
    append_rest_lines(out, rest, col);
    append_carried_lines(out, carried, col);
    return std::nullopt;
}

// Writes a non-empty collection; returns where its text ends when that is an
// element read empty (see spell_out_bare_item).
std::size_t run(Frame root, std::string& out, DocumentAnchors& anchors) {
    std::vector<Frame> stack;
    stack.reserve(16);
    stack.push_back(root);
    std::size_t bare_end = std::string::npos;
    while (!stack.empty()) {
        Frame& top = stack.back();
        std::optional<Frame> child;
        if (top.kind == Frame::Kind::Sequence) {
            const auto& items = *static_cast<const ItemArray*>(top.collection);
            if (top.next == items.size()) {
                if (top.carries_after) append_carried_after(out, top, bare_end);
                stack.pop_back();
                continue;
            }
            const bool first_in_item = top.in_item && top.next == 0;
            child = write_item(items[top.next++], top.indent, first_in_item, bare_end, out, anchors);
        } else {
            const auto& map = *static_cast<const YamlMapping*>(top.collection);
            if (top.next == map.size()) {
                if (top.carries_after) append_carried_after(out, top, bare_end);
                stack.pop_back();
                continue;
            }
            const Place place = top.kind == Frame::Kind::Mapping ? Place::Block
                                : top.next == 0                  ? Place::CompactFirst
                                                                 : Place::CompactLater;
            child = write_entry(map.at(top.next++), top.indent, place, out, anchors, bare_end);
        }
        if (child) stack.push_back(*child);
    }
    return bare_end;
}

}  // namespace

void write_node(const YamlNode& given, std::size_t indent, std::string& out, DocumentAnchors& anchors) {
    // A node that starts a line: a document root. Its comment lines stand above
    // it; its anchor and tag stand on a line of their own above a collection, in
    // front of anything else.
    const YamlNode& node = anchors.stand_in(given);
    const types::NodeProps* doc = carried_comments(types::props_of(node));
    const bool nonempty_collection = is_nonempty_mapping(node) || is_nonempty_sequence(node);
    if (doc && doc->comment_before) append_comment_block(out, *doc->comment_before, indent);
    // A collection's first line belongs to its first entry; the root's own
    // end-of-line comment stands above it.
    if (doc && doc->comment_inline && nonempty_collection) append_comment_block(out, *doc->comment_inline, indent);
    const bool line_start = out.empty() || out.back() == '\n';
    const std::size_t start = out.size();
    const bool has_props = append_props(out, node, anchors);
    if (has_props) out.push_back(nonempty_collection ? '\n' : ' ');
    std::string_view rest;
    std::size_t bare_end = std::string::npos;
    auto end_root_line = [&] {
        if (doc && doc->comment_inline) rest = append_inline_comment(out, inline_marker, *doc->comment_inline);
    };
    switch (node.kind()) {
        case YamlNode::Kind::Mapping:
        case YamlNode::Kind::Sequence:
            if (nonempty_collection) {
                bare_end = run(node.is_mapping() ? mapping_frame(node.as_mapping(), indent)
                                                 : sequence_frame(node.as_sequence(), indent),
                               out, anchors);
            } else {
                out.append(node.is_mapping() ? "{}" : "[]");
                end_root_line();
                out.push_back('\n');
            }
            break;
        case YamlNode::Kind::Null: append_alias(out, node, anchors); break;
        case YamlNode::Kind::Scalar: {
            const std::size_t value_start = out.size();
            append_scalar(out, node.as_scalar(), line_start && !has_props ? Position::LineStart : Position::Inline);
            // An empty value as read stays empty only where something stands before it.
            if (out.size() == value_start) {
                if (has_props) out.pop_back();
                if (out.size() == start) out.append("null");
            }
            end_root_line();
            if (written_as_literal(node.as_scalar())) {
                out.push_back('\n');
                append_block_lines(out, node, indent + 2);
            }
            break;
        }
    }
    // The rest of the end-of-line comment, then the comment lines after the
    // document's last value, each at the start of a line.
    if ((!rest.empty() || (doc && doc->comment_after)) && !out.empty() && out.back() != '\n') out.push_back('\n');
    append_rest_lines(out, rest, indent);
    if (doc && doc->comment_after) {
        spell_out_bare_item(out, bare_end);
        append_comment_block(out, *doc->comment_after, indent);
    }
}

void emit_mapping(const YamlMapping& map, std::size_t indent, std::string& out) {
    DocumentAnchors anchors;
    write_node(YamlNode(map), indent, out, anchors);
}

void emit_sequence(const ItemArray& items, std::size_t indent, std::string& out) {
    DocumentAnchors anchors;
    write_node(YamlNode(items), indent, out, anchors);
}

}  // namespace plovarn::emitter
