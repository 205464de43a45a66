// Implicit key candidates and the block indentation stack.
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

void Scanner::record_key_candidate() {
    if (!key_allowed_) return;
    SimpleKey k;
    k.possible = true;
    k.required = flow_depth_ == 0 && indent_ == cur_.col() && !indent_stack_.empty() &&
                 indent_stack_.back().block_end_due;
    k.token_position = tokens_taken_ + tokens_.size();
    k.mark = cur_.mark();
    if (key_candidates_.empty())
        key_candidates_.push_back(k);
    else
        key_candidates_.back() = k;
}

Scanner::Status Scanner::drop_key_candidate() {
    if (key_candidates_.empty()) return {};
    SimpleKey& k = key_candidates_.back();
    if (k.possible && k.required) return fail(cur_.mark(), "simple key expected");
    k.possible = false;
    return {};
}

Scanner::Status Scanner::expire_stale_key_candidates() {
    for (SimpleKey& k : key_candidates_) {
        if (key_candidate_expired(k)) {
            if (k.required) return fail(cur_.mark(), "simple key expect ':'");
            k.possible = false;
        }
    }
    return {};
}

void Scanner::roll_indent(std::int64_t column, std::optional<std::uint64_t> position,
                          TokenType kind, Marker mark) {
    if (flow_depth_ > 0) return;
    // A soft level turns out to be a real block level.
    if (indent_ <= column && !indent_stack_.empty() && !indent_stack_.back().block_end_due) {
        indent_ = indent_stack_.back().column;
        indent_stack_.pop_back();
    }
    if (indent_ < column) {
        indent_stack_.push_back(Indent{indent_, true});
        indent_ = column;
        Token& t = position ? insert_token_at(*position) : tokens_.emplace_back();
        t.type = kind;
        t.mark = mark;
    }
}

void Scanner::unwind_indents(std::int64_t column) {
    if (flow_depth_ > 0) return;
    while (indent_ > column && !indent_stack_.empty()) {
        Indent level = indent_stack_.back();
        indent_stack_.pop_back();
        indent_ = level.column;
        if (level.block_end_due) push(TokenType::BlockEnd, cur_.mark());
    }
}

void Scanner::push_soft_indent() {
    if (flow_depth_ == 0 && !indent_stack_.empty() && indent_stack_.back().block_end_due) {
        indent_stack_.push_back(Indent{indent_, false});
        ++indent_;
    }
}

// Plain and block scalars abandon the soft levels above them.
void Scanner::pop_soft_indents() {
    while (!indent_stack_.empty() && !indent_stack_.back().block_end_due) {
        indent_ = indent_stack_.back().column;
        indent_stack_.pop_back();
    }
}

Scanner::Status Scanner::enter_flow() {
    key_candidates_.push_back(SimpleKey{});
    if (flow_depth_ == 255) return fail(cur_.mark(), "recursion limit exceeded");
    ++flow_depth_;
    flow_levels_[flow_depth_] = FlowLevel{};
    return {};
}

void Scanner::leave_flow() {
    if (flow_depth_ > 0) {
        --flow_depth_;
        key_candidates_.pop_back();
    }
}

}  // namespace plovarn::scanner
