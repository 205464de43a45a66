#include "scanner/token_names.h"

namespace plovarn::scanner {

std::string_view token_type_name(TokenType type) {
    switch (type) {
        case TokenType::StreamStart: return "StreamStart";
        case TokenType::StreamEnd: return "StreamEnd";
        case TokenType::VersionDirective: return "VersionDirective";
        case TokenType::TagDirective: return "TagDirective";
        case TokenType::DocumentStart: return "DocumentStart";
        case TokenType::DocumentEnd: return "DocumentEnd";
        case TokenType::BlockSequenceStart: return "BlockSequenceStart";
        case TokenType::BlockMappingStart: return "BlockMappingStart";
        case TokenType::BlockEnd: return "BlockEnd";
        case TokenType::FlowSequenceStart: return "FlowSequenceStart";
        case TokenType::FlowSequenceEnd: return "FlowSequenceEnd";
        case TokenType::FlowMappingStart: return "FlowMappingStart";
        case TokenType::FlowMappingEnd: return "FlowMappingEnd";
        case TokenType::BlockEntry: return "BlockEntry";
        case TokenType::FlowEntry: return "FlowEntry";
        case TokenType::Key: return "Key";
        case TokenType::Value: return "Value";
        case TokenType::Alias: return "Alias";
        case TokenType::Anchor: return "Anchor";
        case TokenType::Tag: return "Tag";
        case TokenType::Scalar: return "Scalar";
        case TokenType::Comment: return "Comment";
    }
    return "?";
}

std::string_view scalar_style_name(ScalarStyle style) {
    switch (style) {
        case ScalarStyle::Plain: return "Plain";
        case ScalarStyle::SingleQuoted: return "SingleQuoted";
        case ScalarStyle::DoubleQuoted: return "DoubleQuoted";
        case ScalarStyle::Literal: return "Literal";
        case ScalarStyle::Folded: return "Folded";
    }
    return "?";
}

}  // namespace plovarn::scanner
