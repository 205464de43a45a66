// parse_str reads every file of the shared corpus of real YAML.

#include <gtest/gtest.h>

#include <string>

#include "builder/parse_str.h"
#include "corpus_files.h"

namespace {

TEST(BuilderCorpus, EveryFileParses) {
    const auto files = files_under(corpus_dir());
    if (files.empty()) GTEST_SKIP() << "no corpus at " << corpus_dir();
    std::size_t documents = 0;
    for (const auto& [path, text] : files) {
        auto r = plovarn::builder::parse_str(text);
        EXPECT_TRUE(r.has_value()) << path << ": " << (r ? "" : r.error());
        if (r) documents += r->size();
    }
    EXPECT_GT(documents, 0u);
}

}  // namespace
