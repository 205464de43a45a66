// Literal (|) and folded (>) block scalars.
#include <algorithm>

#include "scanner/byte_sets.h"
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

// Consumes up to n leading spaces of each line and the breaks of lines that end
// there; stops at the first line with content.
void Scanner::skip_block_scalar_indent(std::int64_t n, std::size_t& breaks) {
    for (;;) {
        fill_lookahead(1);
        while (col() < n && at(0) == ' ') {
            advance_blank();
            fill_lookahead(1);
        }
        if (!is_break(at(0))) return;
        fill_lookahead(2);
        skip_linebreak();
        ++breaks;
    }
}

Scanner::Status Scanner::fetch_block_scalar(bool literal) {
    record_key_candidate();
    key_allowed_ = true;
    const Marker m = mark_;
    advance_char();
    pop_soft_indents();

    Chomping chomping = Chomping::Clip;
    std::int64_t increment = 0;
    auto read_chomping = [&] {
        fill_lookahead(1);
        if (at(0) == '+' || at(0) == '-') {
            chomping = at(0) == '+' ? Chomping::Keep : Chomping::Strip;
            advance_char();
            return true;
        }
        return false;
    };
    auto read_increment = [&]() -> Status {
        fill_lookahead(1);
        const char32_t c = at(0);
        if (c >= '0' && c <= '9') {
            if (c == '0')
                return fail(m, "while scanning a block scalar, found an indentation indicator equal to 0");
            increment = c - '0';
            advance_char();
        }
        return {};
    };
    if (read_chomping()) {
        SCAN_TRY(read_increment());
    } else {
        SCAN_TRY(read_increment());
        if (increment > 0) read_chomping();
    }

    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    fill_lookahead(2);
    if (!is_break_or_end(at(0)))
        return fail(m, "while scanning a block scalar, did not find expected comment or line break");
    if (is_break(at(0))) {
        skip_linebreak();
        fill_lookahead(1);
        if (at(0) == '\t') return fail(m, "a block scalar content cannot start with a tab");
    }

    reset_fold_state();
    std::int64_t n;
    if (increment > 0) {
        n = indent_ > 0 ? indent_ + increment : increment;
        skip_block_scalar_indent(n, more_breaks_);
    } else {
        std::int64_t widest = 0;
        for (;;) {
            fill_lookahead(1);
            while (at(0) == ' ') {
                advance_blank();
                fill_lookahead(1);
            }
            widest = std::max(widest, col());
            if (!is_break(at(0))) break;
            fill_lookahead(2);
            skip_linebreak();
            ++more_breaks_;
        }
        n = std::max(widest, indent_ + 1);
    }

    auto push_text = [&] {
        Token& t = tokens_.emplace_back();
        t.type = TokenType::Scalar;
        t.mark = m;
        t.style = literal ? ScalarStyle::Literal : ScalarStyle::Folded;
        t.text = text_;
    };

    fill_lookahead(1);
    if (at(0) == 0) {
        // No content: as in the middle of a document, only kept empty lines
        // remain; the header's own line break is not content.
        if (chomping == Chomping::Keep) text_.append(more_breaks_, '\n');
        push_text();
        return {};
    }
    // A document marker at column 0 ends the scalar rather than standing in it.
    fill_lookahead(4);
    const bool at_marker = mark_.col == 0 && at_document_indicator();
    if (col() < n && col() > indent_ && !at_marker)
        return fail(mark_, "wrongly indented line in block scalar");

    bool previous_leading_blank = false;
    while (col() == n && at(0) != 0) {
        if (n == 0) {
            // Content at column 0 of a top-level scalar: "---" and "..." end it,
            // so that the next document is not taken into the text.
            fill_lookahead(4);
            if (at_document_indicator()) break;
        }
        const bool leading_blank = is_blank(at(0));
        if (!literal && first_break_ && !previous_leading_blank && !leading_blank) {
            if (more_breaks_ == 0)
                text_.push_back(' ');
            else
                text_.append(more_breaks_, '\n');
        } else {
            if (first_break_) text_.push_back('\n');
            text_.append(more_breaks_, '\n');
        }
        first_break_ = false;
        more_breaks_ = 0;
        previous_leading_blank = leading_blank;

        for (;;) {
            if (is_break_or_end(at(0))) break;
            take_char(text_);
            take_content_run<byte_sets::LineText>(text_);
            fill_lookahead(1);
        }
        if (at(0) == 0) break;
        fill_lookahead(2);
        skip_linebreak();
        first_break_ = true;
        skip_block_scalar_indent(n, more_breaks_);
    }

    // A last line that the text ends without a line break keeps none: clipping and
    // keeping only keep breaks that were there, as every YAML reader reads them.
    if (chomping != Chomping::Strip && first_break_) text_.push_back('\n');
    if (chomping == Chomping::Keep) text_.append(more_breaks_, '\n');
    push_text();
    return {};
}

}  // namespace plovarn::scanner
