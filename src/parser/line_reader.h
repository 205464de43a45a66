#pragma once

// The reader of the common case: block collections, one-line flow collections,
// plain, single-line quoted and block scalars, comments and `---`, read line by
// line straight into events, without tokens. It gives exactly the events of the
// parser, each with the comments the parser hands over with it, or declines the
// text; whatever it is not sure of (anchors, aliases and tags, directives, `...`,
// `?` keys, flow collections and quoted scalars over several lines, escapes,
// tabs, a byte order mark, anything that is not plainly valid) is left to the
// parser, which also gives every error.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parser/event.h"
#include "parser/event_sink.h"
#include "scanner/char_classes.h"
#include "scanner/token.h"

namespace plovarn::parser {

class LineReader {
public:
    // The text must outlive the reader.
    explicit LineReader(std::string_view text);

    // Reads the whole stream into `sink`. False when the text holds something
    // this reader leaves to the parser; what the sink received is then to be
    // thrown away.
    [[nodiscard]] bool read(EventSink& sink);

private:
    using ScalarStyle = scanner::ScalarStyle;

    // The next line that is neither blank nor a comment line.
    enum class LineKind : std::uint8_t { Content, DocumentStart, End };
    struct Line {
        LineKind kind = LineKind::End;
        const char* first = nullptr;  // first character after the indentation
        const char* end = nullptr;    // the line break, or the end of the text
        std::uint32_t indent = 0;
        std::uint64_t number = 1;
    };

    // An open block collection and its column. An indentless sequence (one whose
    // dashes stand at the column of the mapping that holds it) has that column.
    enum class Level : std::uint8_t { Mapping, Sequence, IndentlessSequence };
    struct Open {
        Level level;
        std::uint32_t column;
    };

    // How a run of plain scalar text on one line ended.
    enum class Stop : std::uint8_t { LineEnd, Comment, Colon, FlowIndicator };
    struct PlainRun {
        const char* content_end;  // after the last character of the text
        const char* stop;         // the `#`, the `:`, the indicator or the line end
        Stop how;
    };

    // A key at the start of a stretch of a line, or the plain scalar that is
    // there instead.
    struct Key {
        enum class Found : std::uint8_t { Yes, No, Decline } found = Found::No;
        std::string_view text;
        ScalarStyle style = ScalarStyle::Plain;
        const char* after = nullptr;  // just after the `:`
        std::optional<PlainRun> run;
    };

    // ---- lines and comments (line_cursor.cpp) ----
    // Where the line holding `p` ends, validating its characters; null for what
    // only the parser reads (see line_cursor.cpp).
    const char* find_line_end(const char* p, bool comment) const;
    // Moves past blank and comment lines, collecting the comments, to the next
    // content line, `---` line or the end, which becomes `line_`.
    [[nodiscard]] bool advance();
    // Takes the comment at `hash` (a `#` standing on the current line, which
    // ends at `end`).
    void take_comment(const char* hash, const char* end, std::uint64_t line) {
        const char* text = hash + 1;
        if (text != end && *text == ' ') ++text;
        const std::string_view view(text, static_cast<std::size_t>(end - text));
        comments_.push_back(Comment{scanner::Marker{0, line, 0}, view});
    }
    // After a token: blanks, then the end of the line or a comment (taken), and
    // the cursor moves to the next line. False for anything else.
    [[nodiscard]] bool finish_line(const char* p, const char* end, std::uint64_t line);
    // Moves the cursor to the line after line `number`, which ends at `end`.
    void next_line_after(const char* end, std::uint64_t number) {
        next_ = end == end_ ? end_ : end + (*end == '\r' ? 2 : 1);
        next_number_ = number + 1;
    }

    // ---- block structure (line_reader.cpp) ----
    [[nodiscard]] bool read_document();
    [[nodiscard]] bool read_block_line();
    [[nodiscard]] bool read_node_at_line_start(std::uint32_t parent_column);
    [[nodiscard]] bool read_item(const char* dash);
    [[nodiscard]] bool read_entry(const Key& key);
    [[nodiscard]] bool read_value(const char* p, const std::optional<PlainRun>& run, std::uint32_t parent_column);
    [[nodiscard]] bool open(Level level, std::uint32_t column, std::uint64_t line);
    void close_top(std::uint64_t line);

    // ---- one-line flow collections (line_flow.cpp) ----
    [[nodiscard]] bool read_flow(const char* p);

    // ---- scalars (line_scalars.cpp) ----
    // Whether a plain scalar may start at `p`: not at an indicator.
    static bool plain_can_start(const char* p, const char* end, bool flow) {
        switch (*p) {
            case '-':
            case '?':
            case ':': {
                // Only when something other than a blank or the line end follows
                // (and, in a flow collection, no flow indicator).
                const char n = p + 1 == end ? ' ' : p[1];
                return n != ' ' && !(flow && scanner::chars::is_flow_indicator(n));
            }
            case ',': case '[': case ']': case '{': case '}': case '#': case '&': case '*': case '!':
            case '|': case '>': case '\'': case '"': case '%': case '@': case '`':
                return false;
            default:
                return true;
        }
    }
    Key key_at(const char* p, const char* end) const;
    PlainRun plain_run(const char* p, const char* end, bool flow) const;
    // The closing quote of the quoted scalar opening at `p`, on the same line;
    // null when it does not close there or holds an escape.
    const char* closing_quote(const char* p, const char* end) const;
    [[nodiscard]] bool read_plain(const char* p, const PlainRun& first, std::uint32_t parent_column);
    [[nodiscard]] bool read_quoted(const char* p);
    [[nodiscard]] bool read_block_scalar(const char* p, std::uint32_t parent_column);

    // Hands an event to the sink with every comment taken since the last one.
    void emit(EventKind kind, std::uint64_t line, std::string_view text = {},
              ScalarStyle style = ScalarStyle::Plain) {
        sink_->event(PlainEvent{kind, style, line, text}, comments_);
        comments_.clear();
    }
    std::uint32_t column_of(const char* p) const { return static_cast<std::uint32_t>(p - line_start_); }

    const char* const begin_;
    const char* const end_;
    EventSink* sink_ = nullptr;

    // The cursor: the start of the next line not yet read, and its number.
    const char* next_ = nullptr;
    std::uint64_t next_number_ = 1;
    // The content line being read, and where it starts.
    Line line_;
    const char* line_start_ = nullptr;
    // `line_` was read ahead and is the next line to take.
    bool line_ready_ = false;
    // The width in characters of a comment line that ends the text without a
    // line break: the parser closes the blocks deeper than that on its line.
    std::uint64_t unbroken_last_width_ = UINT64_MAX;

    std::vector<Open> open_;
    // The flow collections open on the current line, and what each expects next.
    enum class Due : std::uint8_t { FirstEntry, Entry, Value, Separator };
    struct FlowLevel {
        bool mapping;
        Due due;
    };
    std::vector<FlowLevel> flow_levels_;
    // A node is due after a `key:` or a `-` with nothing after it on its line.
    bool node_due_ = false;
    // Comments passed since the last event.
    std::vector<Comment> comments_;
    // Scalar text that is not a stretch of the input: folded lines, block scalars.
    std::string scratch_;
};

}  // namespace plovarn::parser
