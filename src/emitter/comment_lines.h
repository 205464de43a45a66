#pragma once

// Comments written back as "# " lines. Comment text may hold line breaks (set
// from Python, or joined lines above an entry); every break starts a new comment
// line, so nothing in a comment ever reads back as YAML content.

#include <cstddef>
#include <string>
#include <string_view>

namespace plovarn::emitter {

// The lines above an entry, each at `indent` and ended by a line feed.
void append_comment_block(std::string& out, std::string_view text, std::size_t indent);

// The comment at the end of an entry's line: `marker` and the first line of the
// text; further lines continue at `indent`. The caller ends the last line.
void append_inline_comment(std::string& out, std::string_view marker, std::string_view text,
                           std::size_t indent);

}  // namespace plovarn::emitter
