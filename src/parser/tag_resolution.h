#pragma once

// %TAG directives of one document and the resolution of tag handles through them.

#include <expected>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "parser/event.h"
#include "scanner/token.h"

namespace plovarn::parser {

// Handle to prefix, for the current document. Documents declare few handles, so a
// flat array beats a hash map here.
class TagTable {
public:
    const std::string* find(std::string_view handle) const;
    bool contains(std::string_view handle) const { return find(handle) != nullptr; }
    void add(std::string handle, std::string prefix);
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// The tag of a `Tag` token: the handle replaced by its declared prefix (the secondary
// handle `!!` has a built-in one). A named handle `!word!` that the document did not
// declare fails at `mark`.
std::expected<Tag, scanner::ScanError> resolve_tag(const TagTable& tags, std::string handle, std::string suffix,
                                                   scanner::Marker mark);

}  // namespace plovarn::parser
