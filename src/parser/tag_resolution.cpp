#include "parser/tag_resolution.h"

namespace plovarn::parser {

const std::string* TagTable::find(std::string_view handle) const {
    for (const auto& [h, prefix] : entries_)
        if (h == handle) return &prefix;
    return nullptr;
}

void TagTable::add(std::string handle, std::string prefix) {
    entries_.emplace_back(std::move(handle), std::move(prefix));
}

std::expected<Tag, scanner::ScanError> resolve_tag(const TagTable& tags, std::string handle, std::string suffix,
                                                   scanner::Marker mark) {
    if (const std::string* prefix = tags.find(handle)) return Tag{*prefix, std::move(suffix)};
    if (handle == "!!") return Tag{"tag:yaml.org,2002:", std::move(suffix)};
    if (handle.size() >= 2 && handle.front() == '!' && handle.back() == '!')
        return std::unexpected(scanner::ScanError::make(mark, "the handle wasn't declared"));
    // The primary handle `!`, and the empty handle of verbatim tags, stand as written.
    return Tag{std::move(handle), std::move(suffix)};
}

}  // namespace plovarn::parser
