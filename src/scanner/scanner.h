// Turns UTF-8 YAML text into a stream of tokens, comments included.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/char_classes.h"
#include "scanner/token.h"
#include "scanner/token_queue.h"
#include "scanner/utf8_input.h"

namespace plovarn::scanner {

class Scanner {
public:
    // The text must outlive the scanner; it is not copied.
    explicit Scanner(std::string_view utf8_text);

    // Takes the next token off the queue, scanning as needed. Comments come as
    // Comment tokens. Once an error has happened every later call returns a copy
    // of the stored error; after StreamEnd every call fails with "unexpected eof".
    std::expected<Token, ScanError> next_token();

    // The same stream read in place: peek_token gives the next token without
    // taking it (the same one until pop_token), with the errors of next_token.
    // The token stays valid, and may be emptied by the caller, until the next
    // peek_token; pop_token must follow a successful peek_token. A Comment token
    // carries its text in `source` only, a view into the scanned text.
    std::expected<Token*, ScanError> peek_token() {
        if (token_ready_) [[likely]]
            return &tokens_.front();
        return peek_token_slow();
    }
    void pop_token() {
        if (tokens_.front().type == TokenType::StreamEnd) stream_ended_ = true;
        tokens_.pop_front();
        token_ready_ = false;
        ++tokens_taken_;
    }

private:
    using Status = std::expected<void, ScanError>;

    // A candidate for an implicit key, one per flow level (index 0: block level).
    struct SimpleKey {
        bool possible = false;
        bool required = false;  // sits at the block indentation; losing it is an error
        std::uint64_t token_position = 0;  // absolute token number where Key goes
        Marker mark{0, 0, 0};
    };
    struct Indent {
        std::int64_t column;  // indentation to restore when the level closes
        bool block_end_due;   // false for the one-column soft levels
    };
    enum class SkipTabs : bool { No, Yes };
    struct Skipped {
        bool found_tabs = false;
        bool found_spaces = false;
    };
    enum class Chomping : std::uint8_t { Strip, Clip, Keep };

    std::expected<Token*, ScanError> peek_token_slow();

    // Lookahead ring and cursor.
    void fill_lookahead(unsigned n) {
        while (count_ < n) {
            ring_[(head_ + count_) & 15] = input_.next();
            ++count_;
        }
    }
    char32_t at(unsigned i) const { return ring_[(head_ + i) & 15]; }
    void advance_blank() {
        head_ = (head_ + 1) & 15;
        --count_;
        ++mark_.index;
        ++mark_.col;
    }
    void advance_char() {
        advance_blank();
        blanks_only_ = false;
    }
    // Appends the first lookahead character to `out` and consumes it.
    void take_char(std::string& out) {
        chars::append_utf8(out, at(0));
        advance_char();
    }
    // Appends a run of ASCII content characters of the byte class `Class`: those
    // already in the lookahead, then the rest straight from the input. They
    // never include a break.
    template <class Class>
    void take_content_run(std::string& out) {
        content_run<Class>(&out);
    }
    // Consumes the same run without keeping it.
    template <class Class>
    void skip_content_run() {
        content_run<Class>(nullptr);
    }
    template <class Class>
    void content_run(std::string* out) {
        while (count_ != 0) {
            const char32_t c = at(0);
            if (c >= 0x80 || !Class::table[c]) return;
            if (out) out->push_back(static_cast<char>(c));
            advance_char();
        }
        std::string_view run = input_.take_ascii_run<Class>();
        if (run.empty()) return;
        if (out) out->append(run);
        mark_.index += run.size();
        mark_.col += run.size();
        blanks_only_ = false;
    }
    // Like take_content_run for a run of spaces, which are not content.
    void skip_space_run();
    // Consumes one break of any form (CR LF counts as one); a break recorded in
    // a scalar is always a single line feed.
    void skip_linebreak();
    std::int64_t col() const { return static_cast<std::int64_t>(mark_.col); }
    // Byte offset in the input of the first lookahead character.
    std::size_t cursor_byte() const {
        std::size_t b = input_.byte_position();
        for (unsigned i = 0; i < count_; ++i) {
            const char32_t c = at(i);
            // U+0000 stands for the end and took no bytes.
            b -= c == 0 ? 0 : c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        }
        return b;
    }
    bool at_document_indicator() const;  // needs 4 lookahead characters
    bool at_faulty_input() const;
    ScanError faulty_input_error() const;

