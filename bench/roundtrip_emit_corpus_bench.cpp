// Writing speed: the corpus is read once, then every tree is written many times.
// Usage: roundtrip_emit_corpus_bench [corpus dir] [rounds]
// (Named for the reader and writer it links: the corpus has to be parsed first.)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emitter/emitter.h"
#include "types/node.h"

#include "builder/parse_str.h"
#include "corpus_files.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? fs::path(argv[1])
                                  : fs::path(__FILE__).parent_path() / ".." / ".." / "shared" / "corpus";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 50;

    std::vector<std::vector<plovarn::types::YamlNode>> trees;
    std::size_t input_bytes = 0;
    for (const std::string& text : read_corpus(dir)) {
        auto docs = plovarn::builder::parse_str(text);
        if (!docs) continue;
        input_bytes += text.size();
        trees.push_back(std::move(*docs));
    }

    std::size_t out_bytes = 0;
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        std::size_t bytes = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (const auto& docs : trees) bytes += plovarn::emitter::emit_docs(docs).size();
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        best = std::min(best, secs);
        out_bytes = bytes;
    }
    std::printf("%zu files, %zu input bytes, %zu output bytes per round, %d rounds\n", trees.size(), input_bytes,
                out_bytes, rounds);
    std::printf("best round %.3f ms: %.1f MB/s of output\n", best * 1e3, out_bytes / best / 1e6);
}
