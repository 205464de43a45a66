// Turns UTF-8 YAML text into a stream of tokens, comments included.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/cursor.h"
#include "scanner/scalar_buffer.h"
#include "scanner/token.h"
#include "scanner/token_queue.h"

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
        return k.possible && (k.mark.line < cur_.mark().line || k.mark.index + 1024 < cur_.mark().index);
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
    // The blanks and line breaks between two pieces of a plain or quoted scalar.
    // A tab in the indentation of a continuation line, left of `least`, is an
    // error, unless `plain` and nothing but blanks and a comment follows it; the
    // plain scalar's error is reported at `start`.
    Status skip_scalar_separation(std::int64_t least, bool plain, Marker start);
    Status scan_escape(Marker start);
    std::uint32_t low_surrogate_after_escape();
    Status fetch_block_scalar(bool literal);
    void skip_block_scalar_indent(std::int64_t n, std::size_t& breaks);

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

    Cursor cur_;
    TokenQueue tokens_;
    std::vector<SimpleKey> key_candidates_;
    std::vector<Indent> indent_stack_;
    std::optional<ScanError> stored_error_;
    std::uint64_t adjacent_value_at_ = 0;
    std::int64_t indent_ = -1;
    std::uint64_t tokens_taken_ = 0;
    bool stream_started_ = false;
    bool stream_ended_ = false;
    bool key_allowed_ = true;
    bool token_ready_ = false;
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

    // The text of the scalar being scanned, reused from one scalar to the next.
    ScalarBuffer scalar_;
};

}  // namespace plovarn::scanner
