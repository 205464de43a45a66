#pragma once

// How a node was written in the text it was read from, beyond its value: what the
// writer needs to give an unchanged node back as it stood. A node the program set
// has none of it and is written by the writer's own rules.

#include <cstdint>

#include "types/opt_text.h"

namespace plovarn::types {

// The style a scalar or a key was written in. Unset: the writer chooses.
enum class SourceStyle : std::uint8_t { Unset, Plain, SingleQuoted, DoubleQuoted, Literal, Folded };

// Written in front of a node, or instead of the writer's spelling of its value.
struct NodeProps {
    // The plain text of a scalar whose value the writer would spell otherwise
    // (`0600`, `yes`, `~`, an empty value).
    OptText spelling;
    // The anchor name, without its `&`.
    OptText anchor;
    // The tag in a form that needs no directive: `!Ref`, `!!str`, `!<tag:...>`.
    OptText tag;

    bool empty() const { return !spelling && !anchor && !tag; }
    friend bool operator==(const NodeProps&, const NodeProps&) = default;
};

}  // namespace plovarn::types
