// Parses every YAML file of a corpus directory several times with parse_str and
// reports throughput.
// Usage: builder_parse_bench [corpus-dir] [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus_files.h"

#include "builder/parse_str.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? argv[1] : "../shared/corpus";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
    const std::vector<std::string> texts = read_corpus(dir);
    const std::size_t bytes = total_size(texts);
    if (texts.empty() || rounds < 1) {
        std::fprintf(stderr, "no .yaml/.yml files under %s\n", dir.c_str());
        return 1;
    }

    std::size_t documents = 0, failures = 0;
    double best = 1e300, total = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& text : texts) {
            auto docs = plovarn::builder::parse_str(text);
            if (docs)
                documents += docs->size();
            else
                ++failures;
        }
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += secs;
        if (secs < best) best = secs;
    }
    std::printf("%zu files, %.2f MB, %zu documents and %zu failures per round\n", texts.size(), bytes / 1e6,
                documents / rounds, failures / rounds);
    std::printf("best of %d rounds: %.2f ms, %.1f MB/s (mean %.1f MB/s)\n", rounds, best * 1e3,
                bytes / 1e6 / best, bytes / 1e6 / (total / rounds));
    return 0;
}