    void push(TokenType type, Marker mark) {
        Token& t = tokens_.emplace_back();
        t.type = type;
        t.mark = mark;
    }
    // A fresh token in the queue before the token with absolute number `position`.
    Token& insert_token_at(std::uint64_t position);
    static std::unexpected<ScanError> fail(Marker mark, std::string_view info);

    // Core loop.
    Status ensure_token_ready();
    bool more_tokens_needed() const {
        for (const SimpleKey& k : key_candidates_)
            if (k.possible && k.token_position == tokens_taken_) return true;
        return false;
    }
    Status fetch_one_token();
    Status fetch_stream_end();
    Status fetch_document_indicator(TokenType kind);
    Status skip_to_next_token();
    std::expected<Skipped, ScanError> skip_ws_to_eol(SkipTabs tabs);
    void capture_comment();

    // Simple keys and indentation.
    void record_key_candidate();
    Status drop_key_candidate();
    // In block context a simple key may not span lines or exceed 1024 characters.
    bool key_candidate_expired(const SimpleKey& k) const {
        return k.possible && (k.mark.line < mark_.line || k.mark.index + 1024 < mark_.index);
    }
    Status expire_key_candidates() {
        for (const SimpleKey& k : key_candidates_)
            if (key_candidate_expired(k)) [[unlikely]]
                return expire_stale_key_candidates();
        return {};
    }
    Status expire_stale_key_candidates();
    void roll_indent(std::int64_t column, std::optional<std::uint64_t> position, TokenType kind,
                     Marker mark);
    void unwind_indents(std::int64_t column);
    void push_soft_indent();
    void pop_soft_indents();
    // The first column a content line may use: inside a flow collection every
    // line but the one of its closing bracket stays right of the block that
    // holds the collection.
    std::int64_t content_indent() const { return flow_depth_ > 0 ? indent_ + 1 : indent_; }
    Status enter_flow();
    void leave_flow();

    // Structure tokens.
    Status fetch_flow_collection_start(TokenType kind);
    Status fetch_flow_collection_end(TokenType kind);
    Status fetch_flow_entry();
    Status fetch_block_entry();
    Status fetch_key();
    Status fetch_value();
    void end_flow_entry();

    // Scalars.
    Status fetch_plain_scalar();
    Status fetch_flow_scalar(bool single);
    Status scan_escape(Marker start);
    Status fetch_block_scalar(bool literal);
    void skip_block_scalar_indent(std::int64_t n, std::size_t& breaks);
    void fold_into(std::string& text);
    void reset_fold_state();

    // Directives, anchors, tags.
    Status fetch_directive_line();
    std::expected<std::uint32_t, ScanError> scan_version_directive_number(Marker m);
    std::expected<std::string, ScanError> scan_tag_handle(bool directive, Marker m);
    Status scan_tag_shorthand_suffix(std::string_view head, Marker m, std::string& out);
    Status scan_uri_escapes(Marker m, std::string& out);
    Status scan_uri_chars(Marker m, std::string& out);
    void skip_directive_blanks();
    Status fetch_anchor(bool alias);
    Status fetch_tag();

    Utf8Input input_;
    TokenQueue tokens_;
    std::vector<SimpleKey> key_candidates_;
    std::vector<Indent> indent_stack_;
    std::optional<ScanError> stored_error_;
    Marker mark_;
    char32_t ring_[16] = {};
    unsigned head_ = 0;
    unsigned count_ = 0;
    std::uint64_t adjacent_value_at_ = 0;
    std::int64_t indent_ = -1;
    std::uint64_t tokens_taken_ = 0;
    bool stream_started_ = false;
    bool stream_ended_ = false;
    bool key_allowed_ = true;
    bool token_ready_ = false;
    bool blanks_only_ = true;
    // A byte order mark may stand before the next document: set by `...` until
    // the next token (the mark at the very start of the text needs no flag).
    bool after_document_end_ = false;
    std::uint8_t flow_depth_ = 0;
    // What is open at each flow level (index: the flow depth), kept per level so
    // that what a nested collection opens ends with it.
    struct FlowLevel {
        bool mapping = false;        // the collection is a `{...}` mapping
        bool explicit_key = false;   // a `?` key opened the current entry
        bool implicit_pair = false;  // a single-pair mapping without braces is open
    };
    FlowLevel flow_levels_[256] = {};

    // Working state of the scalar scanners, reused across scalars. A recorded
    // line break is always a single line feed, so the breaks are counts.
    std::string text_;
    std::string held_blanks_;
    bool first_break_ = false;
    std::size_t more_breaks_ = 0;
};

}  // namespace plovarn::scanner
