#include "emitter/literal_block.h"

#include "emitter/unicode_breaks.h"
#include "emitter/unprintable_chars.h"

namespace plovarn::emitter {
namespace {

// The text without its final line feeds, and how many there were.
std::string_view content_of(std::string_view text, std::size_t& final_breaks) {
    final_breaks = 0;
    while (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
        ++final_breaks;
    }
    return text;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool written_as_literal(const types::ScalarValue& value) {
    return value.is_str() && value.style() == types::SourceStyle::Literal && literal_fits(value.as_str());
}

bool literal_fits(std::string_view text) {
    std::size_t final_breaks = 0;
    const std::string_view content = content_of(text, final_breaks);
    if (content.empty()) return false;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i <= content.size(); ++i) {
        if (i < content.size()) {
            const auto c = static_cast<unsigned char>(content[i]);
            // Other line breaks, U+0000 and control characters cannot stand in a block.
            if (c < 0x20 && c != '\t' && c != '\n') return false;
            if (unicode_break_at(content, i) != 0 || unprintable_at(content, i) != 0) return false;
            if (c != '\n') continue;
        }
        // A line of blanks alone is told apart from an empty line by no reader alike.
        const std::string_view line = content.substr(line_start, i - line_start);
        bool only_blanks = !line.empty();
        for (char ch : line) only_blanks = only_blanks && is_blank(ch);
        if (only_blanks) return false;
        line_start = i + 1;
    }
    // A first line that starts with a tab would be read as indentation.
    return content.front() != '\t';
}

void append_literal_header(std::string& out, std::string_view text) {
    std::size_t final_breaks = 0;
    const std::string_view content = content_of(text, final_breaks);
    out.push_back('|');
    // The first line that is not empty decides the indentation a reader detects.
    const std::size_t first = content.find_first_not_of('\n');
    if (content[first] == ' ') out.push_back('2');
    if (final_breaks == 0) out.push_back('-');
    else if (final_breaks > 1) out.push_back('+');
}

void append_literal_body(std::string& out, std::string_view text, std::size_t indent) {
    std::size_t final_breaks = 0;
    const std::string_view content = content_of(text, final_breaks);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = content.find('\n', start);
        const std::string_view line = content.substr(start, end == std::string_view::npos ? end : end - start);
        if (!line.empty()) {
            out.append(indent, ' ');
            out.append(line);
        }
        out.push_back('\n');
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    for (std::size_t i = 1; i < final_breaks; ++i) out.push_back('\n');
}

}  // namespace plovarn::emitter
