// Every corpus file: what the writer produces reads back to the same values and
// comments, holds as many comments as the file, and writing it again gives the
// same text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/parse_str.h"
#include "corpus_files.h"
#include "emitter/emitter.h"
#include "comment_count.h"
#include "roundtrip_tree_equal.h"
#include "scanner/scanner.h"

namespace {

using plovarn::builder::parse_str;
using plovarn::emitter::emit_docs;
using plovarn::roundtrip_test::CompareOptions;
using plovarn::roundtrip_test::docs_diff;

// Every file that reads is written with its values and every one of its comments,
// and the written text reads back to the same comments: writing it again gives
// the same text.
TEST(RoundTripCorpus, ValuesAndCommentsSurviveAndOutputIsStable) {
    const auto files = files_under(corpus_dir());
    if (files.empty()) GTEST_SKIP() << "no corpus at " << corpus_dir();
    CompareOptions values_only;
    values_only.comments = false;
    std::size_t parsed = 0;
    long comments = 0;
    for (const auto& [path, text] : files) {
        const std::string name = std::filesystem::relative(path, corpus_dir()).string();
        auto first = parse_str(text);
        if (!first) continue;  // the reader's own failures are its tests' concern
        ++parsed;
        const std::string once = emit_docs(*first);
        auto second = parse_str(once);
        ASSERT_TRUE(second) << name << ": " << second.error();
        EXPECT_EQ(docs_diff(*first, *second, values_only), "") << name;
        EXPECT_EQ(docs_diff(*first, *second), "") << name;
        EXPECT_EQ(emit_docs(*second), once) << name;
        const long read = comment_count(text);
        EXPECT_EQ(comment_count(once), read) << name;
        comments += read;
    }
    EXPECT_GT(parsed, files.size() / 2) << "most corpus files should parse";
    RecordProperty("files", static_cast<int>(files.size()));
    RecordProperty("parsed", static_cast<int>(parsed));
    std::printf("corpus: %zu files, %zu parsed, %ld comments\n", files.size(), parsed, comments);
}

}  // namespace
