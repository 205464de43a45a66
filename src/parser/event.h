#pragma once

// Events of the parser: the structure of a YAML stream, one step at a time.

#include <cstdint>
#include <optional>
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
struct DocumentStart {};
struct DocumentEnd {};
struct Alias {
    std::uint64_t anchor_id = 0;
    std::string name;
};
// `anchor_id` 0 means the node has no anchor; ids of anchors start at 1. `anchor`
// is the anchor's name, empty when there is none.
struct Scalar {
    std::string value;
    scanner::ScalarStyle style = scanner::ScalarStyle::Plain;
    std::uint64_t anchor_id = 0;
    std::optional<Tag> tag;
    std::string anchor;
};
struct SequenceStart {
    std::uint64_t anchor_id = 0;
    std::optional<Tag> tag;
    std::string anchor;
};
struct SequenceEnd {};
struct MappingStart {
    std::uint64_t anchor_id = 0;
    std::optional<Tag> tag;
    std::string anchor;
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
