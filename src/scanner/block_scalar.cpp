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
        cur_.fill(1);
        while (cur_.col() < n && cur_.at(0) == ' ') {
            cur_.advance_blank();
            cur_.fill(1);
        }
        if (!is_break(cur_.at(0))) return;
        cur_.fill(2);
        cur_.skip_linebreak();
        ++breaks;
    }
}

Scanner::Status Scanner::fetch_block_scalar(bool literal) {
    record_key_candidate();
    key_allowed_ = true;
    const Marker m = cur_.mark();
    cur_.advance_char();
    pop_soft_indents();

    Chomping chomping = Chomping::Clip;
    std::int64_t increment = 0;
    auto read_chomping = [&] {
        cur_.fill(1);
        if (cur_.at(0) == '+' || cur_.at(0) == '-') {
            chomping = cur_.at(0) == '+' ? Chomping::Keep : Chomping::Strip;
            cur_.advance_char();
            return true;
        }
        return false;
    };
    auto read_increment = [&]() -> Status {
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (c >= '0' && c <= '9') {
            if (c == '0')
                return fail(m, "while scanning a block scalar, found an indentation indicator equal to 0");
            increment = c - '0';
            cur_.advance_char();
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
    cur_.fill(2);
    if (!is_break_or_end(cur_.at(0)))
        return fail(m, "while scanning a block scalar, did not find expected comment or line break");
    if (is_break(cur_.at(0))) {
        cur_.skip_linebreak();
        cur_.fill(1);
        if (cur_.at(0) == '\t') return fail(m, "a block scalar content cannot start with a tab");
    }

    // The block's own joining: the break after the last content line, and the
    // empty lines since.
    scalar_.reset();
    std::string& text = scalar_.text();
    bool first_break = false;
    std::size_t more_breaks = 0;
    std::int64_t n;
    if (increment > 0) {
        n = indent_ > 0 ? indent_ + increment : increment;
        skip_block_scalar_indent(n, more_breaks);
    } else {
        std::int64_t widest = 0;
        for (;;) {
            cur_.fill(1);
            while (cur_.at(0) == ' ') {
                cur_.advance_blank();
                cur_.fill(1);
            }
            widest = std::max(widest, cur_.col());
            if (!is_break(cur_.at(0))) break;
            cur_.fill(2);
            cur_.skip_linebreak();
            ++more_breaks;
        }
        n = std::max(widest, indent_ + 1);
    }

    auto push_text = [&] {
        Token& t = tokens_.emplace_back();
        t.type = TokenType::Scalar;
        t.mark = m;
        t.style = literal ? ScalarStyle::Literal : ScalarStyle::Folded;
        t.text = text;
    };

    cur_.fill(1);
    if (cur_.at(0) == 0) {
        // No content: as in the middle of a document, only kept empty lines
        // remain; the header's own line break is not content.
        if (chomping == Chomping::Keep) text.append(more_breaks, '\n');
        push_text();
        return {};
    }
    // A document marker at column 0 ends the scalar rather than standing in it, and
    // so does a comment line left of the content: it is a comment after an empty
    // scalar (`key: |2` over ` # note`).
    cur_.fill(4);
    const bool at_marker = cur_.mark().col == 0 && cur_.at_document_indicator();
    if (cur_.col() < n && cur_.col() > indent_ && !at_marker && cur_.at(0) != '#')
        return fail(cur_.mark(), "wrongly indented line in block scalar");

    bool previous_leading_blank = false;
    while (cur_.col() == n && cur_.at(0) != 0) {
        if (n == 0) {
            // Content at column 0 of a top-level scalar: "---" and "..." end it,
            // so that the next document is not taken into the text.
            cur_.fill(4);
            if (cur_.at_document_indicator()) break;
        }
        const bool leading_blank = is_blank(cur_.at(0));
        if (!literal && first_break && !previous_leading_blank && !leading_blank) {
            if (more_breaks == 0)
                text.push_back(' ');
            else
                text.append(more_breaks, '\n');
        } else {
            if (first_break) text.push_back('\n');
            text.append(more_breaks, '\n');
        }
        first_break = false;
        more_breaks = 0;
        previous_leading_blank = leading_blank;

        for (;;) {
            if (is_break_or_end(cur_.at(0))) break;
            cur_.take_char(text);
            cur_.take_content_run<byte_sets::LineText>(text);
            cur_.fill(1);
        }
        if (cur_.at(0) == 0) break;
        cur_.fill(2);
        cur_.skip_linebreak();
        first_break = true;
        skip_block_scalar_indent(n, more_breaks);
    }

    // A last line that the text ends without a line break keeps none: clipping and
    // keeping only keep breaks that were there, as every YAML reader reads them.
    if (chomping != Chomping::Strip && first_break) text.push_back('\n');
    if (chomping == Chomping::Keep) text.append(more_breaks, '\n');
    push_text();
    return {};
}

}  // namespace plovarn::scanner
