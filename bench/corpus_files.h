#pragma once

// The texts of every .yaml/.yml file under a corpus directory, for the C++ benchmarks.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

inline std::vector<std::string> read_corpus(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> texts;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it); it.increment(ec)) {
        const auto ext = it->path().extension();
        if (!it->is_regular_file() || (ext != ".yaml" && ext != ".yml")) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        texts.push_back(std::move(ss).str());
    }
    return texts;
}

inline std::size_t total_size(const std::vector<std::string>& texts) {
    std::size_t bytes = 0;
    for (const auto& t : texts) bytes += t.size();
    return bytes;
}
