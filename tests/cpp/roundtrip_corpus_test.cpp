// Every corpus file: what the writer produces reads back to the same values, and
// writing that again gives the same text.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "roundtrip_tree_equal.h"

namespace {

namespace fs = std::filesystem;
using plovarn::builder::parse_str;
using plovarn::emitter::emit_docs;
using plovarn::roundtrip_test::CompareOptions;
using plovarn::roundtrip_test::docs_diff;

fs::path corpus_dir() { return fs::path(__FILE__).parent_path() / ".." / ".." / ".." / "shared" / "corpus"; }

std::vector<fs::path> corpus_files() {
    std::vector<fs::path> files;
    if (!fs::exists(corpus_dir())) return files;
    for (const auto& e : fs::recursive_directory_iterator(corpus_dir())) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".yaml" || ext == ".yml")) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    }
    return lines;
}

bool is_comment_line(std::string_view line) {
    const auto first = line.find_first_not_of(' ');
    return first != std::string_view::npos && line[first] == '#';
}

// Empty when `later` is `earlier` less some comment lines and end-of-line
// comments, else the first line that differs otherwise.
std::string lost_only_comment_lines(std::string_view earlier, std::string_view later, std::size_t& lost) {
    const auto a = lines_of(earlier);
    const auto b = lines_of(later);
    std::size_t j = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (j < b.size() && a[i] == b[j]) {
            ++j;
        } else if (j < b.size() && a[i].starts_with(b[j]) && a[i].substr(b[j].size()).starts_with("  # ")) {
            ++j;
            ++lost;
        } else if (is_comment_line(a[i])) {
            ++lost;
        } else {
            return "line " + std::to_string(i + 1) + " [" + std::string(a[i]) + "] became [" +
                   (j < b.size() ? std::string(b[j]) : std::string("end")) + "]";
        }
    }
    return j == b.size() ? "" : "extra line [" + std::string(b[j]) + "]";
}

TEST(RoundTripCorpus, ValuesSurviveAndOutputIsStable) {
    const auto files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no corpus at " << corpus_dir();
    CompareOptions values_only;
    values_only.comments = false;
    std::size_t parsed = 0, changed = 0, lost = 0;
    for (const auto& f : files) {
        const std::string name = fs::relative(f, corpus_dir()).string();
        auto first = parse_str(read_file(f));
        if (!first) continue;  // the reader's own failures are its tests' concern
        ++parsed;
        const std::string once = emit_docs(*first);
        auto second = parse_str(once);
        ASSERT_TRUE(second) << name << ": " << second.error();
        EXPECT_EQ(docs_diff(*first, *second, values_only), "") << name;
        // The reader drops the comments that follow a quoted scalar inside a
        // sequence, on its line and below it, so the second text may lack some of
        // them, and nothing else.
        const std::string twice = emit_docs(*second);
        if (twice != once) {
            ++changed;
            EXPECT_EQ(lost_only_comment_lines(once, twice, lost), "") << name;
        }
        auto third = parse_str(twice);
        ASSERT_TRUE(third) << name;
        EXPECT_EQ(emit_docs(*third), twice) << name;
    }
    EXPECT_GT(parsed, files.size() / 2) << "most corpus files should parse";
    RecordProperty("files", static_cast<int>(files.size()));
    RecordProperty("parsed", static_cast<int>(parsed));
    std::printf("corpus: %zu files, %zu parsed; rereading the output lost %zu comments in %zu files\n",
                files.size(), parsed, lost, changed);
}

}  // namespace
