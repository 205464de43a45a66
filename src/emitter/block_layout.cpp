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
    const void* collection;  // YamlMapping for Mapping and Compact, ItemArray for Sequence
    std::size_t next;        // position of the next entry or item to write
    std::size_t indent;      // column of the keys, or of the dashes
};

Frame mapping_frame(const YamlMapping& m, std::size_t indent) { return {Frame::Kind::Mapping, &m, 0, indent}; }
Frame sequence_frame(const ItemArray& s, std::size_t indent) { return {Frame::Kind::Sequence, &s, 0, indent}; }

bool is_nonempty_mapping(const YamlNode& n) { return n.is_mapping() && !n.as_mapping().empty(); }
bool is_nonempty_sequence(const YamlNode& n) { return n.is_sequence() && !n.as_sequence().empty(); }

// A scalar, an alias or an empty collection on the line of its key or dash,
// after a space and its anchor and tag. None of these forms ends in a line feed,
// so nothing needs trimming; an empty value (`key:` as read) leaves no trailing
// space.
void append_spaced_value(std::string& out, const YamlNode& node, DocumentAnchors& anchors) {
    out.push_back(' ');
    if (append_props(out, node, anchors)) out.push_back(' ');
    const std::size_t start = out.size();
    switch (node.kind()) {
        case YamlNode::Kind::Scalar: append_scalar(out, node.as_scalar()); break;
        case YamlNode::Kind::Null: append_alias(out, node, anchors); break;
        case YamlNode::Kind::Mapping: out.append("{}"); break;
        case YamlNode::Kind::Sequence: out.append("[]"); break;
    }
    if (out.size() == start) out.pop_back();
}

// The lines of a literal block whose header ended the line above.
void append_block_lines(std::string& out, const YamlNode& node, std::size_t indent) {
    if (node.is_scalar() && written_as_literal(node.as_scalar())) append_literal_body(out, node.as_scalar().as_str(), indent);
}

// The anchor and tag of a collection that follows on the next lines, after a space.
void append_spaced_props(std::string& out, const YamlNode& node, DocumentAnchors& anchors) {
    out.push_back(' ');
    if (!append_props(out, node, anchors)) out.pop_back();
}

