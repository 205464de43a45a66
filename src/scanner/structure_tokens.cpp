// Flow brackets and separators, block entries, explicit keys and values.
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

Scanner::Status Scanner::fetch_flow_collection_start(TokenType kind) {
    record_key_candidate();
    // Inside the collection indentation is measured from the block that holds
    // it, whatever kind of scalar comes first (plain ones drop the soft level too).
    pop_soft_indents();
    SCAN_TRY(enter_flow());
    key_allowed_ = true;
    Marker m = cur_.mark();
    cur_.advance_char();
    if (kind == TokenType::FlowMappingStart) flow_levels_[flow_depth_].mapping = true;
    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    push(kind, m);
    return {};
}

// Ends the current entry of the innermost flow level: a single-pair mapping
// without braces closes, and a `?` key no longer applies.
void Scanner::end_flow_entry() {
    FlowLevel& level = flow_levels_[flow_depth_];
    level.explicit_key = false;
    if (level.implicit_pair) {
        level.implicit_pair = false;
        push(TokenType::FlowMappingEnd, cur_.mark());
    }
}

Scanner::Status Scanner::fetch_flow_collection_end(TokenType kind) {
    SCAN_TRY(drop_key_candidate());
    // The pair belongs to the level being closed, not to the one it returns to.
    end_flow_entry();
    leave_flow();
    key_allowed_ = false;
    Marker m = cur_.mark();
    cur_.advance_char();
    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    if (flow_depth_ > 0) adjacent_value_at_ = cur_.mark().index;
    push(kind, m);
    return {};
}

Scanner::Status Scanner::fetch_flow_entry() {
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = true;
    end_flow_entry();
    Marker m = cur_.mark();
    cur_.advance_char();
    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    push(TokenType::FlowEntry, m);
    return {};
}

Scanner::Status Scanner::fetch_block_entry() {
    if (flow_depth_ > 0) return fail(cur_.mark(), "\"-\" is only valid inside a block");
    if (!key_allowed_) return fail(cur_.mark(), "block sequence entries are not allowed in this context");
    if (!tokens_.empty()) {
        const Token& last = tokens_.back();
        if ((last.type == TokenType::Anchor || last.type == TokenType::Tag) && cur_.mark().col == 0 &&
            last.mark.col == 0 && indent_ >= 0)
            return fail(last.mark, "invalid indentation for anchor");
    }
    Marker m = cur_.mark();
    cur_.advance_char();
    roll_indent(static_cast<std::int64_t>(m.col), std::nullopt, TokenType::BlockSequenceStart, m);
    auto skipped = skip_ws_to_eol(SkipTabs::Yes);
    if (!skipped) return std::unexpected(std::move(skipped.error()));
    cur_.fill(2);
    if (skipped->found_tabs && cur_.at(0) == '-' && is_blank_or_end(cur_.at(1)))
        return fail(cur_.mark(), "'-' must be followed by a valid YAML whitespace");
    SCAN_TRY(skip_ws_to_eol(SkipTabs::No));
    cur_.fill(1);
    if (is_break(cur_.at(0)) || is_flow_indicator(cur_.at(0))) push_soft_indent();
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = true;
    push(TokenType::BlockEntry, cur_.mark());
    return {};
}

Scanner::Status Scanner::fetch_key() {
    Marker m = cur_.mark();
    if (flow_depth_ == 0) {
        if (!key_allowed_) return fail(m, "mapping keys are not allowed in this context");
        roll_indent(static_cast<std::int64_t>(m.col), std::nullopt, TokenType::BlockMappingStart, m);
    } else {
        flow_levels_[flow_depth_].explicit_key = true;
    }
    SCAN_TRY(drop_key_candidate());
    key_allowed_ = flow_depth_ == 0;
    cur_.advance_char();
    bool separated = false;
    for (;;) {
        cur_.fill(2);
        const char32_t c = cur_.at(0);
        if (c == ' ') {
            cur_.advance_blank();
            separated = true;
        } else if (is_break(c)) {
            cur_.skip_linebreak();
            if (flow_depth_ == 0) key_allowed_ = true;
            separated = true;
        } else if (c == '#') {
            // Kept like every other comment; the builder places it by its line.
            capture_comment();
        } else {
            break;
        }
    }
    if (!separated) return fail(cur_.mark(), "expected whitespace");
    if (cur_.at(0) == '\t') return fail(cur_.mark(), "tabs disallowed in this context");
    push(TokenType::Key, m);
    return {};
}

Scanner::Status Scanner::fetch_value() {
    const SimpleKey k = key_candidates_.back();
    const Marker m = cur_.mark();
    FlowLevel& level = flow_levels_[flow_depth_];
    bool& pair_open = level.implicit_pair;
    pair_open = flow_depth_ > 0 && !level.mapping && !level.explicit_key;
    cur_.advance_char();
    cur_.fill(1);
    if (cur_.at(0) == '\t') {
        auto skipped = skip_ws_to_eol(SkipTabs::Yes);
        if (!skipped) return std::unexpected(std::move(skipped.error()));
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (!skipped->found_spaces && (c == '-' || c == '_' || is_ascii_alnum(c)))
            return fail(cur_.mark(), "':' must be followed by a valid YAML whitespace");
    }
    if (k.possible) {
        Token& key = insert_token_at(k.token_position);
        key.type = TokenType::Key;
        key.mark = k.mark;
        if (pair_open) {
            if (k.mark.line < m.line) return fail(m, "illegal placement of ':' indicator");
            Token& start = insert_token_at(k.token_position);
            start.type = TokenType::FlowMappingStart;
            start.mark = cur_.mark();
        }
        roll_indent(static_cast<std::int64_t>(k.mark.col), k.token_position,
                    TokenType::BlockMappingStart, m);
        push_soft_indent();
        key_candidates_.back().possible = false;
        key_allowed_ = false;
    } else {
        if (pair_open) push(TokenType::FlowMappingStart, cur_.mark());
        if (flow_depth_ == 0) {
            if (!key_allowed_) return fail(m, "mapping values are not allowed in this context");
            roll_indent(static_cast<std::int64_t>(m.col), std::nullopt,
                        TokenType::BlockMappingStart, m);
        }
        push_soft_indent();
        key_allowed_ = flow_depth_ == 0;
    }
    push(TokenType::Value, m);
    return {};
}

}  // namespace plovarn::scanner
