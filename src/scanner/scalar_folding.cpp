// Line folding of plain and quoted scalars.
#include "scanner/char_classes.h"
#include "scanner/scalar_buffer.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

void ScalarBuffer::fold(bool breaks_crossed) {
    if (breaks_crossed) {
        if (first_break_ && more_breaks_ == 0)
            text_.push_back(' ');
        else
            text_.append(more_breaks_, '\n');
        first_break_ = false;
        more_breaks_ = 0;
    } else {
        text_ += held_blanks_;
    }
    held_blanks_.clear();
}

Scanner::Status Scanner::skip_scalar_separation(std::int64_t least, bool plain, Marker start) {
    using namespace chars;
    for (;;) {
        cur_.fill(2);
        const char32_t c = cur_.at(0);
        if (is_blank(c)) {
            if (!cur_.blanks_only()) {
                scalar_.hold_blank(static_cast<char>(c));
                cur_.advance_blank();
            } else if (c == '\t' && cur_.col() < least) {
                if (!plain) return fail(cur_.mark(), "tab cannot be used as indentation");
                // A line of blanks and a comment may hold a tab anywhere.
                SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
                cur_.fill(1);
                if (!is_break_or_end(cur_.at(0))) return fail(start, "while scanning a plain scalar, found a tab");
            } else {
                cur_.advance_blank();
            }
        } else if (is_break(c)) {
            scalar_.hold_break(!cur_.blanks_only());
            cur_.skip_linebreak();
        } else {
            return {};
        }
    }
}

}  // namespace plovarn::scanner
