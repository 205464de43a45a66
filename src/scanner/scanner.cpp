#include "scanner/scanner.h"

namespace plovarn::scanner {

Scanner::Scanner(std::string_view utf8_text) : text_(utf8_text) {}

std::expected<Token, ScanError> Scanner::next_token() {
    if (done_) return std::unexpected(ScanError::make(Marker{}, "scanner not implemented"));
    done_ = true;
    return Token{};
}

}  // namespace plovarn::scanner
