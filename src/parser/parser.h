#pragma once

// Pull parser: turns the scanner's tokens into events. Nesting lives in an explicit
// stack of return states, never in recursion, so deep input cannot exhaust the
// native stack.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "parser/event.h"
#include "parser/state.h"
#include "parser/tag_resolution.h"
#include "scanner/scanner.h"
#include "scanner/token.h"

namespace plovarn::parser {

class Parser {
public:
    // The text must outlive the parser.
    explicit Parser(std::string_view utf8_text);

    // Produces the next event. The first failure is final: every later call
    // returns the same error.
    std::expected<MarkedEvent, scanner::ScanError> next_event();

    // Comments pulled past while producing the events so far, in input order. The
    // consumer empties it after every event; the texts view the parsed text.
    std::vector<Comment>& comments() { return comments_; }

private:
    using Result = std::expected<MarkedEvent, scanner::ScanError>;
    using Token = scanner::Token;
    using TokenType = scanner::TokenType;
    using Marker = scanner::Marker;

    Result dispatch();
    std::expected<Token*, scanner::ScanError> peek_token() {
        if (has_token_) return token_;
        return pull_token();
    }
    // Takes comments off the scanner up to the next other token.
    std::expected<Token*, scanner::ScanError> pull_token();
    // Takes the peeked token; it stays readable until the next peek_token.
    void skip() {
        has_token_ = false;
        scanner_.pop_token();
    }
    void push_state(State s) { states_.push_back(s); }
    void pop_state();

    Result stream_start();
    Result document_start(bool implicit);
    Result explicit_document_start();
    std::optional<scanner::ScanError> process_directives(std::string& version);
    Result document_content();
    Result document_end();
    // `key`: the node stands where a mapping key is due, written at that mark.
    // Keys are text, so a collection or an alias there is refused rather than
    // dropped (dropping it would shift every later key and value of the mapping).
    Result parse_node(bool block, bool indentless, std::optional<Marker> key = std::nullopt);
    Result block_sequence_entry(bool first);
    Result indentless_sequence_entry();
    Result block_mapping_key(bool first);
    Result block_mapping_value();
    Result flow_sequence_entry(bool first);
    Result flow_sequence_entry_mapping_key();
    Result flow_sequence_entry_mapping_value();
    Result flow_sequence_entry_mapping_end();
    Result flow_mapping_key(bool first);
    Result flow_mapping_value(bool empty);

    // Events that open and close collections keep the nesting depth in check.
    Result open_sequence(std::uint64_t anchor_id, std::unique_ptr<Tag> tag, std::string_view anchor, Marker mark);
    Result open_mapping(std::uint64_t anchor_id, std::unique_ptr<Tag> tag, std::string_view anchor, Marker mark);
    Result close_sequence(Marker mark);
    Result close_mapping(Marker mark);
    std::optional<scanner::ScanError> enter_level(Marker mark);

    std::uint64_t register_anchor(std::string name, std::string_view& stored_name);

    scanner::Scanner scanner_;
    std::vector<State> states_;
    State state_ = State::StreamStart;
    Token* token_ = nullptr;  // the peeked token, in the scanner's queue
    bool has_token_ = false;
    // Position of the latest token taken from the scanner: where the scanner stands
    // for the events that are not tied to a token of their own.
    Marker last_mark_;
    // The `?` of the single-pair mapping being read inside a flow sequence.
    Marker pair_key_mark_;
    std::vector<Comment> comments_;
    std::unordered_map<std::string, std::uint64_t> anchors_;
    TagTable tags_;
    bool yaml_1_1_ = false;  // the current document declared %YAML 1.1
    std::uint64_t next_anchor_id_ = 1;
    std::size_t depth_ = 0;
    std::optional<scanner::ScanError> failure_;
};

}  // namespace plovarn::parser
