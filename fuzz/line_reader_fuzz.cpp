// The line reader against the parser: on any text the line reader either
// declines, or gives the parser's events, each with the parser's comments, and
// the builder the same trees from them.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "reader_differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto outcome = plovarn::reader_check::compare(text);
    if (!outcome.difference.empty()) {
        std::fprintf(stderr, "%s\n", outcome.difference.c_str());
        __builtin_trap();
    }
    return 0;
}
