#include "emitter/comment_lines.h"

#include <cstdint>
#include <cstring>

#include "emitter/unicode_breaks.h"
#include "emitter/unprintable_chars.h"

namespace plovarn::emitter {
namespace {

// U+0000 would end the input for the reader, and the other unprintable
// characters make readers refuse the text; each stands as U+FFFD instead.
constexpr std::string_view replacement_char = "\xEF\xBF\xBD";

// Position of the first byte from `i` on that is not printable ASCII (controls,
// line breaks and every byte of a character above U+007E among them), or `n`.
// Comment text is mostly ASCII, so eight bytes are tested at a time.
std::size_t find_notable_byte(const char* p, std::size_t i, std::size_t n) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        // A byte below 0x20, or one of 0x7F and above (a carry only ever comes
        // from a byte that is flagged itself).
        if (((w - ones * 0x20) & ~w & highs) | (((w + ones) | w) & highs)) break;
    }
    while (i < n && static_cast<unsigned char>(p[i]) >= 0x20 && static_cast<unsigned char>(p[i]) < 0x7F) ++i;
    return i;
}

// How much of a comment text its first line took, its line break (LF, CR, CR LF,
// or one of YAML 1.1's U+0085, U+2028, U+2029) included, and whether it ended at one.
struct FirstLine {
    std::size_t taken;
    bool broken;
};

// Appends the first line of `text`. One pass: only bytes outside printable ASCII
// need a look.
FirstLine append_first_line(std::string& out, std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t start = 0;
    for (std::size_t i = find_notable_byte(p, 0, n); i < n; i = find_notable_byte(p, i + 1, n)) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '\n' || c == '\r') {
            out.append(p + start, i - start);
            return {i + ((c == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1), true};
        }
        if (const std::size_t len = unicode_break_at(text, i); len != 0) {
            out.append(p + start, i - start);
            return {i + len, true};
        }
        const std::size_t bad = c == '\0' ? 1 : unprintable_at(text, i);
        if (bad != 0) {
            out.append(p + start, i - start);
            out.append(replacement_char);
            i += bad - 1;
            start = i + 1;
        }
    }
    out.append(p + start, n - start);
    return {n, false};
}

void append_comment_prefix(std::string& out, std::size_t indent) {
    out.append(indent, ' ');
    out.append("# ");
}

}  // namespace

// Every piece between line breaks is one comment line, an empty last piece and an
// empty text included: the reader joins bare `#` lines into exactly such text, so
// writing them back line for line keeps a block stable across load and dump.
void append_comment_block(std::string& out, std::string_view text, std::size_t indent) {
    for (;;) {
        append_comment_prefix(out, indent);
        const FirstLine line = append_first_line(out, text);
        text.remove_prefix(line.taken);
        out.push_back('\n');
        if (!line.broken) break;
    }
}

std::string_view append_inline_comment(std::string& out, std::string_view marker, std::string_view text) {
    out.append(marker);
    text.remove_prefix(append_first_line(out, text).taken);
    return text;
}

void append_comment_lines(std::string& out, std::string_view text, std::size_t indent) {
    while (!text.empty()) {
        append_comment_prefix(out, indent);
        text.remove_prefix(append_first_line(out, text).taken);
        out.push_back('\n');
    }
}

}  // namespace plovarn::emitter
