// Arbitrary bytes into the reader: it returns trees or an error text, and never
// crashes, hangs or trips a sanitizer.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "builder/parse_str.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto docs = plovarn::builder::parse_str(text);
    if (!docs && docs.error().rfind("YAML parse error: ", 0) != 0) __builtin_trap();
    return 0;
}
