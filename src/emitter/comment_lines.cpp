#include "emitter/comment_lines.h"

namespace plovarn::emitter {
namespace {

// U+0000 would end the input for the reader; it stands as U+FFFD instead.
constexpr std::string_view replacement_char = "\xEF\xBF\xBD";

bool is_break(char c) { return c == '\n' || c == '\r'; }

void append_line_text(std::string& out, std::string_view line) {
    std::size_t start = 0;
    for (std::size_t nul = line.find('\0'); nul != std::string_view::npos; nul = line.find('\0', start)) {
        out.append(line.substr(start, nul - start));
        out.append(replacement_char);
        start = nul + 1;
    }
    out.append(line.substr(start));
}

// Length of the line at the start of `text` and of the break that ends it
// (0, 1, or 2 for CR LF).
std::pair<std::size_t, std::size_t> next_line(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !is_break(text[end])) ++end;
    std::size_t brk = 0;
    if (end < text.size()) brk = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    return {end, brk};
}

}  // namespace

void append_comment_block(std::string& out, std::string_view text, std::size_t indent) {
    while (!text.empty()) {
        auto [len, brk] = next_line(text);
        out.append(indent, ' ');
        out.append("# ");
        append_line_text(out, text.substr(0, len));
        out.push_back('\n');
        text.remove_prefix(len + brk);
    }
}

void append_inline_comment(std::string& out, std::string_view marker, std::string_view text,
                           std::size_t indent) {
    auto [len, brk] = next_line(text);
    out.append(marker);
    append_line_text(out, text.substr(0, len));
    text.remove_prefix(len + brk);
    while (!text.empty()) {
        auto [l, b] = next_line(text);
        out.push_back('\n');
        out.append(indent, ' ');
        out.append("# ");
        append_line_text(out, text.substr(0, l));
        text.remove_prefix(l + b);
    }
}

}  // namespace plovarn::emitter
