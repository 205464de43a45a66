// The pull loop, readiness, dispatch, skipping, comments and stream end.
#include "scanner/scanner.h"

#include "scanner/byte_sets.h"
#include "scanner/char_classes.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

Scanner::Scanner(std::string_view utf8_text) : cur_(utf8_text) {}

std::expected<Token, ScanError> Scanner::next_token() {
    auto peeked = peek_token();
    if (!peeked) return std::unexpected(std::move(peeked.error()));
    std::expected<Token, ScanError> token(std::in_place, std::move(**peeked));
    if (token->type == TokenType::Comment) token->text = token->source;
    pop_token();
    return token;
}

std::expected<Token*, ScanError> Scanner::peek_token_slow() {
    if (stored_error_) return std::unexpected(*stored_error_);
    if (stream_ended_) return std::unexpected(ScanError::make(cur_.mark(), "unexpected eof"));
    if (auto r = ensure_token_ready(); !r) {
        // An error met while standing on faulty input was caused by it.
        stored_error_ = cur_.at_fault() ? cur_.fault_error() : std::move(r.error());
        return std::unexpected(*stored_error_);
    }
    if (tokens_.empty()) {
        stored_error_ = ScanError::make(cur_.mark(), "did not find expected next token");
        return std::unexpected(*stored_error_);
    }
    return &tokens_.front();
}

// Tokens may not leave the queue while a simple key that would be inserted in
// front of them is undecided.
Scanner::Status Scanner::ensure_token_ready() {
    for (;;) {
        if (!tokens_.empty()) {
            if (flow_depth_ == 0) SCAN_TRY(expire_key_candidates());
            if (!more_tokens_needed()) {
                token_ready_ = true;
                return {};
            }
        }
        SCAN_TRY(fetch_one_token());
    }
}

Token& Scanner::insert_token_at(std::uint64_t position) {
    std::uint64_t p = position >= tokens_taken_ ? position - tokens_taken_ : 0;
    if (p > tokens_.size()) p = tokens_.size();
    return tokens_.insert(static_cast<std::size_t>(p));
}

std::unexpected<ScanError> Scanner::fail(Marker mark, std::string_view info) {
    return std::unexpected(ScanError::make(mark, info));
}

Scanner::Status Scanner::fetch_one_token() {
    cur_.fill(1);
    if (!stream_started_) {
        indent_ = -1;
        stream_started_ = true;
        key_allowed_ = true;
        push(TokenType::StreamStart, cur_.mark());
        key_candidates_.push_back(SimpleKey{});
        return {};
    }
    SCAN_TRY(skip_to_next_token());
    after_document_end_ = false;
    if (flow_depth_ == 0) {
        SCAN_TRY(expire_key_candidates());
        unwind_indents(cur_.col());
    }
    cur_.fill(4);
    const char32_t c = cur_.at(0);
    if (c == 0) return fetch_stream_end();

    if (cur_.mark().col == 0) {
        if (c == '%') {
            unwind_indents(-1);
            SCAN_TRY(drop_key_candidate());
            key_allowed_ = false;
            return fetch_directive_line();
        }
        if (cur_.at_document_indicator()) {
            if (c == '-') return fetch_document_indicator(TokenType::DocumentStart);
            SCAN_TRY(fetch_document_indicator(TokenType::DocumentEnd));
            SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
            cur_.fill(1);
            if (!is_break_or_end(cur_.at(0)))
                return fail(cur_.mark(), "invalid content after document end marker");
            after_document_end_ = true;
            return {};
        }
    }
    if (flow_depth_ > 0) {
        // A closing bracket may stand at the column of the block that holds the
        // collection; every other line of the collection is indented deeper.
        const std::int64_t least = c == ']' || c == '}' ? indent_ : content_indent();
        if (cur_.col() < least) return fail(cur_.mark(), "invalid indentation in flow construct");
    } else if (cur_.col() < indent_) {
        return fail(cur_.mark(), "invalid indentation");
    }

    const char32_t n = cur_.at(1);
    switch (c) {
        case '[': return fetch_flow_collection_start(TokenType::FlowSequenceStart);
        case '{': return fetch_flow_collection_start(TokenType::FlowMappingStart);
        case ']': return fetch_flow_collection_end(TokenType::FlowSequenceEnd);
        case '}': return fetch_flow_collection_end(TokenType::FlowMappingEnd);
        case ',': return fetch_flow_entry();
        case '-':
            if (is_blank_or_end(n)) return fetch_block_entry();
            break;
        case '?':
            if (is_blank_or_end(n)) return fetch_key();
            break;
        case ':':
            if (is_blank_or_end(n) ||
                (flow_depth_ > 0 && (is_flow_indicator(n) || cur_.mark().index == adjacent_value_at_)))
                return fetch_value();
            break;
        case '*': return fetch_anchor(true);
        case '&': return fetch_anchor(false);
        case '!': return fetch_tag();
        case '|':
            if (flow_depth_ == 0) return fetch_block_scalar(true);
            break;
        case '>':
            if (flow_depth_ == 0) return fetch_block_scalar(false);
            break;
        case '\'': return fetch_flow_scalar(true);
        case '"': return fetch_flow_scalar(false);
        case '%':
        case '@':
        case '`': {
            std::string info = "unexpected character: `";
            append_utf8(info, c);
            info += '\'';
            return fail(cur_.mark(), info);
        }
        default:
            break;
    }
    return fetch_plain_scalar();
}

