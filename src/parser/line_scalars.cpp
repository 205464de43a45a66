// The line reader's scalars: keys, plain scalars over one or several lines,
// quoted scalars on one line, and block scalars.
#include <algorithm>
#include <cstring>

#include "parser/line_bytes.h"
#include "parser/line_reader.h"
#include "scanner/char_classes.h"

namespace plovarn::parser {

namespace {

using scanner::chars::is_flow_indicator;

const char* skip_spaces(const char* p, const char* end) {
    while (p != end && *p == ' ') ++p;
    return p;
}

// The character after `p` on its line, or a line feed at the line's end.
char next_char(const char* p, const char* end) { return p + 1 == end ? '\n' : p[1]; }

bool blank_or_end(char c) { return c == ' ' || c == '\n'; }

// A line break (LF or CR LF) at `p`, before the end of the text; null if none.
const char* after_break(const char* p, const char* text_end) {
    if (p == text_end) return nullptr;
    if (*p == '\n') return p + 1;
    if (*p == '\r' && p + 1 != text_end && p[1] == '\n') return p + 2;
    return nullptr;
}

}  // namespace

// Within one line: a blank followed by `#` starts a comment, a `:` followed by a
// blank or the line end is a value indicator, and in a flow collection so are a
// `:` before a flow indicator and the flow indicators themselves. Blanks between
// words stay in the text; blanks before a stop do not.
LineReader::PlainRun LineReader::plain_run(const char* p, const char* end, bool flow) const {
    const char* content_end = p;
    if (!flow) {
        for (;;) {
            const char* q = line_bytes::space_or_colon(p, end, end_);
            if (q != p) content_end = q;
            if (q == end) return {content_end, end, Stop::LineEnd};
            if (*q == ' ') {
                p = skip_spaces(q + 1, end);
                if (p == end) return {content_end, end, Stop::LineEnd};
                if (*p == '#') return {content_end, p, Stop::Comment};
                continue;
            }
            if (blank_or_end(next_char(q, end))) return {content_end, q, Stop::Colon};
            content_end = p = q + 1;
        }
    }
    while (p != end) {
        const char c = *p;
        if (c == ' ') {
            const char* q = skip_spaces(p + 1, end);
            if (q == end) break;
            if (*q == '#') return {content_end, q, Stop::Comment};
            p = q;
            continue;
        }
        if (c == ':') {
            const char n = next_char(p, end);
            if (blank_or_end(n) || is_flow_indicator(n)) return {content_end, p, Stop::Colon};
        } else if (is_flow_indicator(c)) {
            return {content_end, p, Stop::FlowIndicator};
        }
        content_end = ++p;
    }
    return {content_end, end, Stop::LineEnd};
}

const char* LineReader::closing_quote(const char* p, const char* end) const {
    if (*p == '\'') {
        const void* q = std::memchr(p + 1, '\'', static_cast<std::size_t>(end - p - 1));
        if (q == nullptr) return nullptr;
        const char* close = static_cast<const char*>(q);
        // `''` stands for one quote; the parser decodes it.
        return close + 1 != end && close[1] == '\'' ? nullptr : close;
    }
    for (const char* q = p + 1; q != end; ++q) {
        if (*q == '"') return q;
        if (*q == '\\') return nullptr;  // escapes are the parser's
    }
    return nullptr;
}

LineReader::Key LineReader::key_at(const char* p, const char* end) const {
    // A simple key may be at most 1024 characters long, up to its `:`; every
    // character takes at least one byte.
    constexpr std::ptrdiff_t longest_key = 1000;
    Key key;
    if (*p == '\'' || *p == '"') {
        const char* close = closing_quote(p, end);
        if (close == nullptr) {
            key.found = Key::Found::Decline;
            return key;
        }
        const char* colon = skip_spaces(close + 1, end);
        if (colon == end || *colon != ':' || !blank_or_end(next_char(colon, end))) return key;
        key.text = std::string_view(p + 1, static_cast<std::size_t>(close - p - 1));
        key.style = *p == '\'' ? ScalarStyle::SingleQuoted : ScalarStyle::DoubleQuoted;
        key.after = colon + 1;
        key.found = colon - p > longest_key ? Key::Found::Decline : Key::Found::Yes;
        return key;
    }
    if (!plain_can_start(p, end, false)) return key;
    const PlainRun run = plain_run(p, end, false);
    key.run = run;
    if (run.how != Stop::Colon) return key;
    key.text = std::string_view(p, static_cast<std::size_t>(run.content_end - p));
    key.after = run.stop + 1;
    key.found = run.stop - p > longest_key ? Key::Found::Decline : Key::Found::Yes;
    return key;
}

// A plain scalar goes on over the following lines that are indented deeper than
// the collection holding it, up to a comment line: one line break between two
// lines folds into a space, n+1 into n line feeds.
bool LineReader::read_plain(const char* p, const PlainRun& first, std::uint32_t parent_column) {
    const std::uint64_t number = line_.number;
    if (first.how == Stop::Colon) return false;
    const char* last_end = line_.end;  // end of the last line of the scalar
    std::uint64_t last_number = number;
    PlainRun run = first;
    bool folded = false;
    if (run.how == Stop::LineEnd) {
        const std::uint32_t least = parent_column + 1;
        const char* q = after_break(line_.end, end_);
        std::uint64_t n = number + 1;
        std::size_t breaks = 0;  // empty lines since the last line of content
        while (q != nullptr) {
            const char* r = skip_spaces(q, end_);
            if (r == end_) break;
            if (const char* next = after_break(r, end_)) {
                ++breaks;
                q = next;
                ++n;
                continue;
            }
            if (static_cast<std::uint32_t>(r - q) < least || *r == '#') break;
            const char* e = find_line_end(r, false);
            if (e == nullptr) return false;
            const PlainRun more = plain_run(r, e, false);
            if (more.how == Stop::Colon) return false;
            if (!folded) {
                scratch_.assign(p, first.content_end);
                folded = true;
            }
            if (breaks == 0)
                scratch_ += ' ';
            else
                scratch_.append(breaks, '\n');
            scratch_.append(r, more.content_end);
            breaks = 0;
            last_end = e;
            last_number = n;
            run = more;
            if (more.how == Stop::Comment) break;
            q = after_break(e, end_);
            ++n;
        }
    }
    emit(EventKind::Scalar, number,
         folded ? std::string_view(scratch_) : std::string_view(p, static_cast<std::size_t>(first.content_end - p)));
    if (run.how == Stop::Comment) take_comment(run.stop, last_end, last_number);
    next_line_after(last_end, last_number);
    return true;
}

// The parser is handed a quoted scalar only once the scanner has passed the
// comment on its line and the comment lines below it, so they come with it.
bool LineReader::read_quoted(const char* p) {
    const char* close = closing_quote(p, line_.end);
    if (close == nullptr) return false;
    const std::uint64_t number = line_.number;
    const std::string_view text(p + 1, static_cast<std::size_t>(close - p - 1));
    const ScalarStyle style = *p == '\'' ? ScalarStyle::SingleQuoted : ScalarStyle::DoubleQuoted;
    if (!finish_line(close + 1, line_.end, number) || !advance()) return false;
    line_ready_ = true;
    emit(EventKind::Scalar, number, text, style);
    return true;
}

bool LineReader::read_block_scalar(const char* p, std::uint32_t parent_column) {
    enum class Chomping : std::uint8_t { Strip, Clip, Keep };
    const std::uint64_t number = line_.number;
    const bool literal = *p == '|';
    const char* const line_end = line_.end;
    const char* q = p + 1;
    Chomping chomping = Chomping::Clip;
    std::uint32_t increment = 0;
    auto chomping_indicator = [&] {
        if (q == line_end || (*q != '+' && *q != '-')) return false;
        chomping = *q == '+' ? Chomping::Keep : Chomping::Strip;
        ++q;
        return true;
    };
    auto increment_indicator = [&] {
        if (q == line_end || *q < '1' || *q > '9') return;
        increment = static_cast<std::uint32_t>(*q - '0');
        ++q;
    };
    if (chomping_indicator()) {
        increment_indicator();
    } else {
        increment_indicator();
        if (increment > 0) chomping_indicator();
    }
    // A comment on the header line comes before the scalar's token.
    if (!finish_line(q, line_end, number)) return false;

    scratch_.clear();
    std::size_t more_breaks = 0;
    const char* line = next_;  // start of the line being read
    std::uint64_t n_line = next_number_;
    if (line_end == end_) line = nullptr;  // the header ends the text
    // Consumes up to `most` leading spaces of each line and the lines that end
    // there; stops at the first line with something else on it. Returns the
    // number of spaces taken on that line, which `at` points after.
    const char* at = nullptr;
    auto skip_indentation = [&](std::uint32_t most, std::uint32_t& widest) -> std::uint32_t {
        for (;;) {
            const char* r = line;
            while (r != end_ && *r == ' ' && static_cast<std::uint32_t>(r - line) < most) ++r;
            const auto spaces = static_cast<std::uint32_t>(r - line);
            widest = std::max(widest, spaces);
            const char* next = after_break(r, end_);
            if (next == nullptr) {
                at = r;
                return spaces;
            }
            ++more_breaks;
            line = next;
            ++n_line;
        }
    };

    std::uint32_t content_indent;
    std::uint32_t col = 0;
    if (line != nullptr) {
        std::uint32_t widest = 0;
        if (increment > 0) {
            content_indent = parent_column + increment;
            col = skip_indentation(content_indent, widest);
        } else {
            col = skip_indentation(UINT32_MAX, widest);
            content_indent = std::max(widest, parent_column + 1);
        }
        if (at != end_ && col < content_indent && col > parent_column) return false;  // wrongly indented
    }

    bool first_break = false;
    if (line != nullptr && at != end_) {
        bool previous_leading_blank = false;
        while (col == content_indent && at != end_) {
            const bool leading_blank = *at == ' ';
            if (!literal && first_break && !previous_leading_blank && !leading_blank) {
                if (more_breaks == 0)
                    scratch_ += ' ';
                else
                    scratch_.append(more_breaks, '\n');
            } else {
                if (first_break) scratch_ += '\n';
                scratch_.append(more_breaks, '\n');
            }
            first_break = false;
            more_breaks = 0;
            previous_leading_blank = leading_blank;
            const char* e = find_line_end(at, false);
            if (e == nullptr) return false;
            scratch_.append(at, e);
            const char* next = after_break(e, end_);
            if (next == nullptr) {
                // The text ends on this line.
                line = end_;
                at = end_;
                n_line += 1;
                break;
            }
            first_break = true;
            line = next;
            ++n_line;
            std::uint32_t unused = 0;
            col = skip_indentation(content_indent, unused);
        }
    }
    if (chomping != Chomping::Strip && first_break) scratch_ += '\n';
    if (chomping == Chomping::Keep) scratch_.append(more_breaks, '\n');
    emit(EventKind::Scalar, number, scratch_, literal ? ScalarStyle::Literal : ScalarStyle::Folded);
    // The line that ended the scalar is read again from its start.
    if (line != nullptr) {
        next_ = line;
        next_number_ = n_line;
    }
    return true;
}

}  // namespace plovarn::parser
