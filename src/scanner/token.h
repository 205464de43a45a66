// Tokens produced by the scanner and consumed by the parser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plovarn::scanner {

// A position in the input: byte offset, 1-based line, 0-based column (in characters).
struct Marker {
    std::uint64_t index = 0;
    std::uint64_t line = 1;
    std::uint64_t col = 0;
};

struct ScanError {
    std::string info;
    Marker mark;

    static ScanError make(Marker mark, std::string_view info);
    // info + " at byte " + index + " line " + line + " column " + (col + 1)
    std::string display() const;
};

enum class ScalarStyle : std::uint8_t { Plain, SingleQuoted, DoubleQuoted, Literal, Folded };

enum class TokenType : std::uint8_t {
    StreamStart,
    StreamEnd,
    VersionDirective,
    TagDirective,
    DocumentStart,
    DocumentEnd,
    BlockSequenceStart,
    BlockMappingStart,
    BlockEnd,
    FlowSequenceStart,
    FlowSequenceEnd,
    FlowMappingStart,
    FlowMappingEnd,
    BlockEntry,
    FlowEntry,
    Key,
    Value,
    Alias,
    Anchor,
    Tag,
    Scalar,
    Comment
};

// A token kind with its payload (a flat tagged union: only the fields of `type` are meaningful).
struct Token {
    TokenType type = TokenType::StreamStart;
    Marker mark;
    ScalarStyle style = ScalarStyle::Plain;  // Scalar
    std::uint32_t major = 0, minor = 0;      // VersionDirective
    std::string text;   // Scalar text, Comment text, Alias/Anchor name, TagDirective handle, Tag handle
    std::string text2;  // TagDirective prefix, Tag suffix
    // Comment: its text where it stands in the input. Scanner::peek_token hands
    // comments out with this alone; next_token fills `text` from it.
    std::string_view source;
};

}  // namespace plovarn::scanner
