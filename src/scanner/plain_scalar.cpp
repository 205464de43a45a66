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
    const Marker m = cur_.mark();
    const bool flow = flow_depth_ > 0;
    scalar_.reset();

    for (;;) {
        cur_.fill(4);
        if (cur_.mark().col == 0 && cur_.at_document_indicator()) break;
        char32_t c = cur_.at(0);
        if (c == '#') break;
        // Only a scalar's first character: after a blank, `-` is content (`[a -]`).
        if (flow && c == '-' && scalar_.text().empty() && is_flow_indicator(cur_.at(1)))
            return fail(cur_.mark(), "plain scalar cannot start with '-' followed by ,[]{}");
        if (continues_plain(c, cur_.at(1), flow)) {
            // Inside a flow collection a continuation line is indented like any
            // other line of it (the first line was checked before dispatch).
            if (flow && cur_.col() < limit) return fail(cur_.mark(), "invalid indentation in flow construct");
            std::string& text = scalar_.text();
            scalar_.fold(cur_.blanks_only());
            cur_.content_started();
            do {
                cur_.take_char(text);
                if (flow)
                    cur_.take_content_run<byte_sets::PlainFlow>(text);
                else
                    cur_.take_content_run<byte_sets::PlainBlock>(text);
                cur_.fill(2);
                c = cur_.at(0);
            } while (continues_plain(c, cur_.at(1), flow));
        }
        if (!is_blank(c) && !is_break(c)) break;

        SCAN_TRY(skip_scalar_separation(limit, true, m));
        if (!flow && cur_.col() < limit) break;
    }
    if (cur_.blanks_only()) key_allowed_ = true;

    Token& t = tokens_.emplace_back();
    t.type = TokenType::Scalar;
    t.mark = m;
    t.style = ScalarStyle::Plain;
    t.text = scalar_.text();
    return {};
}

}  // namespace plovarn::scanner
