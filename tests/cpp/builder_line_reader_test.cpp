// The line reader against the parser (reader_differential.h): on the shared
// corpus, on every YAML text of the test suites, and on generated documents and
// mutations of them, it either declines the text or gives the parser's events,
// comments and trees. It must also take the common case: the whole corpus, and
// most of the generated documents.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "corpus_files.h"
#include "reader_differential.h"

namespace {

using plovarn::reader_check::compare;

TEST(LineReader, TakesTheWholeCorpusAsTheParserReadsIt) {
    const auto files = files_under(corpus_dir());
    if (files.empty()) GTEST_SKIP() << "no corpus";
    std::size_t bytes = 0, taken = 0;
    for (const auto& [path, text] : files) {
        const auto o = compare(text);
        EXPECT_EQ(o.difference, "") << path;
        bytes += text.size();
        if (o.accepted) taken += text.size();
    }
    EXPECT_EQ(taken, bytes) << "share of the corpus read line by line: " << 100.0 * taken / bytes << "%";
}

#ifdef PLOVARN_TEST_SNIPPETS
TEST(LineReader, AgreesOnEveryYamlTextOfTheTestSuites) {
    const auto snippets = files_under(PLOVARN_TEST_SNIPPETS, false);
    ASSERT_GT(snippets.size(), 100u);
    std::size_t accepted = 0;
    for (const auto& [path, text] : snippets) {
        const auto o = compare(text);
        EXPECT_EQ(o.difference, "") << path << "\n" << text;
        accepted += o.accepted;
    }
    EXPECT_GT(accepted, snippets.size() / 4);
}
#endif

// ---- generated documents ----

// Block documents of the kinds the line reader takes, with comments and blank
// lines everywhere, written with random indentation and line endings.
class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    std::string document() {
        out_.clear();
        eol_ = pick(8) == 0 ? "\r\n" : "\n";
        const int docs = 1 + pick(3);
        for (int d = 0; d < docs; ++d) {
            if (d > 0 || pick(4) == 0) line(pick(3) == 0 ? "--- # doc" : "---");
            filler(0);
            if (pick(10) == 0) continue;  // an empty document
            node_at_line_start(static_cast<int>(pick(3)), 0);
            filler(0);
        }
        if (pick(6) == 0 && !out_.empty()) out_.resize(out_.size() - eol_.size());  // no final break
        return out_;
    }

private:
    unsigned pick(unsigned n) { return static_cast<unsigned>(rng_() % n); }
    void line(const std::string& s) { out_ += s + eol_; }
    std::string pad(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

    // Blank and comment lines at any indentation.
    void filler(int indent) {
        while (pick(3) == 0) {
            const int at = std::max(0, indent + static_cast<int>(pick(5)) - 2);
            if (pick(3) == 0) line(pad(static_cast<int>(pick(3))));
            else line(pad(at) + (pick(4) == 0 ? "#" : "# c" + std::to_string(pick(100))));
        }
    }
    std::string eol_comment() { return pick(4) == 0 ? "  # e" + std::to_string(pick(100)) : ""; }

    std::string word() {
        static const char* const words[] = {"a", "bee", "x y", "12", "-3", "0x1F", "1.5", "true", "no", "~", "null",
                                            "http://h:80/p", "a#b", "é ü", "v-1", "k:v", "[x]", "it's"};
        return words[pick(sizeof words / sizeof *words)];
    }
    std::string key() {
        switch (pick(6)) {
            case 0: return "'k " + std::to_string(pick(9)) + "'";
            case 1: return "\"k" + std::to_string(pick(9)) + "\"";
            default: return "k" + std::to_string(pick(12));
        }
    }
    std::string flow(int depth) {
        std::string s;
        const bool map = pick(2) == 0;
        s += map ? "{" : "[";
        const unsigned n = pick(4);
        for (unsigned i = 0; i < n; ++i) {
            if (i > 0) s += pick(2) ? ", " : " ,";
            if (map) s += key() + ": ";
            s += depth < 2 && pick(4) == 0 ? flow(depth + 1) : (pick(5) == 0 ? "'q'" : "w" + std::to_string(pick(9)));
        }
        return s + (map ? "}" : "]");
    }

    // A scalar or flow node after `key: `, `- ` or at a line start; `indent` is
    // the column of the collection holding it.
    void inline_value(const std::string& head, int indent) {
        const int deeper = indent + 1 + static_cast<int>(pick(3));
        switch (pick(9)) {
            case 0: line(head + flow(0) + eol_comment()); return;
            case 1: line(head + (pick(2) ? "'s " + word() + "'" : "\"d\"") + eol_comment()); return;
            case 2: line(head + (pick(2) ? "''" : "\"\"") + eol_comment()); return;
            case 3: {
                static const char* const headers[] = {"|", ">", "|-", ">+", "|2", "|+1", ">-", "|1-"};
                line(head + headers[pick(8)] + eol_comment());
                const int content = deeper + static_cast<int>(pick(2));
                if (pick(3) == 0) line("");
                for (unsigned i = 0, n = pick(4); i < n; ++i) {
                    if (pick(4) == 0) line(pad(static_cast<int>(pick(static_cast<unsigned>(content) + 2))));
                    line(pad(content + (pick(4) == 0 ? 1 : 0)) + (pick(5) == 0 ? "# not a comment" : word()));
                }
                return;
            }
            case 4: {
                line(head + word());
                for (unsigned i = 0, n = 1 + pick(2); i < n; ++i) {
                    if (pick(3) == 0) line("");
                    line(pad(deeper) + word() + (i + 1 == n ? eol_comment() : ""));
                }
                return;
            }
            default: line(head + word() + eol_comment()); return;
        }
    }

    // A collection or scalar starting on a line of its own at column `col`.
    void node_at_line_start(int col, int depth) {
        if (depth > 3 || pick(6) == 0) {
            inline_value(pad(col), col > 0 ? col - 1 : 0);
            return;
        }
        if (pick(2) == 0) mapping(col, "", depth);
        else sequence(col, "", depth);
    }

    // Entries at column `col`; the first is written after `first_head` (a dash
    // and its blanks, for a mapping inside a sequence item).
    void mapping(int col, std::string first_head, int depth) {
        for (unsigned i = 0, n = 1 + pick(4); i < n; ++i) {
            const std::string head = (i == 0 && !first_head.empty() ? first_head : pad(col)) + key() + ":";
            if (i > 0) filler(col);
            value_after(head, col, depth, true);
        }
    }
    void sequence(int col, std::string first_head, int depth) {
        for (unsigned i = 0, n = 1 + pick(4); i < n; ++i) {
            const std::string head = (i == 0 && !first_head.empty() ? first_head : pad(col)) + "-";
            if (i > 0) filler(col);
            value_after(head, col, depth, false);
        }
    }
    // What follows `key:` or `-`.
    void value_after(const std::string& head, int col, int depth, bool in_mapping) {
        const int deeper = col + 1 + static_cast<int>(pick(3));
        switch (depth > 3 ? 5 : pick(8)) {
            case 0:  // nothing: an empty node, or one on the next lines
                line(head + (pick(3) == 0 ? "  # after" : ""));
                if (pick(2) == 0) {
                    filler(deeper);
                    node_at_line_start(deeper, depth + 1);
                }
                return;
            case 1:  // a sequence at the mapping's own column
                if (!in_mapping) break;
                line(head + eol_comment());
                filler(col);
                sequence(col, "", depth + 1);
                return;
            case 2:  // a compact collection on the dash's line
                if (in_mapping) break;
                if (pick(2) == 0) mapping(col + 2, head + " ", depth + 1);
                else sequence(col + 2, head + " ", depth + 1);
                return;
            default: break;
        }
        inline_value(head + " ", col);
    }

    std::mt19937 rng_;
    std::string out_;
    std::string eol_;
};

// Characters that steer a reader into its less common paths.
const char structural[] = "-?:,[]{}#&*!|>'\" \t\n\r.~\\%";

std::string mutate(std::string text, std::mt19937& rng) {
    for (int i = 0, n = 1 + static_cast<int>(rng() % 3); i < n && !text.empty(); ++i) {
        const std::size_t pos = rng() % text.size();
        const char c = structural[rng() % (sizeof(structural) - 1)];
        switch (rng() % 3) {
            case 0: text.insert(pos, 1, c); break;
            case 1: text[pos] = c; break;
            case 2: text.erase(pos, 1 + rng() % 2); break;
        }
    }
    return text;
}

TEST(LineReader, AgreesOnGeneratedDocumentsAndTheirMutations) {
    std::mt19937 rng(20240611);
    std::size_t generated = 0, accepted = 0;
    for (unsigned seed = 0; seed < 3000; ++seed) {
        const std::string text = Generator(seed).document();
        const auto o = compare(text);
        ASSERT_EQ(o.difference, "") << "seed " << seed << ":\n" << text;
        ++generated;
        accepted += o.accepted;
        for (int m = 0; m < 3; ++m) {
            const std::string mutated = mutate(text, rng);
            ASSERT_EQ(compare(mutated).difference, "") << "mutation of seed " << seed << ":\n" << mutated;
        }
    }
    // The generator writes what the line reader is for; the parser refuses some
    // of it (a deeper line after a scalar, for one), and those are declined.
    EXPECT_GT(accepted, generated / 2);
}

// Comments that only a document holds: lines after its last value, and comments
// around a scalar or empty root, in every layout the line reader takes.
TEST(LineReader, AgreesOnTheCommentsOfWholeDocuments) {
    const char* const bodies[] = {"a: 1",       "- x",          "a:\n  - b\n  - c: d", "a: |\n  text",
                                  "- >-\n  f", "a: 'q'",       "- \"d\"",            "[]",
                                  "{}",         "[a, {k: v}]",  "5",                  "'s'",
                                  "~",          "- - x\n  - y"};
    const char* const tails[] = {"", "# t1\n", "# t1\n\n  # t2\n", "#\n"};
    std::size_t texts = 0, accepted = 0;
    for (const char* body : bodies)
        for (const char* tail : tails)
            for (int variant = 0; variant < 16; ++variant) {
                const bool above = variant & 1, inline_comment = variant & 2, two_docs = variant & 4, crlf = variant & 8;
                std::string text = std::string(above ? "# above\n" : "") + body +
                                   (inline_comment ? "  # inline\n" : "\n") + tail;
                if (two_docs) text = "a: 0\n# between\n---\n" + text;
                if (crlf) {
                    std::string out;
                    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
                    text = out;
                }
                for (bool final_break : {true, false}) {
                    if (!final_break) text.erase(text.find_last_not_of("\r\n") + 1);
                    const auto o = compare(text);
                    EXPECT_EQ(o.difference, "") << text;
                    ++texts;
                    accepted += o.accepted;
                }
            }
    // Only the scalar roots (3 of the 14 bodies) are left to the parser.
    EXPECT_EQ(accepted, texts / 14 * 11);
    // Whole texts as seeds for the fuzz target.
    for (const char* text : {"# a\r\n[]  # b\r\n# c", "k: v\r\n# t1\r\n  # t2", "---\n{}  # one\n---\n[]\n# two\n",
                             "- a\n# between\n---\n# above\n{}\n\n# after", "a: |\n  x\n\n# tail\n  # more"}) {
        const auto o = compare(text);
        EXPECT_TRUE(o.accepted) << text;
        EXPECT_EQ(o.difference, "") << text;
    }
}

TEST(LineReader, DeclinesWhatOnlyTheParserReads) {
    for (const char* text :
         {"a: &x 1\nb: *x\n", "a: !t 1\n", "%YAML 1.2\n---\na: 1\n", "a: 1\n...\n", "? a\n: b\n", "a: [1,\n  2]\n",
          "a: 'x\n  y'\n", "a: \"\\n\"\n", "a: 'it''s'\n", "a:\tb\n", "\xEF\xBB\xBF" "a: 1\n", "a: b: c\n",
          "plain scalar\n", "- a\nb: 1\n", "a: 1\n  b: 2\n", "a: 1\r b: 2\n", "a: 1\n  \n "}) {
        const auto o = compare(text);
        EXPECT_FALSE(o.accepted) << text;
        EXPECT_EQ(o.difference, "") << text;
    }
}

}  // namespace
