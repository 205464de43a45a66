#include "parser/parser.h"

#include <utility>

#include "types/node.h"

namespace plovarn::parser {

using scanner::ScanError;

// Peeks the current token into `var`, passing a failure up.
#define PLOVARN_PEEK(var)                                                        \
    auto var##_peeked = peek_token();                                            \
    if (!var##_peeked) return std::unexpected(std::move(var##_peeked.error())); \
    Token& var = **var##_peeked

namespace {

std::unexpected<ScanError> fail(scanner::Marker mark, std::string_view info) {
    return std::unexpected(ScanError::make(mark, info));
}

MarkedEvent empty_scalar(scanner::Marker mark) { return {event::Scalar{}, mark}; }

// Whether parse_node opens a collection on this token.
bool opens_collection(scanner::TokenType type, bool block, bool indentless) {
    using scanner::TokenType;
    switch (type) {
        case TokenType::FlowSequenceStart:
        case TokenType::FlowMappingStart: return true;
        case TokenType::BlockSequenceStart:
        case TokenType::BlockMappingStart: return block;
        case TokenType::BlockEntry: return indentless;
        default: return false;
    }
}

const std::string nesting_message =
    "exceeded the maximum nesting depth of " + std::to_string(types::max_nesting_depth);

}  // namespace

Parser::Parser(std::string_view utf8_text) : scanner_(utf8_text) {}

std::expected<MarkedEvent, ScanError> Parser::next_event() {
    if (failure_) return std::unexpected(*failure_);
    Result r = dispatch();
    if (!r) failure_ = r.error();
    return r;
}

std::expected<scanner::Token*, ScanError> Parser::pull_token() {
    for (;;) {
        auto next = scanner_.peek_token();
        if (!next) return std::unexpected(std::move(next.error()));
        Token* t = *next;
        last_mark_ = t->mark;
        if (t->type == TokenType::Comment) {
            comments_.push_back(Comment{t->mark, t->source});
            scanner_.pop_token();
            continue;
        }
        token_ = t;
        has_token_ = true;
        return t;
    }
}

void Parser::pop_state() {
    // The handlers push a return state before every node they descend into, so the
    // stack is never empty here; ending the stream is the safe answer if it were.
    if (states_.empty()) {
        state_ = State::End;
        return;
    }
    state_ = states_.back();
    states_.pop_back();
}

Parser::Result Parser::dispatch() {
    switch (state_) {
        case State::StreamStart: return stream_start();
        case State::ImplicitDocumentStart: return document_start(true);
        case State::DocumentStart: return document_start(false);
        case State::DocumentContent: return document_content();
        case State::DocumentEnd: return document_end();
        case State::BlockNode: return parse_node(true, false);
        case State::BlockSequenceFirstEntry: return block_sequence_entry(true);
        case State::BlockSequenceEntry: return block_sequence_entry(false);
        case State::IndentlessSequenceEntry: return indentless_sequence_entry();
        case State::BlockMappingFirstKey: return block_mapping_key(true);
        case State::BlockMappingKey: return block_mapping_key(false);
        case State::BlockMappingValue: return block_mapping_value();
        case State::FlowSequenceFirstEntry: return flow_sequence_entry(true);
        case State::FlowSequenceEntry: return flow_sequence_entry(false);
        case State::FlowSequenceEntryMappingKey: return flow_sequence_entry_mapping_key();
        case State::FlowSequenceEntryMappingValue: return flow_sequence_entry_mapping_value();
        case State::FlowSequenceEntryMappingEnd: return flow_sequence_entry_mapping_end();
        case State::FlowMappingFirstKey: return flow_mapping_key(true);
        case State::FlowMappingKey: return flow_mapping_key(false);
        case State::FlowMappingValue: return flow_mapping_value(false);
        case State::FlowMappingEmptyValue: return flow_mapping_value(true);
        case State::End: return MarkedEvent{event::StreamEnd{}, last_mark_};
    }
    return MarkedEvent{event::StreamEnd{}, last_mark_};
}

// ---- stream and documents ----

Parser::Result Parser::stream_start() {
    PLOVARN_PEEK(t);
    if (t.type != TokenType::StreamStart) return fail(t.mark, "did not find expected <stream-start>");
    state_ = State::ImplicitDocumentStart;
    skip();
    return MarkedEvent{event::StreamStart{}, t.mark};
}

Parser::Result Parser::document_start(bool implicit) {
    auto peeked = peek_token();
    if (!peeked) return std::unexpected(std::move(peeked.error()));
    while ((*peeked)->type == TokenType::DocumentEnd) {
        skip();
        peeked = peek_token();
        if (!peeked) return std::unexpected(std::move(peeked.error()));
    }
    Token& t = **peeked;
    if (t.type == TokenType::StreamEnd) {
        state_ = State::End;
        skip();
        return MarkedEvent{event::StreamEnd{}, t.mark};
    }
    if (!implicit || t.type == TokenType::VersionDirective || t.type == TokenType::TagDirective ||
        t.type == TokenType::DocumentStart)
        return explicit_document_start();
    // An implicit document: no directives can stand in front of it.
    yaml_1_1_ = false;
    push_state(State::DocumentEnd);
    state_ = State::BlockNode;
    return MarkedEvent{event::DocumentStart{}, t.mark};
}

Parser::Result Parser::explicit_document_start() {
    event::DocumentStart start;
    if (auto err = process_directives(start.version)) return std::unexpected(std::move(*err));
    yaml_1_1_ = start.version == "1.1";
    PLOVARN_PEEK(t);
    if (t.type != TokenType::DocumentStart) return fail(t.mark, "did not find expected <document start>");
    push_state(State::DocumentEnd);
    state_ = State::DocumentContent;
    skip();
    return MarkedEvent{std::move(start), t.mark};
}

std::optional<ScanError> Parser::process_directives(std::string& version) {
    TagTable table;
    bool version_seen = false;
    bool any = false;
    for (;;) {
        auto peeked = peek_token();
        if (!peeked) return std::move(peeked.error());
        Token& t = **peeked;
        if (t.type == TokenType::VersionDirective) {
            if (version_seen) return ScanError::make(t.mark, "duplicate version directive");
            version_seen = true;
            version = std::to_string(t.major) + '.' + std::to_string(t.minor);
        } else if (t.type == TokenType::TagDirective) {
            // A directive of an unknown name arrives with an empty handle (a real
            // %TAG handle always starts with `!`); it is ignored, so that two of
            // them do not count as a repeated handle.
            if (!t.text.empty()) {
                if (table.contains(t.text))
                    return ScanError::make(
                        t.mark, "the TAG directive must only be given at most once per handle in the same document");
                table.add(std::move(t.text), std::move(t.text2));
            }
        } else {
            break;
        }
        any = true;
        skip();
    }
    if (any) tags_ = std::move(table);
    return std::nullopt;
}

Parser::Result Parser::document_content() {
    PLOVARN_PEEK(t);
    switch (t.type) {
        case TokenType::VersionDirective:
        case TokenType::TagDirective:
        case TokenType::DocumentStart:
        case TokenType::DocumentEnd:
        case TokenType::StreamEnd:
            pop_state();
            return empty_scalar(t.mark);
        default:
            return parse_node(true, false);
    }
}

Parser::Result Parser::document_end() {
    PLOVARN_PEEK(t);
    tags_.clear();
    if (t.type == TokenType::DocumentEnd) {
        skip();
        state_ = State::ImplicitDocumentStart;
        return MarkedEvent{event::DocumentEnd{}, t.mark};
    }
    if (t.type == TokenType::VersionDirective || t.type == TokenType::TagDirective) {
        // YAML 1.1 lets directives follow a document without `...` (PyYAML writes
        // its %YAML 1.1 streams so); YAML 1.2 does not.
        if (!yaml_1_1_) return fail(t.mark, "missing explicit document end marker before directive");
        state_ = State::ImplicitDocumentStart;
        return MarkedEvent{event::DocumentEnd{}, t.mark};
    }
    // Without `...` the next document must open with `---`.
    state_ = State::DocumentStart;
    return MarkedEvent{event::DocumentEnd{}, t.mark};
}

// ---- nodes ----

std::uint64_t Parser::register_anchor(std::string name, std::string_view& stored_name) {
    const std::uint64_t id = next_anchor_id_++;
    // A name defined again names the newer node from here on. The table's keys
    // stay where they are, so events can name the anchor by a view of its key.
    stored_name = anchors_.insert_or_assign(std::move(name), id).first->first;
    return id;
}

Parser::Result Parser::parse_node(bool block, bool indentless, std::optional<Marker> key) {
    PLOVARN_PEEK(t);
    if (t.type == TokenType::Alias) {
        if (key) return fail(*key, "an alias is not supported as a mapping key");
        pop_state();
        skip();
        auto found = anchors_.find(t.text);
        if (found == anchors_.end()) return fail(t.mark, "while parsing node, found unknown anchor");
        return MarkedEvent{event::Alias{found->second, found->first}, t.mark};
    }

    std::uint64_t anchor_id = 0;
    std::string_view anchor;
    std::unique_ptr<Tag> tag;
    const Marker props_mark = t.mark;
    auto take_tag = [&](Token& tok) -> std::optional<ScanError> {
        auto resolved = resolve_tag(tags_, std::move(tok.text), std::move(tok.text2), tok.mark);
        if (!resolved) return std::move(resolved.error());
        tag = std::make_unique<Tag>(std::move(*resolved));
        return std::nullopt;
    };
    if (t.type == TokenType::Anchor) {
        anchor_id = register_anchor(std::move(t.text), anchor);
        skip();
        PLOVARN_PEEK(next);
        if (next.type == TokenType::Tag) {
            if (auto err = take_tag(next)) return std::unexpected(std::move(*err));
            skip();
        }
    } else if (t.type == TokenType::Tag) {
        if (auto err = take_tag(t)) return std::unexpected(std::move(*err));
        skip();
        PLOVARN_PEEK(next);
        if (next.type == TokenType::Anchor) {
            anchor_id = register_anchor(std::move(next.text), anchor);
            skip();
        }
    }

    PLOVARN_PEEK(content);
    if (key && opens_collection(content.type, block, indentless))
        return fail(*key, "a collection is not supported as a mapping key");
    switch (content.type) {
        case TokenType::BlockSequenceStart:
            if (!block) break;
            state_ = State::BlockSequenceFirstEntry;
            return open_sequence(anchor_id, std::move(tag), anchor, content.mark);
        case TokenType::BlockMappingStart:
            if (!block) break;
            state_ = State::BlockMappingFirstKey;
            return open_mapping(anchor_id, std::move(tag), anchor, content.mark);
        case TokenType::FlowSequenceStart:
            state_ = State::FlowSequenceFirstEntry;
            return open_sequence(anchor_id, std::move(tag), anchor, content.mark);
        case TokenType::FlowMappingStart:
            state_ = State::FlowMappingFirstKey;
            return open_mapping(anchor_id, std::move(tag), anchor, content.mark);
        case TokenType::BlockEntry:
            if (!indentless) break;
            // The entry token stays for the first entry handler.
            state_ = State::IndentlessSequenceEntry;
            return open_sequence(anchor_id, std::move(tag), anchor, content.mark);
        case TokenType::Scalar: {
            pop_state();
            skip();
            return MarkedEvent{event::Scalar{std::move(content.text), content.style, anchor_id, std::move(tag),
                                             anchor},
                               content.mark};
        }
        default: break;
    }
    if (anchor_id != 0 || tag) {
        // The empty node stands where its anchor or tag does (`- !!str`), not at the
        // next token: comment lines between them are not above it.
        pop_state();
        return MarkedEvent{event::Scalar{std::string(), scanner::ScalarStyle::Plain, anchor_id, std::move(tag),
                                         anchor},
                           props_mark};
    }
    return fail(content.mark, "while parsing a node, did not find expected node content");
}

std::optional<ScanError> Parser::enter_level(Marker mark) {
    if (depth_ >= types::max_nesting_depth) return ScanError::make(mark, nesting_message);
    ++depth_;
    return std::nullopt;
}

Parser::Result Parser::open_sequence(std::uint64_t anchor_id, std::unique_ptr<Tag> tag, std::string_view anchor,
                                     Marker mark) {
    if (auto err = enter_level(mark)) return std::unexpected(std::move(*err));
    return MarkedEvent{event::SequenceStart{anchor_id, std::move(tag), anchor}, mark};
}

Parser::Result Parser::open_mapping(std::uint64_t anchor_id, std::unique_ptr<Tag> tag, std::string_view anchor,
                                    Marker mark) {
    if (auto err = enter_level(mark)) return std::unexpected(std::move(*err));
    return MarkedEvent{event::MappingStart{anchor_id, std::move(tag), anchor}, mark};
}

Parser::Result Parser::close_sequence(Marker mark) {
    if (depth_ > 0) --depth_;
    return MarkedEvent{event::SequenceEnd{}, mark};
}

Parser::Result Parser::close_mapping(Marker mark) {
    if (depth_ > 0) --depth_;
    return MarkedEvent{event::MappingEnd{}, mark};
}

// ---- block collections ----

Parser::Result Parser::block_sequence_entry(bool first) {
    if (first) {
        PLOVARN_PEEK(start);
        (void)start;
        skip();
    }
    PLOVARN_PEEK(t);
    if (t.type == TokenType::BlockEnd) {
        pop_state();
        skip();
        return close_sequence(t.mark);
    }
    if (t.type != TokenType::BlockEntry)
        return fail(t.mark, "while parsing a block collection, did not find expected '-' indicator");
    skip();
    PLOVARN_PEEK(t2);
    if (t2.type == TokenType::BlockEntry || t2.type == TokenType::BlockEnd) {
        state_ = State::BlockSequenceEntry;
        return empty_scalar(t2.mark);
    }
    push_state(State::BlockSequenceEntry);
    return parse_node(true, false);
}

Parser::Result Parser::indentless_sequence_entry() {
    PLOVARN_PEEK(t);
    if (t.type != TokenType::BlockEntry) {
        pop_state();
        return close_sequence(t.mark);
    }
    skip();
    PLOVARN_PEEK(t2);
    if (t2.type == TokenType::BlockEntry || t2.type == TokenType::Key || t2.type == TokenType::Value ||
        t2.type == TokenType::BlockEnd) {
        state_ = State::IndentlessSequenceEntry;
        return empty_scalar(t2.mark);
    }
    push_state(State::IndentlessSequenceEntry);
    return parse_node(true, false);
}

Parser::Result Parser::block_mapping_key(bool first) {
    if (first) {
        PLOVARN_PEEK(start);
        (void)start;
        skip();
    }
    PLOVARN_PEEK(t);
    switch (t.type) {
        case TokenType::BlockEnd:
            pop_state();
            skip();
            return close_mapping(t.mark);
        case TokenType::Key: {
            const Marker key_mark = t.mark;
            skip();
            PLOVARN_PEEK(t2);
            if (t2.type == TokenType::Key || t2.type == TokenType::Value || t2.type == TokenType::BlockEnd) {
                state_ = State::BlockMappingValue;
                return empty_scalar(t2.mark);
            }
            push_state(State::BlockMappingValue);
            return parse_node(true, true, key_mark);
        }
        case TokenType::Value:
            state_ = State::BlockMappingValue;
            return empty_scalar(t.mark);
        default:
            return fail(t.mark, "while parsing a block mapping, did not find expected key");
    }
}

Parser::Result Parser::block_mapping_value() {
    PLOVARN_PEEK(t);
    if (t.type != TokenType::Value) {
        state_ = State::BlockMappingKey;
        return empty_scalar(t.mark);
    }
    skip();
    PLOVARN_PEEK(t2);
    if (t2.type == TokenType::Key || t2.type == TokenType::Value || t2.type == TokenType::BlockEnd) {
        state_ = State::BlockMappingKey;
        return empty_scalar(t2.mark);
    }
    push_state(State::BlockMappingKey);
    return parse_node(true, true);
}

// ---- flow collections ----

Parser::Result Parser::flow_sequence_entry(bool first) {
    if (first) {
        PLOVARN_PEEK(start);
        (void)start;
        skip();
    }
    PLOVARN_PEEK(t);
    if (t.type == TokenType::FlowSequenceEnd) {
        pop_state();
        skip();
        return close_sequence(t.mark);
    }
    if (!first) {
        if (t.type != TokenType::FlowEntry) return fail(t.mark, "while parsing a flow sequence, expected ',' or ']'");
        skip();
    }
    PLOVARN_PEEK(t2);
    if (t2.type == TokenType::FlowSequenceEnd) {
        // A trailing comma.
        pop_state();
        skip();
        return close_sequence(t2.mark);
    }
    if (t2.type == TokenType::Key) {
        // A single-pair mapping written inside the sequence.
        state_ = State::FlowSequenceEntryMappingKey;
        pair_key_mark_ = t2.mark;
        skip();
        return open_mapping(0, nullptr, {}, t2.mark);
    }
    push_state(State::FlowSequenceEntry);
    return parse_node(false, false);
}

Parser::Result Parser::flow_sequence_entry_mapping_key() {
    PLOVARN_PEEK(t);
    if (t.type == TokenType::Value || t.type == TokenType::FlowEntry || t.type == TokenType::FlowSequenceEnd) {
        // The key is empty. The token stays: it is the pair's value indicator or
        // what ends the pair, and the following states read it.
        state_ = State::FlowSequenceEntryMappingValue;
        return empty_scalar(t.mark);
    }
    push_state(State::FlowSequenceEntryMappingValue);
    return parse_node(false, false, pair_key_mark_);
}

Parser::Result Parser::flow_sequence_entry_mapping_value() {
    PLOVARN_PEEK(t);
    if (t.type != TokenType::Value) {
        state_ = State::FlowSequenceEntryMappingEnd;
        return empty_scalar(t.mark);
    }
    skip();
    PLOVARN_PEEK(t2);
    if (t2.type == TokenType::FlowEntry || t2.type == TokenType::FlowSequenceEnd) {
        state_ = State::FlowSequenceEntryMappingEnd;
        return empty_scalar(t2.mark);
    }
    push_state(State::FlowSequenceEntryMappingEnd);
    return parse_node(false, false);
}

Parser::Result Parser::flow_sequence_entry_mapping_end() {
    state_ = State::FlowSequenceEntry;
    return close_mapping(last_mark_);
}

Parser::Result Parser::flow_mapping_key(bool first) {
    if (first) {
        PLOVARN_PEEK(start);
        (void)start;
        skip();
    }
    PLOVARN_PEEK(t);
    if (t.type == TokenType::FlowMappingEnd) {
        pop_state();
        skip();
        return close_mapping(t.mark);
    }
    const Marker entry_mark = t.mark;
    if (!first) {
        if (t.type != TokenType::FlowEntry)
            return fail(t.mark, "while parsing a flow mapping, did not find expected ',' or '}'");
        skip();
    }
    PLOVARN_PEEK(t2);
    switch (t2.type) {
        case TokenType::FlowMappingEnd:
            // A trailing comma.
            pop_state();
            skip();
            return close_mapping(entry_mark);
        case TokenType::Key: {
            const Marker key_mark = t2.mark;
            skip();
            PLOVARN_PEEK(t3);
            if (t3.type == TokenType::Value || t3.type == TokenType::FlowEntry ||
                t3.type == TokenType::FlowMappingEnd) {
                state_ = State::FlowMappingValue;
                return empty_scalar(t3.mark);
            }
            push_state(State::FlowMappingValue);
            return parse_node(false, false, key_mark);
        }
        case TokenType::Value:
            state_ = State::FlowMappingValue;
            return empty_scalar(t2.mark);
        default:
            // A key without a value.
            push_state(State::FlowMappingEmptyValue);
            return parse_node(false, false, t2.mark);
    }
}

Parser::Result Parser::flow_mapping_value(bool empty) {
    PLOVARN_PEEK(t);
    if (empty || t.type != TokenType::Value) {
        state_ = State::FlowMappingKey;
        return empty_scalar(t.mark);
    }
    skip();
    PLOVARN_PEEK(t2);
    if (t2.type == TokenType::FlowEntry || t2.type == TokenType::FlowMappingEnd) {
        state_ = State::FlowMappingKey;
        return empty_scalar(t2.mark);
    }
    push_state(State::FlowMappingKey);
    return parse_node(false, false);
}

#undef PLOVARN_PEEK

}  // namespace plovarn::parser
