// The line reader's cursor: line ends with the check of every character, blank
// and comment lines, and the comments themselves.
#include "parser/line_bytes.h"
#include "parser/line_reader.h"
#include "scanner/char_classes.h"
#include "types/utf8.h"

namespace plovarn::parser {

namespace {

const char* skip_spaces(const char* p, const char* end) {
    while (p != end && *p == ' ') ++p;
    return p;
}

// The number of characters in [p, end).
std::uint64_t characters(const char* p, const char* end) {
    std::uint64_t n = 0;
    for (; p != end; ++p) n += (static_cast<unsigned char>(*p) & 0xC0) != 0x80;
    return n;
}

}  // namespace

// The parser reads a tab, a lone carriage return, a byte order mark and any
// control character by rules of their own, and fails on a NUL and malformed
// UTF-8; the line reader leaves all of them to it. Tabs are let through in
// comment lines, where they are text like any other.
const char* LineReader::find_line_end(const char* p, bool comment) const {
    for (;;) {
        p = line_bytes::control_or_non_ascii(p, end_);
        if (p == end_) return p;
        const auto c = static_cast<unsigned char>(*p);
        if (c == '\n') return p;
        if (c == '\r') return p + 1 != end_ && p[1] == '\n' ? p : nullptr;
        if (c == '\t' && comment) {
            ++p;
            continue;
        }
        if (c < 0x80) return nullptr;
        const types::Utf8Char ch =
            types::decode_utf8(reinterpret_cast<const unsigned char*>(p), static_cast<std::size_t>(end_ - p));
        if (ch.fault != types::Utf8Char::Fault::None || ch.value == scanner::chars::byte_order_mark) return nullptr;
        p += ch.length;
    }
}

bool LineReader::finish_line(const char* p, const char* end, std::uint64_t line) {
    const char* q = skip_spaces(p, end);
    if (q != end) {
        // A comment must be set off from the token before it.
        if (*q != '#' || q == p) return false;
        take_comment(q, end, line);
    }
    next_line_after(end, line);
    return true;
}

bool LineReader::advance() {
    if (line_ready_) {
        line_ready_ = false;
        return true;
    }
    for (;;) {
        const char* start = next_;
        const std::uint64_t number = next_number_;
        const char* p = line_bytes::skip_spaces(start, end_, end_);
        if (p == end_) {
            // Blanks on a last line without a break: the parser closes the deeper
            // blocks on that line and the others on the next.
            if (p != start) return false;
            line_ = Line{LineKind::End, p, p, 0, number};
            line_start_ = start;
            return true;
        }
        const char c = *p;
        if (c == '\n' || c == '\r') {
            if (c == '\r' && (p + 1 == end_ || p[1] != '\n')) return false;
            next_line_after(p, number);
            continue;
        }
        if (c == '#') {
            const char* end = find_line_end(p, true);
            if (end == nullptr) return false;
            take_comment(p, end, number);
            if (end == end_) unbroken_last_width_ = characters(start, end);
            next_line_after(end, number);
            continue;
        }
        const char* end = find_line_end(p, false);
        if (end == nullptr) return false;
        LineKind kind = LineKind::Content;
        if (p == start && (c == '-' || c == '.' || c == '%')) {
            const bool marker = end - p >= 3 && p[1] == c && p[2] == c && (end - p == 3 || p[3] == ' ');
            if (c == '%' || (c == '.' && marker)) return false;  // directives and `...`
            if (marker) kind = LineKind::DocumentStart;
        }
        line_ = Line{kind, p, end, static_cast<std::uint32_t>(p - start), number};
        line_start_ = start;
        return true;
    }
}

}  // namespace plovarn::parser
