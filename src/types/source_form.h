#pragma once

// How a node was written in the text it was read from, beyond its value: what the
// writer needs to give an unchanged node back as it stood. A node the program set
// has none of it and is written by the writer's own rules.

#include <cstdint>

#include "types/opt_text.h"

namespace plovarn::types {

// The style a scalar or a key was written in. Unset: the writer chooses.
enum class SourceStyle : std::uint8_t { Unset, Plain, SingleQuoted, DoubleQuoted, Literal, Folded };

// Written in front of a node, or instead of the writer's spelling of its value,
// and the comments of a document that no entry or item holds.
struct NodeProps {
    // The plain text of a scalar whose value the writer would spell otherwise
    // (`0600`, `yes`, `~`, an empty value).
    OptText spelling;
    // The anchor name, without its `&`.
    OptText anchor;
    // The tag in a form that needs no directive: `!Ref`, `!!str`, `!<tag:...>`.
    OptText tag;
    // Comments of a document root. A root that is a scalar or an empty collection
    // has no entry to hold the comment lines above it and the comment at the end of
    // its line; the comment lines after the last value of a stream's last document
    // follow no entry. The root carries them, so they travel with it.
    OptText comment_before;
    OptText comment_inline;
    OptText comment_after;
    // The version of the %YAML directive a document root was read under ("1.1").
    OptText version;

    bool has_anchor_or_tag() const { return anchor || tag; }
    bool has_comments() const { return comment_before || comment_inline || comment_after; }
    bool empty() const { return !spelling && !has_anchor_or_tag() && !has_comments() && !version; }
    friend bool operator==(const NodeProps&, const NodeProps&) = default;
};

}  // namespace plovarn::types
