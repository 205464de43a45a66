#pragma once

// Events without anchors and tags, handed one at a time to a consumer together
// with the comments that the reader passed while producing each: what the line
// reader gives the builder, and what the differential checks record.

#include <cstdint>
#include <span>
#include <string_view>

#include "parser/event.h"
#include "scanner/token.h"

namespace plovarn::parser {

enum class EventKind : std::uint8_t {
    StreamStart,
    StreamEnd,
    DocumentStart,
    DocumentEnd,
    SequenceStart,
    SequenceEnd,
    MappingStart,
    MappingEnd,
    Scalar
};

// `line` is the line of the event's marker; `text` and `style` belong to a Scalar.
// The text lives only for the call.
struct PlainEvent {
    EventKind kind;
    scanner::ScalarStyle style = scanner::ScalarStyle::Plain;
    std::uint64_t line = 1;
    std::string_view text;
};

class EventSink {
public:
    // `comments` are those passed since the previous event, in input order, each
    // with its line (their index and column are not given); they live only for
    // the call.
    virtual void event(const PlainEvent& event, std::span<const Comment> comments) = 0;

protected:
    ~EventSink() = default;
};

}  // namespace plovarn::parser
