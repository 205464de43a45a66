// Scans every file of the YAML corpus several times and reports throughput.
// Usage: scanner_corpus_bench [corpus-dir] [rounds]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "corpus_files.h"

#include "scanner/scanner.h"

namespace fs = std::filesystem;
using plovarn::scanner::Scanner;
using plovarn::scanner::TokenType;

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? argv[1] : "../shared/corpus";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
    const std::vector<std::string> texts = read_corpus(dir);
    const std::size_t bytes = total_size(texts);
    if (texts.empty()) {
        std::fprintf(stderr, "no .yaml/.yml files under %s\n", dir.c_str());
        return 1;
    }

    std::size_t tokens = 0, failures = 0;
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& text : texts) {
            Scanner s(text);
            for (;;) {
                auto t = s.next_token();
                if (!t) {
                    ++failures;
                    break;
                }
                ++tokens;
                if (t->type == TokenType::StreamEnd) break;
            }
        }
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (secs < best) best = secs;
    }
    std::printf("%zu files, %.2f MB, %zu tokens per round, %zu failures\n", texts.size(),
                bytes / 1e6, tokens / rounds, failures / rounds);
    std::printf("best of %d rounds: %.2f ms, %.1f MB/s\n", rounds, best * 1e3, bytes / 1e6 / best);
    return failures == 0 ? 0 : 2;
}