bool needs_explicit_key(const types::KeyText& key, Position where) {
    // Every byte writes at most four characters (an escape such as \x01).
    if (key.size() * 4 + 2 <= max_simple_key_chars) return false;
    return written_char_count(key, key_form(key, where)) > max_simple_key_chars;
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
std::optional<Frame> write_entry(const YamlMapping::Pair& pair, std::size_t col, Place place, std::string& out,
                                 DocumentAnchors& anchors) {
    const auto& [key, entry] = pair;
    const YamlNode& node = entry.node;
    const Position key_pos = col == 0 ? Position::LineStart : Position::Inline;
    const bool is_explicit = needs_explicit_key(key, key_pos);
    const bool first_compact = place == Place::CompactFirst;

    if (first_compact && (entry.comment_before || is_explicit)) out.push_back('\n');
    if (entry.comment_before) append_comment_block(out, *entry.comment_before, col);
    if (!first_compact || entry.comment_before || is_explicit) out.append(col, ' ');

    bool comment_pending = entry.comment_inline.has_value();
    if (is_explicit) {
        out.append("? ");
        const StringForm form = key_form(key, Position::Inline);
        append_in_form(out, key, form);
        // A comment behind a quoted key is not attached to anything by the reader;
        // behind a plain value on the ':' line it is.
        const bool on_value_line = form != StringForm::Plain && is_plain_value(node);
        if (comment_pending && !on_value_line) {
            append_inline_comment(out, inline_marker, *entry.comment_inline, col);
            comment_pending = false;
        }
        out.push_back('\n');
        out.append(col, ' ');
    } else {
        append_in_form(out, key, key_form(key, key_pos));
    }
    out.push_back(':');

    auto end_key_line = [&] {
        if (comment_pending) append_inline_comment(out, inline_marker, *entry.comment_inline, col);
        out.push_back('\n');
    };
    if (is_nonempty_sequence(node)) {
        append_spaced_props(out, node, anchors);
        end_key_line();
        return sequence_frame(node.as_sequence(), col + 2);
    }
    if (is_nonempty_mapping(node)) {
        append_spaced_props(out, node, anchors);
        end_key_line();
        return mapping_frame(node.as_mapping(), col + 2);
    }
    if ((node.is_mapping() || node.is_sequence()) && place == Place::Block) {
        append_spaced_props(out, node, anchors);
        end_key_line();
        out.append(col + 2, ' ');
        out.append(node.is_mapping() ? "{}\n" : "[]\n");
        return std::nullopt;
    }
    append_spaced_value(out, node, anchors);
    end_key_line();
    append_block_lines(out, node, col + 2);
    return std::nullopt;
}

// Writes one sequence element whose dash stands at column `col`.
std::optional<Frame> write_item(const types::YamlItem& item, std::size_t col, std::string& out,
                                DocumentAnchors& anchors) {
    const YamlNode& node = item.node;
    if (item.comment_before) append_comment_block(out, *item.comment_before, col);
    out.append(col, ' ');
    out.append("- ");
    // A mapping with an anchor or a tag starts below them: on the dash's line they
    // would belong to its first key.
    const bool has_props = props_of(node) != nullptr;
    if (is_nonempty_sequence(node) || (is_nonempty_mapping(node) && (item.comment_inline || has_props))) {
        if (has_props) {
            out.pop_back();
            append_spaced_props(out, node, anchors);
            if (item.comment_inline) append_inline_comment(out, inline_marker, *item.comment_inline, col);
        } else if (item.comment_inline) {
            append_inline_comment(out, dash_marker, *item.comment_inline, col);
        }
        out.push_back('\n');
        if (node.is_sequence()) return sequence_frame(node.as_sequence(), col + 2);
        return mapping_frame(node.as_mapping(), col + 2);
    }
    if (is_nonempty_mapping(node)) return Frame{Frame::Kind::Compact, &node.as_mapping(), 0, col + 2};
    out.pop_back();
    append_spaced_value(out, node, anchors);
    if (item.comment_inline) append_inline_comment(out, inline_marker, *item.comment_inline, col);
    out.push_back('\n');
    append_block_lines(out, node, col + 2);
    return std::nullopt;
}

void run(Frame root, std::string& out, DocumentAnchors& anchors) {
    std::vector<Frame> stack;
    stack.reserve(16);
    stack.push_back(root);
    while (!stack.empty()) {
        Frame& top = stack.back();
        std::optional<Frame> child;
        if (top.kind == Frame::Kind::Sequence) {
            const auto& items = *static_cast<const ItemArray*>(top.collection);
            if (top.next == items.size()) {
                stack.pop_back();
                continue;
            }
            child = write_item(items[top.next++], top.indent, out, anchors);
        } else {
            const auto& map = *static_cast<const YamlMapping*>(top.collection);
            if (top.next == map.size()) {
                stack.pop_back();
                continue;
            }
            const Place place = top.kind == Frame::Kind::Mapping ? Place::Block
                                : top.next == 0                  ? Place::CompactFirst
                                                                 : Place::CompactLater;
            child = write_entry(map.at(top.next++), top.indent, place, out, anchors);
        }
        if (child) stack.push_back(*child);
    }
}

}  // namespace

void write_node(const YamlNode& node, std::size_t indent, std::string& out, DocumentAnchors& anchors) {
    // A node that starts a line: a document root. Its anchor and tag stand on a
    // line of their own above a collection, in front of anything else.
    const bool line_start = out.empty() || out.back() == '\n';
    const std::size_t start = out.size();
    const bool has_props = append_props(out, node, anchors);
    const bool nonempty_collection = is_nonempty_mapping(node) || is_nonempty_sequence(node);
    if (has_props) out.push_back(nonempty_collection ? '\n' : ' ');
    switch (node.kind()) {
        case YamlNode::Kind::Mapping:
            if (node.as_mapping().empty()) out.append("{}\n");
            else run(mapping_frame(node.as_mapping(), indent), out, anchors);
            break;
        case YamlNode::Kind::Sequence:
            if (node.as_sequence().empty()) out.append("[]\n");
            else run(sequence_frame(node.as_sequence(), indent), out, anchors);
            break;
        case YamlNode::Kind::Null: append_alias(out, node, anchors); break;
        case YamlNode::Kind::Scalar: {
            const std::size_t value_start = out.size();
            append_scalar(out, node.as_scalar(), line_start && !has_props ? Position::LineStart : Position::Inline);
            // An empty value as read stays empty only where something stands before it.
            if (out.size() == value_start) {
                if (has_props) out.pop_back();
                if (out.size() == start) out.append("null");
            } else if (written_as_literal(node.as_scalar())) {
                out.push_back('\n');
                append_block_lines(out, node, indent + 2);
            }
            break;
        }
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
