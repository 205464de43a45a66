#include "emitter/comment_lines.h"

#include <cstdint>
#include <cstring>

namespace plovarn::emitter {
namespace {

// U+0000 would end the input for the reader; it stands as U+FFFD instead.
constexpr std::string_view replacement_char = "\xEF\xBF\xBD";

// Position of the first byte at or below CR (LF, CR and U+0000 among them) from
// `i` on, or `n`. Comment text rarely holds one, so eight bytes are tested at a time.
std::size_t find_low_byte(const char* p, std::size_t i, std::size_t n) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w - ones * ('\r' + 1)) & ~w & highs) break;
    }
    while (i < n && static_cast<unsigned char>(p[i]) > '\r') ++i;
    return i;
}

// Appends the first line of `text` and returns how many bytes it took, its line
// break (LF, CR or CR LF) included. One pass: only bytes up to CR need a look.
std::size_t append_first_line(std::string& out, std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t start = 0;
    for (std::size_t i = find_low_byte(p, 0, n); i < n; i = find_low_byte(p, i + 1, n)) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '\n' || c == '\r') {
            out.append(p + start, i - start);
            return i + ((c == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1);
        }
        if (c == '\0') {
            out.append(p + start, i - start);
            out.append(replacement_char);
            start = i + 1;
        }
    }
    out.append(p + start, n - start);
    return n;
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
        const std::size_t taken = append_first_line(out, text);
        const bool ended_by_break = taken > 0 && (text[taken - 1] == '\n' || text[taken - 1] == '\r');
        text.remove_prefix(taken);
        out.push_back('\n');
        if (!ended_by_break) break;
    }
}

std::string_view append_inline_comment(std::string& out, std::string_view marker, std::string_view text) {
    out.append(marker);
    text.remove_prefix(append_first_line(out, text));
    return text;
}

void append_comment_lines(std::string& out, std::string_view text, std::size_t indent) {
    while (!text.empty()) {
        append_comment_prefix(out, indent);
        text.remove_prefix(append_first_line(out, text));
        out.push_back('\n');
    }
}

}  // namespace plovarn::emitter
