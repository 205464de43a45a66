#pragma once

// The comments of a text as the scanner finds them, for the checks that every
// comment read is written back.

#include <string_view>

#include "scanner/scanner.h"

// -1 when the text does not scan.
inline long comment_count(std::string_view text) {
    plovarn::scanner::Scanner scanner(text);
    long count = 0;
    for (;;) {
        auto token = scanner.peek_token();
        if (!token) return -1;
        const auto type = (*token)->type;
        if (type == plovarn::scanner::TokenType::Comment) ++count;
        scanner.pop_token();
        if (type == plovarn::scanner::TokenType::StreamEnd) return count;
    }
}
