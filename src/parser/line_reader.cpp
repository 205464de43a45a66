// The line reader's documents and block collections.
//
// Each event goes out with the comments that the parser would hand over with
// it: those the scanner queues before the last token the parser looks at to
// produce the event. Comments are taken in the order of the text, so an event
// takes every comment read so far; the reading order makes that right. A token
// that opens a line (a key, a dash, the end of a block, `---`) comes after the
// comment lines above it; a comment at the end of a line comes after the tokens
// on it, except that the scanner queues a quoted scalar's token after its
// comment and the comment lines below it, a block scalar's after the comment on
// its header, a closing bracket's after the comment behind it and a dash's after
// the comment behind a lone dash.
#include "parser/line_reader.h"

namespace plovarn::parser {

namespace {

// A dash that starts a block sequence entry.
bool is_dash(const char* p, const char* end) { return *p == '-' && (p + 1 == end || p[1] == ' '); }

const char* skip_spaces(const char* p, const char* end) {
    while (p != end && *p == ' ') ++p;
    return p;
}

// Deeper nesting is left to the parser, which bounds it.
constexpr std::size_t deepest_block = 4000;

}  // namespace

LineReader::LineReader(std::string_view text)
    : begin_(text.data()), end_(text.data() + text.size()), next_(text.data()) {}

bool LineReader::read(EventSink& sink) {
    // Columns are kept in 32 bits.
    if (end_ - begin_ >= (std::ptrdiff_t{1} << 32)) return false;
    sink_ = &sink;
    emit(EventKind::StreamStart, 1);
    if (!advance()) return false;
    if (line_.kind == LineKind::Content) {
        // An implicit document starts at its first token.
        emit(EventKind::DocumentStart, line_.number);
        if (!read_document()) return false;
        emit(EventKind::DocumentEnd, line_.number);
    }
    while (line_.kind == LineKind::DocumentStart) {
        emit(EventKind::DocumentStart, line_.number);
        if (!finish_line(line_.first + 3, line_.end, line_.number) || !advance()) return false;
        if (line_.kind == LineKind::Content) {
            if (!read_document()) return false;
        } else {
            emit(EventKind::Scalar, line_.number);  // an empty document
        }
        emit(EventKind::DocumentEnd, line_.number);
    }
    emit(EventKind::StreamEnd, line_.number);
    return true;
}

// Reads the root node that starts on the current line and everything up to the
// `---` or the end that follows it, which is then the current line.
bool LineReader::read_document() {
    const char* p = line_.first;
    if (*p == '[' || *p == '{') {
        // After a flow root only another document may follow.
        return read_flow(p) && advance() && line_.kind != LineKind::Content;
    }
    if (is_dash(p, line_.end)) {
        if (!open(Level::Sequence, line_.indent, line_.number) || !read_item(p)) return false;
    } else {
        const Key key = key_at(p, line_.end);
        if (key.found != Key::Found::Yes) return false;  // a scalar document
        if (!open(Level::Mapping, line_.indent, line_.number) || !read_entry(key)) return false;
    }
    for (;;) {
        if (!advance()) return false;
        if (line_.kind != LineKind::Content) {
            // Blocks right of the end of a last line without a line break close on
            // that line, the others on the next, where the end stands.
            const bool at_end = line_.kind == LineKind::End;
            auto closing_line = [&] {
                return at_end && open_.back().column > unbroken_last_width_ ? line_.number - 1 : line_.number;
            };
            if (node_due_) {
                node_due_ = false;
                emit(EventKind::Scalar, closing_line());
            }
            while (!open_.empty()) close_top(closing_line());
            return true;
        }
        if (!read_block_line()) return false;
    }
}

bool LineReader::read_block_line() {
    const char* p = line_.first;
    const std::uint32_t indent = line_.indent;
    if (node_due_) {
        node_due_ = false;
        const Open top = open_.back();
        if (indent > top.column) return read_node_at_line_start(top.column);
        if (indent == top.column && is_dash(p, line_.end)) {
            // A dash at the mapping's column opens an indentless sequence; at the
            // sequence's column it ends the due item, which is empty. Either event
            // comes with the token of that dash, which a comment behind a lone
            // dash precedes.
            const bool opens = top.level == Level::Mapping;
            const char* rest = skip_spaces(p + 1, line_.end);
            if (rest != line_.end && *rest == '#') {
                take_comment(rest, line_.end, line_.number);
                if (opens) {
                    if (!open(Level::IndentlessSequence, indent, line_.number)) return false;
                } else {
                    emit(EventKind::Scalar, line_.number);
                }
                node_due_ = true;
                next_line_after(line_.end, line_.number);
                return true;
            }
            if (opens) return open(Level::IndentlessSequence, indent, line_.number) && read_item(p);
        }
        emit(EventKind::Scalar, line_.number);  // the node is empty
    }
    while (!open_.empty() && open_.back().column > indent) close_top(line_.number);
    // Content after the root needs a `---` before it.
    if (open_.empty() || open_.back().column != indent) return false;
    if (is_dash(p, line_.end)) return open_.back().level != Level::Mapping && read_item(p);
    if (open_.back().level == Level::IndentlessSequence) close_top(line_.number);
    if (open_.back().level != Level::Mapping) return false;
    const Key key = key_at(p, line_.end);
    return key.found == Key::Found::Yes && read_entry(key);
}

bool LineReader::read_node_at_line_start(std::uint32_t parent_column) {
    const char* p = line_.first;
    if (is_dash(p, line_.end)) return open(Level::Sequence, line_.indent, line_.number) && read_item(p);
    const Key key = key_at(p, line_.end);
    if (key.found == Key::Found::Decline) return false;
    if (key.found == Key::Found::Yes) return open(Level::Mapping, line_.indent, line_.number) && read_entry(key);
    return read_value(p, key.run, parent_column);
}

// A dash and what follows it on its line: nothing (the item comes on the next
// lines), a nested sequence, a mapping's first key, or a scalar or flow node.
bool LineReader::read_item(const char* dash) {
    for (;;) {
        const char* p = skip_spaces(dash + 1, line_.end);
        if (p == line_.end || *p == '#') {
            if (p != line_.end) take_comment(p, line_.end, line_.number);
            node_due_ = true;
            next_line_after(line_.end, line_.number);
            return true;
        }
        if (!is_dash(p, line_.end)) {
            const Key key = key_at(p, line_.end);
            if (key.found == Key::Found::Decline) return false;
            if (key.found == Key::Found::Yes)
                return open(Level::Mapping, column_of(p), line_.number) && read_entry(key);
            return read_value(p, key.run, open_.back().column);
        }
        if (!open(Level::Sequence, column_of(p), line_.number)) return false;
        dash = p;
    }
}

// A key and what follows its `:` on the line: nothing, or a scalar or flow node.
bool LineReader::read_entry(const Key& key) {
    emit(EventKind::Scalar, line_.number, key.text, key.style);
    const char* p = skip_spaces(key.after, line_.end);
    if (p == line_.end || *p == '#') {
        if (p != line_.end) take_comment(p, line_.end, line_.number);
        node_due_ = true;
        next_line_after(line_.end, line_.number);
        return true;
    }
    if (is_dash(p, line_.end)) return false;
    const Key inner = key_at(p, line_.end);
    if (inner.found != Key::Found::No) return false;
    return read_value(p, inner.run, open_.back().column);
}

// A scalar or flow node at `p`; `run` is the plain scalar there, when one was
// scanned already.
bool LineReader::read_value(const char* p, const std::optional<PlainRun>& run, std::uint32_t parent_column) {
    switch (*p) {
        case '[':
        case '{': return read_flow(p);
        case '\'':
        case '"': return read_quoted(p);
        case '|':
        case '>': return read_block_scalar(p, parent_column);
        default:
            if (!plain_can_start(p, line_.end, false)) return false;
            return read_plain(p, run ? *run : plain_run(p, line_.end, false), parent_column);
    }
}

bool LineReader::open(Level level, std::uint32_t column, std::uint64_t line) {
    if (open_.size() == deepest_block) return false;
    open_.push_back(Open{level, column});
    emit(level == Level::Mapping ? EventKind::MappingStart : EventKind::SequenceStart, line);
    return true;
}

void LineReader::close_top(std::uint64_t line) {
    const Level level = open_.back().level;
    open_.pop_back();
    emit(level == Level::Mapping ? EventKind::MappingEnd : EventKind::SequenceEnd, line);
}

}  // namespace plovarn::parser
