// Malformed input never crashes or hangs the reader: mutated documents either load or
// fail with the reader's error text.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "builder/parse_str.h"

namespace {

const char* const seeds[] = {
    "# head\na: 1 # one\nb:\n  # c\n  c: [1, {x: y}, 'q']\nlist:\n  - x # ex\n  - - y\n    - z\n",
    "%YAML 1.2\n%TAG !e! tag:e:\n--- !e!m &a\nk: *a\n? k\n: [a, b, {c: d, e}]\n...\n--- |\n  text\n",
    "- \"dq \\x41 \\u00e9\"\n- 'sq ''x'''\n- >-\n  folded\n  text\n- [? a : b, c: d, ]\n",
    "{a: [1, 2], b: {c: [d, {e: f}]}, g: !!str 3, &h i: *h}\n",
    "k1:\n- a\n- b\nk2: ~\n? |\n  block key\n: v\n",
};

// Characters that steer the scanner and the parser into their less common paths.
const char structural[] = "-?:,[]{}#&*!|>'\"%@` \t\n\r.~\\";

std::string mutate(std::string text, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t pos = text.empty() ? 0 : rng() % (text.size() + 1);
        const char c = structural[rng() % (sizeof(structural) - 1)];
        switch (rng() % 4) {
            case 0: text.insert(pos, 1, c); break;
            case 1: if (pos < text.size()) text[pos] = c; break;
            case 2: if (pos < text.size()) text.erase(pos, 1 + rng() % 3); break;
            case 3: text.resize(pos); break;
        }
    }
    return text;
}

TEST(BuilderRobustness, MutatedDocumentsLoadOrFailCleanly) {
    std::mt19937 rng(20261208);
    std::size_t loaded = 0, failed = 0;
    for (const char* seed : seeds) {
        ASSERT_TRUE(plovarn::builder::parse_str(seed).has_value()) << seed;
        for (int round = 0; round < 2000; ++round) {
            const std::string text = mutate(seed, rng);
            auto r = plovarn::builder::parse_str(text);
            if (r) {
                ++loaded;
            } else {
                ++failed;
                EXPECT_TRUE(r.error().starts_with("YAML parse error: ")) << r.error();
            }
        }
    }
    // Both outcomes occur, so the mutations reach deep into both paths.
    EXPECT_GT(loaded, 100u);
    EXPECT_GT(failed, 100u);
}

TEST(BuilderRobustness, ArbitraryBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 64, '\0');
        for (char& c : text) c = static_cast<char>(rng() % 256);
        auto r = plovarn::builder::parse_str(text);
        if (!r) {
            EXPECT_TRUE(r.error().starts_with("YAML parse error: "));
        }
    }
}

}  // namespace
