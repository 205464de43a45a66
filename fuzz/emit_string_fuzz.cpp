// Any text as a key, a value and a sequence element: the writer quotes it so that
// the reader gives back exactly that text (the empty text reads back as null).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "roundtrip_tree_equal.h"

namespace {

// The Python layer hands the core only valid UTF-8.
bool valid_utf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d >> 6) != 0x2) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plovarn::types;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!valid_utf8(input)) return 0;
    // The first half is the key, the rest the value.
    std::size_t cut = input.size() / 2;
    while (cut > 0 && (static_cast<unsigned char>(input[cut]) & 0xC0) == 0x80) --cut;
    const std::string key(input.substr(0, cut));
    const std::string value(input.substr(cut));

    YamlMapping nested;
    nested.insert_full(key, YamlEntry{{}, {}, YamlNode(ScalarValue::make_str(value))});
    YamlMapping map;
    map.insert_full(key, YamlEntry{{}, {}, YamlNode(ScalarValue::make_str(value))});
    map.insert_full(key + "+", YamlEntry{{}, {}, YamlNode(std::move(nested))});
    std::vector<YamlItem> items;
    items.push_back(YamlItem{{}, {}, YamlNode(ScalarValue::make_str(value))});
    items.push_back(YamlItem{{}, {}, YamlNode(std::move(map))});
    const std::vector<YamlNode> docs{YamlNode(ScalarValue::make_str(value)), YamlNode(ItemArray(std::move(items)))};

    for (std::size_t n = 1; n <= docs.size(); ++n) {
        const std::vector<YamlNode> some(docs.end() - n, docs.end());
        const std::string written = plovarn::emitter::emit_docs(some);
        auto back = plovarn::builder::parse_str(written);
        std::string diff = back ? plovarn::roundtrip_test::docs_diff(some, *back) : back.error();
        if (!diff.empty()) {
            std::fprintf(stderr, "%s\n--- written ---\n%s\n---\n", diff.c_str(), written.c_str());
            __builtin_trap();
        }
    }
    return 0;
}
