// Deep nesting: the reader neither overflows the native stack while it parses nor
// while the trees it built are destroyed, and refuses nesting past the limit.

#include <gtest/gtest.h>

#include <string>

#include "builder/parse_str.h"
#include "types/node.h"

namespace {

using plovarn::builder::parse_str;
using plovarn::types::max_nesting_depth;

const std::string depth_error = "exceeded the maximum nesting depth of " + std::to_string(max_nesting_depth);

// `levels` lines "k:", each indented one space more than the one above.
std::string staircase(std::size_t levels) {
    std::string text;
    text.reserve(levels * (levels + 7) / 2);
    for (std::size_t i = 0; i < levels; ++i) text.append(i, ' ').append("k:\n");
    return text;
}

std::string dashes(std::size_t levels) {
    std::string text;
    text.reserve(levels * 2 + 2);
    for (std::size_t i = 0; i < levels; ++i) text += "- ";
    text += "x\n";
    return text;
}

std::size_t mapping_depth(const plovarn::types::YamlNode& root) {
    std::size_t depth = 0;
    const plovarn::types::YamlNode* n = &root;
    while (n->is_mapping() && n->as_mapping().size() == 1) {
        ++depth;
        n = &n->as_mapping().at(0).second.node;
    }
    return depth;
}

TEST(BuilderDepth, DeepestAllowedMappingsBuildAndDestroy) {
    auto r = parse_str(staircase(max_nesting_depth));
    ASSERT_TRUE(r.has_value()) << r.error();
    ASSERT_EQ(r->size(), 1u);
    EXPECT_EQ(mapping_depth((*r)[0]), max_nesting_depth);
    r->clear();  // destroys the tree
}

TEST(BuilderDepth, MappingsPastTheLimitFailAtTheOpeningToken) {
    // The parse stops at the level too many, so the text needs only a little more
    // than that many lines; a literal 100,000-step staircase would be 5 GB of spaces.
    auto r = parse_str(staircase(max_nesting_depth + 50));
    ASSERT_FALSE(r.has_value());
    // Level 10001 opens with the `:` of the key on line 10001, indented 10000.
    const std::uint64_t line = max_nesting_depth + 1;
    std::uint64_t index = 0;
    for (std::uint64_t i = 0; i < max_nesting_depth; ++i) index += i + 3;
    index += max_nesting_depth + 1;
    EXPECT_EQ(r.error(), "YAML parse error: " + depth_error + " at byte " + std::to_string(index) + " line " +
                             std::to_string(line) + " column " + std::to_string(max_nesting_depth + 2));
}

TEST(BuilderDepth, DashesOnOneLine) {
    auto ok = parse_str(dashes(max_nesting_depth));
    ASSERT_TRUE(ok.has_value()) << ok.error();
    ok->clear();
    auto r = parse_str(dashes(1'000'000));
    ASSERT_FALSE(r.has_value());
    const std::string col = std::to_string(2 * max_nesting_depth);
    EXPECT_EQ(r.error(), "YAML parse error: " + depth_error + " at byte " + col + " line 1 column " +
                             std::to_string(2 * max_nesting_depth + 1));
}

TEST(BuilderDepth, FlowNestingInsideBlockNestingCountsTogether) {
    std::string text = dashes(max_nesting_depth - 1);
    text.pop_back();
    text.pop_back();  // drop "x\n"
    text += "[[x]]\n";
    auto r = parse_str(text);
    ASSERT_FALSE(r.has_value());
    EXPECT_NE(r.error().find(depth_error), std::string::npos) << r.error();
}

}  // namespace
