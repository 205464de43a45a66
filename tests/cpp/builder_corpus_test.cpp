// parse_str reads every file of the shared corpus of real YAML.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "builder/parse_str.h"

namespace {

namespace fs = std::filesystem;

TEST(BuilderCorpus, EveryFileParses) {
    const fs::path corpus = fs::path(__FILE__).parent_path() / ".." / ".." / ".." / "shared" / "corpus";
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    std::size_t files = 0, documents = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".yaml" && ext != ".yml")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream buf;
        buf << in.rdbuf();
        auto r = plovarn::builder::parse_str(buf.str());
        EXPECT_TRUE(r.has_value()) << entry.path() << ": " << (r ? "" : r.error());
        if (r) documents += r->size();
        ++files;
    }
    EXPECT_GT(files, 0u);
    EXPECT_GT(documents, 0u);
}

}  // namespace
