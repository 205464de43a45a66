#pragma once

// Events of the parser: the structure of a YAML stream, one step at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "scanner/token.h"

namespace plovarn::parser {

// A tag after handle resolution: `handle` holds the prefix the written handle
// stands for, `suffix` the rest as written, and `written` the tag as it can be
// written back without the document's directives (`!Ref`, `!!str`, or the whole
// tag in the verbatim form `!<...>`).
struct Tag {
    std::string handle;
    std::string suffix;
    std::string written;
};

namespace event {

struct StreamStart {};
struct StreamEnd {};
// `version` is the number of the document's %YAML directive ("1.1"), empty when
// it has none.
struct DocumentStart {
    std::string version;
};
struct DocumentEnd {};
// Anchor names are views into the parser's table of anchors, valid as long as the
// parser lives.
struct Alias {
    std::uint64_t anchor_id = 0;
    std::string_view name;
};
// `anchor_id` 0 means the node has no anchor; ids of anchors start at 1. `anchor`
// is the anchor's name, empty when there is none. Tags are rare: one pointer keeps
// the events, which are moved at every step, small.
struct Scalar {
    std::string value;
    scanner::ScalarStyle style = scanner::ScalarStyle::Plain;
    std::uint64_t anchor_id = 0;
    std::unique_ptr<Tag> tag;
    std::string_view anchor;
};
struct SequenceStart {
    std::uint64_t anchor_id = 0;
    std::unique_ptr<Tag> tag;
    std::string_view anchor;
};
struct SequenceEnd {};
struct MappingStart {
    std::uint64_t anchor_id = 0;
    std::unique_ptr<Tag> tag;
    std::string_view anchor;
};
struct MappingEnd {};

}  // namespace event

using Event = std::variant<event::StreamStart, event::StreamEnd, event::DocumentStart, event::DocumentEnd,
                           event::Alias, event::Scalar, event::SequenceStart, event::SequenceEnd,
                           event::MappingStart, event::MappingEnd>;

// An event with the position of the token it came from.
struct MarkedEvent {
    Event event;
    scanner::Marker mark;
};

// A comment the parser pulled past: the position of its `#` and its text, a
// view into the text being parsed.
struct Comment {
    scanner::Marker mark;
    std::string_view text;
};

}  // namespace plovarn::parser
