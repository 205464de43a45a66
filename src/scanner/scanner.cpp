// The pull loop, readiness, dispatch, skipping, comments and stream end.
#include "scanner/scanner.h"

#include "scanner/byte_sets.h"
#include "scanner/char_classes.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

Scanner::Scanner(std::string_view utf8_text) : input_(utf8_text) {}

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
    if (stream_ended_) return std::unexpected(ScanError::make(mark_, "unexpected eof"));
    if (auto r = ensure_token_ready(); !r) {
        // An error met while standing on faulty input was caused by it.
        stored_error_ = at_faulty_input() ? faulty_input_error() : std::move(r.error());
        return std::unexpected(*stored_error_);
    }
    if (tokens_.empty()) {
        stored_error_ = ScanError::make(mark_, "did not find expected next token");
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

void Scanner::skip_linebreak() {
    if (at(0) == '\r' && at(1) == '\n') {
        advance_blank();
        advance_blank();
    } else if (is_break(at(0))) {
        advance_blank();
    } else {
        return;
    }
    ++mark_.line;
    mark_.col = 0;
    blanks_only_ = true;
}

void Scanner::skip_space_run() {
    if (count_ != 0) return;
    const std::size_t n = input_.take_ascii_run<byte_sets::Spaces>().size();
    mark_.index += n;
    mark_.col += n;
}

bool Scanner::at_document_indicator() const {
    char32_t c = at(0);
    return (c == '-' || c == '.') && at(1) == c && at(2) == c && is_blank_or_end(at(3));
}

// The cursor stands on the fault once every character before it is consumed.
bool Scanner::at_faulty_input() const {
    return input_.fault() != Utf8Input::Fault::None && mark_.index == input_.fault_index();
}

ScanError Scanner::faulty_input_error() const {
    return ScanError::make(mark_, input_.fault() == Utf8Input::Fault::Nul
                                      ? "found a NUL character (U+0000), which YAML text may not hold"
                                      : "found invalid UTF-8 in the input");
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
    fill_lookahead(1);
    if (!stream_started_) {
        indent_ = -1;
        stream_started_ = true;
        key_allowed_ = true;
        push(TokenType::StreamStart, mark_);
        key_candidates_.push_back(SimpleKey{});
        return {};
    }
    SCAN_TRY(skip_to_next_token());
    after_document_end_ = false;
    if (flow_depth_ == 0) {
        SCAN_TRY(expire_key_candidates());
        unwind_indents(col());
    }
    fill_lookahead(4);
    const char32_t c = at(0);
    if (c == 0) return fetch_stream_end();

    if (mark_.col == 0) {
        if (c == '%') {
            unwind_indents(-1);
            SCAN_TRY(drop_key_candidate());
            key_allowed_ = false;
            return fetch_directive_line();
        }
        if (at_document_indicator()) {
            if (c == '-') return fetch_document_indicator(TokenType::DocumentStart);
            SCAN_TRY(fetch_document_indicator(TokenType::DocumentEnd));
            SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
            fill_lookahead(1);
            if (!is_break_or_end(at(0)))
                return fail(mark_, "invalid content after document end marker");
            after_document_end_ = true;
            return {};
        }
    }
    if (flow_depth_ > 0) {
        // A closing bracket may stand at the column of the block that holds the
        // collection; every other line of the collection is indented deeper.
        const std::int64_t least = c == ']' || c == '}' ? indent_ : content_indent();
        if (col() < least) return fail(mark_, "invalid indentation in flow construct");
    } else if (col() < indent_) {
        return fail(mark_, "invalid indentation");
    }

    const char32_t n = at(1);
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
                (flow_depth_ > 0 && (is_flow_indicator(n) || mark_.index == adjacent_value_at_)))
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
            return fail(mark_, info);
        }
        default:
            break;
    }
    return fetch_plain_scalar();
}

Scanner::Status Scanner::fetch_stream_end() {
    if (at_faulty_input()) return std::unexpected(faulty_input_error());
    if (mark_.col != 0) {
        mark_.col = 0;
        ++mark_.line;
    }
    for (SimpleKey& k : key_candidates_) {
        if (k.required && k.possible) return fail(mark_, "simple key expected");
        k.possible = false;
    }
    unwind_indents(-1);
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = false;
    push(TokenType::StreamEnd, mark_);
    return {};
}

Scanner::Status Scanner::fetch_document_indicator(TokenType kind) {
    unwind_indents(-1);
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = false;
    Marker m = mark_;
    advance_char();
    advance_char();
    advance_char();
    push(kind, m);
    return {};
}

Scanner::Status Scanner::skip_to_next_token() {
    for (;;) {
        fill_lookahead(1);
        const char32_t c = at(0);
        if (c == '\t' && !indent_stack_.empty() && blanks_only_ && col() < content_indent()) {
            // A tab standing in block indentation is allowed only on a line
            // that holds nothing but blanks and a comment.
            SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
            fill_lookahead(1);
            if (!is_break_or_end(at(0)))
                return fail(mark_, "tabs disallowed within this context (block indentation)");
        } else if (c == ' ' || c == '\t') {
            advance_blank();
            skip_space_run();
        } else if (is_break(c)) {
            fill_lookahead(2);
            skip_linebreak();
            if (flow_depth_ == 0) key_allowed_ = true;
        } else if (c == '#') {
            capture_comment();
        } else if (c == byte_order_mark && mark_.col == 0 &&
                   (mark_.index == 0 || after_document_end_)) {
            // A byte order mark may open the text and a document after `...`. It
            // is no content and takes no column; character indices count it.
            advance_blank();
            mark_.col = 0;
            after_document_end_ = false;
        } else {
            return {};
        }
    }
}

std::expected<Scanner::Skipped, ScanError> Scanner::skip_ws_to_eol(SkipTabs tabs) {
    Skipped s;
    for (;;) {
        fill_lookahead(1);
        const char32_t c = at(0);
        if (c == ' ') {
            advance_blank();
            s.found_spaces = true;
        } else if (c == '\t' && tabs == SkipTabs::Yes) {
            advance_blank();
            s.found_tabs = true;
        } else if (c == '#') {
            if (!s.found_tabs && !s.found_spaces)
                return fail(mark_, "comments must be separated from other tokens by whitespace");
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
    t.mark = mark_;
    advance_char();
    fill_lookahead(1);
    if (at(0) == ' ') advance_char();
    const std::size_t start = cursor_byte();
    for (;;) {
        skip_content_run<byte_sets::LineText>();
        fill_lookahead(1);
        if (is_break_or_end(at(0))) break;
        advance_char();
    }
    t.source = input_.slice(start, cursor_byte());
}

}  // namespace plovarn::scanner
