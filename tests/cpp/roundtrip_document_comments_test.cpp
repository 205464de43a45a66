// Comments that no entry or item holds: those after the last value of a text, and
// those around a document that is a scalar or an empty collection. They are read
// into the document's root, written back in their places, and read back the same.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "roundtrip_tree_equal.h"

namespace {

using plovarn::builder::parse_str;
using plovarn::emitter::emit_docs;
using plovarn::roundtrip_test::docs_diff;
using namespace plovarn::types;

std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

const NodeProps& props_of_root(const YamlNode& root) {
    static const NodeProps none;
    const NodeProps* p = root.is_scalar()     ? root.as_scalar().props()
                         : root.is_mapping()  ? root.as_mapping().props()
                         : root.is_sequence() ? root.as_sequence().props()
                                              : nullptr;
    return p ? *p : none;
}

// Reads `text`, writes it, and checks that the written text reads back to the
// same comments and is written again unchanged; returns the written text.
std::string round_trip(std::string_view text, std::vector<YamlNode>* docs = nullptr) {
    auto first = parse_str(text);
    EXPECT_TRUE(first) << (first ? "" : first.error());
    if (!first) return {};
    const std::string written = emit_docs(*first);
    auto second = parse_str(written);
    EXPECT_TRUE(second) << written;
    if (!second) return written;
    EXPECT_EQ(docs_diff(*first, *second), "") << written;
    EXPECT_EQ(emit_docs(*second), written);
    if (docs) *docs = std::move(*first);
    return written;
}

TEST(DocumentComments, LinesAfterTheLastValueFollowTheLastLine) {
    const std::vector<std::string_view> bodies = {"a: 1\n", "- x\n", "a:\n  b:\n    - 1\n", "k: |\n  text\n",
                                                  "- - x\n", "a: 'q'  # on a\n", "- k: >\n    folded\n"};
    for (std::string_view body : bodies)
        for (std::string_view tail : {"# t1\n  # t2\n", "# t1\n#t2"})
            for (bool windows : {false, true}) {
                const std::string text = std::string(body) + std::string(tail);
                SCOPED_TRACE(text + (windows ? " (CRLF)" : ""));
                std::vector<YamlNode> docs;
                const std::string written = round_trip(windows ? crlf(text) : text, &docs);
                ASSERT_EQ(docs.size(), 1u);
                EXPECT_EQ(props_of_root(docs[0]).comment_after, "t1\nt2");
                // The body is written as without the comments, which follow it.
                auto alone = parse_str(body);
                ASSERT_TRUE(alone);
                EXPECT_EQ(written, emit_docs(*alone) + "# t1\n# t2\n");
            }
}

TEST(DocumentComments, LinesBetweenDocumentsGoToTheNextOne) {
    std::vector<YamlNode> docs;
    round_trip("a: 1\n# between\n---\nb: 2\n...\n# tail\n", &docs);
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_FALSE(props_of_root(docs[0]).comment_after.has_value());
    EXPECT_EQ(docs[1].as_mapping().at(0).second.comment_before, "between");
    EXPECT_EQ(props_of_root(docs[1]).comment_after, "tail");
    // A scalar document takes the lines above it; so does an empty one (`---` alone).
    EXPECT_EQ(round_trip("- x\n# above\n--- 5\n# tail\n", &docs), "---\n- x\n---\n# above\n5\n# tail\n");
    EXPECT_EQ(props_of_root(docs[1]).comment_before, "above");
    round_trip("a: 1\n# before the empty one\n---\n", &docs);
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(props_of_root(docs[1]).comment_before, "before the empty one");
}

TEST(DocumentComments, ScalarAndEmptyRootsKeepTheirComments) {
    struct Case {
        std::string_view root, written;
    };
    const std::vector<Case> cases = {{"[]", "[]"},        {"{}", "{}"},         {"5", "5"},
                                     {"'q'", "'q'"},      {"\"d\"", "\"d\""},   {"~", "~"},
                                     {"&a []", "&a []"},  {"!t 5", "!t 5"},     {"plain text", "plain text"},
                                     {"[\n]", "[]"}};
    for (const Case& c : cases)
        for (bool windows : {false, true}) {
            const std::string text = "# above\n" + std::string(c.root) + "  # inline\n# after\n";
            SCOPED_TRACE(text);
            std::vector<YamlNode> docs;
            const std::string written = round_trip(windows ? crlf(text) : text, &docs);
            ASSERT_EQ(docs.size(), 1u);
            const NodeProps& p = props_of_root(docs[0]);
            EXPECT_EQ(p.comment_before, "above");
            EXPECT_EQ(p.comment_inline, "inline");
            EXPECT_EQ(p.comment_after, "after");
            EXPECT_EQ(written, "# above\n" + std::string(c.written) + "  # inline\n# after\n");
        }
    // The comment behind a block scalar's header, and one in a stream of documents.
    EXPECT_EQ(round_trip("|  # on the header\n  text\n# after\n"), "|  # on the header\n  text\n# after\n");
    EXPECT_EQ(round_trip("--- 'a'  # one\n--- []  # two\n"), "---\n'a'  # one\n---\n[]  # two\n");
    // An alias as a whole document refers to no anchor of its own document and is
    // written as null, which carries its comments.
    EXPECT_EQ(round_trip("&x a\n---\n# above\n*x  # inline\n# after\n"),
              "---\n&x a\n---\n# above\nnull  # inline\n# after\n");
}

TEST(DocumentComments, ATextOfCommentsAloneHasNoDocument) {
    auto docs = parse_str("# only\n# comments\n");
    ASSERT_TRUE(docs);
    EXPECT_TRUE(docs->empty());
}

}  // namespace
