#pragma once

// The files of a folder of YAML texts, such as the shared corpus of real files
// that several suites read whole.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

struct TextFile {
    std::filesystem::path path;
    std::string text;
};

inline std::filesystem::path corpus_dir() {
    return std::filesystem::path(__FILE__).parent_path() / ".." / ".." / ".." / "shared" / "corpus";
}

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return std::move(ss).str();
}

// The .yaml and .yml files under `dir` (every file, unless `yaml_only`), in path
// order; none when the folder is missing.
inline std::vector<TextFile> files_under(const std::filesystem::path& dir, bool yaml_only = true) {
    namespace fs = std::filesystem;
    std::vector<TextFile> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it); it.increment(ec)) {
        const auto ext = it->path().extension();
        if (it->is_regular_file() && (!yaml_only || ext == ".yaml" || ext == ".yml"))
            files.push_back({it->path(), read_file(it->path())});
    }
    std::sort(files.begin(), files.end(), [](const TextFile& a, const TextFile& b) { return a.path < b.path; });
    return files;
}