Scanner::Status Scanner::fetch_stream_end() {
    if (cur_.at_fault()) return std::unexpected(cur_.fault_error());
    cur_.move_end_to_line_start();
    for (SimpleKey& k : key_candidates_) {
        if (k.required && k.possible) return fail(cur_.mark(), "simple key expected");
        k.possible = false;
    }
    unwind_indents(-1);
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = false;
    push(TokenType::StreamEnd, cur_.mark());
    return {};
}

Scanner::Status Scanner::fetch_document_indicator(TokenType kind) {
    unwind_indents(-1);
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = false;
    Marker m = cur_.mark();
    cur_.advance_char();
    cur_.advance_char();
    cur_.advance_char();
    push(kind, m);
    return {};
}

Scanner::Status Scanner::skip_to_next_token() {
    for (;;) {
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (c == '\t' && !indent_stack_.empty() && cur_.blanks_only() && cur_.col() < content_indent()) {
            // A tab standing in block indentation is allowed only on a line
            // that holds nothing but blanks and a comment.
            SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
            cur_.fill(1);
            if (!is_break_or_end(cur_.at(0)))
                return fail(cur_.mark(), "tabs disallowed within this context (block indentation)");
        } else if (c == ' ' || c == '\t') {
            cur_.advance_blank();
            cur_.skip_space_run();
        } else if (is_break(c)) {
            cur_.fill(2);
            cur_.skip_linebreak();
            if (flow_depth_ == 0) key_allowed_ = true;
        } else if (c == '#') {
            capture_comment();
        } else if (c == byte_order_mark && cur_.mark().col == 0 &&
                   (cur_.mark().index == 0 || after_document_end_)) {
            // A byte order mark may open the text and a document after `...`. It
            // is no content and takes no column; character indices count it.
            cur_.skip_byte_order_mark();
            after_document_end_ = false;
        } else {
            return {};
        }
    }
}

std::expected<Scanner::Skipped, ScanError> Scanner::skip_ws_to_eol(SkipTabs tabs) {
    Skipped s;
    for (;;) {
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (c == ' ') {
            cur_.advance_blank();
            s.found_spaces = true;
        } else if (c == '\t' && tabs == SkipTabs::Yes) {
            cur_.advance_blank();
            s.found_tabs = true;
        } else if (c == '#') {
            if (!s.found_tabs && !s.found_spaces)
                return fail(cur_.mark(), "comments must be separated from other tokens by whitespace");
            capture_comment();
        } else {
            return s;
        }
    }
}

// The text excludes the '#' and at most one space after it. It is the input's
// own bytes up to the break, so it is kept as a view and never copied here.
void Scanner::capture_comment() {
    Token& t = tokens_.emplace_back();
    t.type = TokenType::Comment;
    t.mark = cur_.mark();
    cur_.advance_char();
    cur_.fill(1);
    if (cur_.at(0) == ' ') cur_.advance_char();
    const std::size_t start = cur_.byte_position();
    for (;;) {
        cur_.skip_content_run<byte_sets::LineText>();
        cur_.fill(1);
        if (is_break_or_end(cur_.at(0))) break;
        cur_.advance_char();
    }
    t.source = cur_.slice(start, cur_.byte_position());
}

}  // namespace plovarn::scanner
