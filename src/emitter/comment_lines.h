#pragma once

// Comments written back as "# " lines. Comment text may hold line breaks (set
// from Python, or joined lines above an entry); every break (YAML 1.1's U+0085,
// U+2028 and U+2029 too) starts a new comment line, so nothing in a comment ever
// reads back as YAML content.

#include <cstddef>
#include <string>
#include <string_view>

namespace plovarn::emitter {

// The lines above an entry, each at `indent` and ended by a line feed.
void append_comment_block(std::string& out, std::string_view text, std::size_t indent);

// The comment at the end of an entry's line: `marker` and the first line of the
// text. The caller ends the line; the rest of the text is returned, for
// append_comment_lines below the entry's line, or below a block scalar's lines.
std::string_view append_inline_comment(std::string& out, std::string_view marker, std::string_view text);

// What is left of an end-of-line comment after its first line: one comment line
// per line of text at `indent`, each ended by a line feed; nothing for no text.
void append_comment_lines(std::string& out, std::string_view text, std::size_t indent);

}  // namespace plovarn::emitter
