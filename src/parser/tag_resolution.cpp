#include "parser/tag_resolution.h"

#include "scanner/char_classes.h"

namespace plovarn::parser {

const std::string* TagTable::find(std::string_view handle) const {
    for (const auto& [h, prefix] : entries_)
        if (h == handle) return &prefix;
    return nullptr;
}

void TagTable::add(std::string handle, std::string prefix) {
    entries_.emplace_back(std::move(handle), std::move(prefix));
}

namespace {

// Appends `text`, each byte that `keep` refuses as a %XX escape of it.
template <class Keep>
void append_escaped(std::string& out, std::string_view text, Keep keep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80 && b != '%' && keep(static_cast<char32_t>(b))) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(hex[b >> 4]);
            out.push_back(hex[b & 0xF]);
        }
    }
}

// The primary and secondary handles need no directive unless the document
// declared them anew; every other tag is written whole, in the verbatim form.
std::string written_form(const TagTable& tags, std::string_view handle, std::string_view prefix,
                         std::string_view suffix) {
    std::string out;
    if (handle.empty() && suffix == "!") return "!";  // the non-specific tag
    if ((handle == "!" || handle == "!!") && !tags.contains(handle)) {
        out.append(handle);
        append_escaped(out, suffix, scanner::chars::is_tag_char);
        return out;
    }
    out.append("!<");
    append_escaped(out, prefix, scanner::chars::is_uri_char);
    append_escaped(out, suffix, scanner::chars::is_uri_char);
    out.push_back('>');
    return out;
}

}  // namespace

std::expected<Tag, scanner::ScanError> resolve_tag(const TagTable& tags, std::string handle, std::string suffix,
                                                   scanner::Marker mark) {
    std::string prefix;
    if (const std::string* declared = tags.find(handle)) {
        prefix = *declared;
    } else if (handle == "!!") {
        prefix = "tag:yaml.org,2002:";
    } else if (handle.size() >= 2 && handle.front() == '!' && handle.back() == '!') {
        return std::unexpected(scanner::ScanError::make(mark, "the handle wasn't declared"));
    } else {
        // The primary handle `!`, and the empty handle of verbatim tags, stand as written.
        prefix = handle;
    }
    std::string written = written_form(tags, handle, prefix, suffix);
    return Tag{std::move(prefix), std::move(suffix), std::move(written)};
}

}  // namespace plovarn::parser
