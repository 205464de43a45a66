// Plain (unquoted) scalars.
#include "scanner/byte_sets.h"
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

namespace {

bool continues_plain(char32_t c, char32_t next, bool flow) {
    if (is_blank_or_end(c)) return false;
    if (c == ':' && (is_blank_or_end(next) || (flow && is_flow_indicator(next)))) return false;
    return !(flow && is_flow_indicator(c));
}

}  // namespace

Scanner::Status Scanner::fetch_plain_scalar() {
    record_key_candidate();
    key_allowed_ = false;
    pop_soft_indents();
    const std::int64_t limit = indent_ + 1;
    const Marker m = mark_;
    const bool flow = flow_depth_ > 0;
    reset_fold_state();

    for (;;) {
        fill_lookahead(4);
        if (mark_.col == 0 && at_document_indicator()) break;
        char32_t c = at(0);
        if (c == '#') break;
        if (flow && c == '-' && is_flow_indicator(at(1)))
            return fail(mark_, "plain scalar cannot start with '-' followed by ,[]{}");
        if (continues_plain(c, at(1), flow)) {
            // Inside a flow collection a continuation line is indented like any
            // other line of it (the first line was checked before dispatch).
            if (flow && col() < limit) return fail(mark_, "invalid indentation in flow construct");
            fold_into(text_);
            blanks_only_ = false;
            do {
                take_char(text_);
                if (flow)
                    take_content_run<byte_sets::PlainFlow>(text_);
                else
                    take_content_run<byte_sets::PlainBlock>(text_);
                fill_lookahead(2);
                c = at(0);
            } while (continues_plain(c, at(1), flow));
        }
        if (!is_blank(c) && !is_break(c)) break;

        for (;;) {
            fill_lookahead(2);
            c = at(0);
            if (is_blank(c)) {
                if (!blanks_only_) {
                    held_blanks_.push_back(static_cast<char>(c));
                    advance_blank();
                } else if (c == '\t' && col() < limit) {
                    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
                    fill_lookahead(1);
                    if (!is_break_or_end(at(0)))
                        return fail(m, "while scanning a plain scalar, found a tab");
                } else {
                    advance_blank();
                }
            } else if (is_break(c)) {
                if (blanks_only_) {
                    ++more_breaks_;
                } else {
                    held_blanks_.clear();
                    first_break_ = true;
                }
                skip_linebreak();
            } else {
                break;
            }
        }
        if (!flow && col() < limit) break;
    }
    if (blanks_only_) key_allowed_ = true;

    Token& t = tokens_.emplace_back();
    t.type = TokenType::Scalar;
    t.mark = m;
    t.style = ScalarStyle::Plain;
    t.text = text_;
    return {};
}

}  // namespace plovarn::scanner
