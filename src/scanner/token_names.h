// Names of token kinds and scalar styles, for diagnostics and tests.
#pragma once

#include <string_view>

#include "scanner/token.h"

namespace plovarn::scanner {

std::string_view token_type_name(TokenType type);
std::string_view scalar_style_name(ScalarStyle style);

}  // namespace plovarn::scanner
