// Whatever the reader accepts, the writer renders as text that reads back to the
// same keys and values, and so does a second writing of what was read back.
// With PLOVARN_FUZZ_COMMENTS set in the environment, what was read back from the
// writer's text must also be a fixed point: writing it again gives the same text,
// comments and all.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "roundtrip_tree_equal.h"

namespace {

const bool check_comments = std::getenv("PLOVARN_FUZZ_COMMENTS") != nullptr;

[[noreturn]] void fail(const char* what, std::string_view detail, const std::string& written) {
    std::fprintf(stderr, "%s: %.*s\n--- written ---\n%s\n---\n", what, static_cast<int>(detail.size()),
                 detail.data(), written.c_str());
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plovarn;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto first = builder::parse_str(text);
    if (!first) return 0;

    const std::string written = emitter::emit_docs(*first);
    auto second = builder::parse_str(written);
    if (!second) fail("written text does not read back", second.error(), written);

    roundtrip_test::CompareOptions values_only;
    values_only.comments = false;
    if (auto d = roundtrip_test::docs_diff(*first, *second, values_only); !d.empty())
        fail("values changed", d, written);

    const std::string again = emitter::emit_docs(*second);
    auto third = builder::parse_str(again);
    if (!third) fail("second writing does not read back", third.error(), again);
    if (auto d = roundtrip_test::docs_diff(*second, *third, check_comments ? roundtrip_test::CompareOptions{} : values_only);
        !d.empty())
        fail("values or comments changed on the second round", d, again);
    if (check_comments && emitter::emit_docs(*third) != again) fail("third writing differs from the second", "", again);
    return 0;
}
