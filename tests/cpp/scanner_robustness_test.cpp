// The scanner on real files, on damaged and hostile input, and on large input.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "scanner/scanner.h"
#include "corpus_files.h"

namespace {

using namespace plovarn::scanner;

struct Outcome {
    std::size_t tokens = 0;
    std::optional<ScanError> error;
};

// Pulls every token; checks that the scan ends and that a failure is final.
Outcome scan_through(std::string_view text) {
    Scanner s(text);
    Outcome out;
    const std::size_t bound = 8 * text.size() + 16;
    for (;;) {
        auto t = s.next_token();
        if (!t) {
            out.error = t.error();
            auto again = s.next_token();
            EXPECT_FALSE(again);
            if (!again) {
                EXPECT_EQ(again.error().display(), out.error->display());
            }
            return out;
        }
        if (++out.tokens > bound) {
            ADD_FAILURE() << "no end after " << bound << " tokens";
            return out;
        }
        if (t->type == TokenType::StreamEnd) {
            EXPECT_FALSE(s.next_token());
            return out;
        }
    }
}

std::vector<std::string> corpus_texts() {
    std::vector<std::string> texts;
    for (auto& file : files_under(corpus_dir())) texts.push_back(std::move(file.text));
    return texts;
}

TEST(ScannerCorpus, EveryFileScansWithoutError) {
    const auto texts = corpus_texts();
    if (texts.empty()) GTEST_SKIP() << "no corpus at " << corpus_dir();
    for (const std::string& text : texts) {
        Outcome o = scan_through(text);
        EXPECT_FALSE(o.error) << o.error->display() << "\n" << text.substr(0, 200);
    }
}

// Random damage to YAML text: every scan ends, with tokens or a final error.
TEST(ScannerRobustness, MutatedInputNeverRunsAway) {
    std::vector<std::string> seeds = {
        "a: 1 # c\nb:\n  - x\n  - 'y'\n  - \"z\\u00e9\"\n",
        "%YAML 1.2\n%TAG !e! tag:x,1:\n--- !e!t &a\n? [a, {b: c}]\n: *a\n...\n",
        "k: |+2\n   x\n\n  y\nf: >-\n  a\n  b\n",
        "[a: [b], {c: d}, \"e\":f, -g, ? h]\n",
        "- - - x\n  - y\n-\n\t# t\n- !<u:r> z\n",
    };
    for (const std::string& t : corpus_texts())
        if (seeds.size() < 12 && t.size() < 4000) seeds.push_back(t);
    const std::string alphabet = " \t\n\r-?:,[]{}#&*!|>'\"%@`\\.0aZ\x80\xC3\xA9\xFF";
    std::mt19937 rng(20251208);
    for (int round = 0; round < 6000; ++round) {
        std::string text = seeds[rng() % seeds.size()];
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = rng() % text.size();
            const char c = (rng() % 4 == 0) ? static_cast<char>(rng() & 0xFF)
                                             : alphabet[rng() % alphabet.size()];
            switch (rng() % 3) {
                case 0: text[at] = c; break;
                case 1: text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c); break;
                default: text.erase(at, 1 + rng() % 3); break;
            }
        }
        scan_through(text);
        if (HasFailure()) {
            ADD_FAILURE() << "input: " << text;
            return;
        }
    }
}

TEST(ScannerRobustness, RandomBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 64, '\0');
        for (char& c : text) c = static_cast<char>(rng() & 0xFF);
        scan_through(text);
    }
}

// Deep and long structures scan in time linear in their size.
TEST(ScannerRobustness, DeepAndLongInput) {
    std::string dashes;
    for (int i = 0; i < 100000; ++i) dashes += "- ";
    dashes += "x\n";
    Outcome deep = scan_through(dashes);
    EXPECT_FALSE(deep.error);
    EXPECT_EQ(deep.tokens, 300000u + 3u);

    std::string flow = "[";
    for (int i = 0; i < 200000; ++i) flow += "a, ";
    flow += "]";
    EXPECT_FALSE(scan_through(flow).error);

    // A flow sequence as the key of a flow mapping keeps every token queued
    // until its ':' arrives.
    std::string key = "{[";
    for (int i = 0; i < 200000; ++i) key += "a, ";
    key += "]: 1}";
    EXPECT_FALSE(scan_through(key).error);

    std::string long_words = "k: ";
    long_words.append(1 << 20, 'w').append(1 << 20, ' ').append("v\n");
    EXPECT_FALSE(scan_through(long_words).error);
    EXPECT_FALSE(scan_through(std::string("# ").append(1 << 21, 'c')).error);
    std::string lines;
    for (int i = 0; i < 100000; ++i) {
        lines += 'k';
        lines += std::to_string(i);
        lines += ": v # c\n";
    }
    EXPECT_FALSE(scan_through(lines).error);
}

}  // namespace
