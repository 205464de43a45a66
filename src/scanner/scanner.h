// Turns UTF-8 YAML text into a stream of tokens, comments included.
#pragma once

#include <expected>
#include <string_view>

#include "scanner/token.h"

namespace plovarn::scanner {

class Scanner {
public:
    // The text must outlive the scanner; it is not copied.
    explicit Scanner(std::string_view utf8_text);

    // Takes the next token off the queue, scanning as needed. Once an error has
    // happened every later call returns a copy of the stored error.
    std::expected<Token, ScanError> next_token();

private:
    std::string_view text_;
    bool done_ = false;
};

}  // namespace plovarn::scanner
