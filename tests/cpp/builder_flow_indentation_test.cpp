// Flow collections over several lines, generated: every line of a collection is
// indented deeper than the block that holds it, except that the closing bracket
// may stand at that block's own column; the kinds of the scalars change nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "builder/parse_str.h"

namespace {

using plovarn::types::YamlNode;

// A compact form of a tree: [a,b] and {k:v}.
std::string render(const YamlNode& n) {
    std::string out;
    if (n.is_sequence()) {
        out += '[';
        for (const auto& item : n.as_sequence()) out += (out.size() > 1 ? "," : "") + render(item.node);
        return out + ']';
    }
    if (n.is_mapping()) {
        out += '{';
        for (const auto& [key, entry] : n.as_mapping()) out += (out.size() > 1 ? "," : "") + key + ":" + render(entry.node);
        return out + '}';
    }
    if (n.is_scalar() && n.as_scalar().is_str()) return std::string(n.as_scalar().as_str());
    return "?";
}

enum class Style { Plain, Single, Double };

std::string quote(Style s) { return s == Style::Plain ? "" : s == Style::Single ? "'" : "\""; }
std::string styled(Style s, const std::string& text) { return quote(s) + text + quote(s); }

// Where the collection stands: the text before its bracket, the column of the
// block that holds it (-1: none), and the tree around it ('%' is the collection).
struct Holder {
    std::string head;
    int block;
    std::string tree;
};

const Holder holders[] = {
    {"", -1, "%"},
    {"k: ", 0, "{k:%}"},
    {"- ", 0, "[%]"},
    {"? k\n: ", 0, "{k:%}"},
    {"a:\n  k: ", 2, "{a:{k:%}}"},
    {"a:\n  - ", 2, "{a:[%]}"},
    {"- k: ", 2, "[{k:%}]"},
};

// The line whose column is varied; every other content line stands at the block
// column + 2. The middle item may be a nested collection of the same kind, and
// its scalar may go on over a second line.
enum class Probe { First, Middle, Last, Continuation };

struct Layout {
    bool mapping, nested, split;
    Style styles[3];
    Probe probe;
    int probe_col;
    int close_col;  // -1: the closing bracket follows the last item on its line
};

struct Line {
    int col;
    std::string text;
    bool closer;
    bool quoted_continuation;  // a quoted scalar's error stands at its opening quote
};

struct Generated {
    std::string text;
    std::string tree;
    int bad_line = 0;  // 1-based line of the first line that breaks the rule, 0: none
    bool quoted = false;
};

Generated generate(const Holder& h, const Layout& l) {
    const int normal = h.block + 2 < 0 ? 0 : h.block + 2;
    const char open = l.mapping ? '{' : '[', close = l.mapping ? '}' : ']';
    std::vector<Line> lines;
    auto col_for = [&](Probe p, int fallback) { return l.probe == p ? l.probe_col : fallback; };
    std::string coll(1, open);
    for (int i = 0; i < 3; ++i) {
        const Probe p = i == 0 ? Probe::First : i == 1 ? Probe::Middle : Probe::Last;
        const int c = col_for(p, normal);
        const std::string n = std::to_string(i);
        const std::string key = l.mapping ? styled(l.styles[i], "k" + n) + ": " : "";
        const std::string value_text = (l.mapping ? "v" : "x") + n;
        const std::string sep = i < 2 ? "," : "";
        const std::string q = quote(l.styles[i]);
        // What the item reads as, for the tree.
        std::string value = value_text + (l.split && i == 1 ? " y" : "");
        if (i == 1 && l.nested) value = l.mapping ? "{k1:" + value + "}" : "[" + value + "]";
        coll += (i ? "," : "") + (l.mapping ? "k" + n + ":" : "") + value;
        if (i == 1 && l.nested) {
            lines.push_back({normal, key + std::string(1, open), false, false});
            const int inner = col_for(Probe::Middle, normal + 2);
            const std::string inner_key = l.mapping ? styled(l.styles[i], "k1") + ": " : "";
            if (l.split) {
                lines.push_back({inner, inner_key + q + value_text, false, false});
                lines.push_back({col_for(Probe::Continuation, inner), "y" + q, false, !q.empty()});
            } else {
                lines.push_back({inner, inner_key + styled(l.styles[i], value_text), false, false});
            }
            lines.push_back({l.close_col < 0 ? normal : l.close_col, std::string(1, close) + sep, true, false});
            continue;
        }
        if (l.split && i == 1) {
            lines.push_back({c, key + q + value_text, false, false});
            lines.push_back({col_for(Probe::Continuation, c), "y" + q + sep, false, !q.empty()});
        } else {
            lines.push_back({c, key + styled(l.styles[i], value_text) + sep, false, false});
        }
    }
    coll += close;
    if (l.close_col < 0)
        lines.back().text += close;
    else
        lines.push_back({l.close_col, std::string(1, close), true, false});

    Generated g;
    g.text = h.head + std::string(1, open) + "\n";
    const int first_line = 2 + static_cast<int>(std::count(h.head.begin(), h.head.end(), '\n'));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        g.text += std::string(line.col, ' ') + line.text + "\n";
        const bool fits = line.closer ? line.col >= h.block : line.col > h.block;
        if (!fits && g.bad_line == 0) {
            g.bad_line = first_line + static_cast<int>(i) - (line.quoted_continuation ? 1 : 0);
            g.quoted = line.quoted_continuation;
        }
    }
    g.tree = h.tree;
    g.tree.replace(g.tree.find('%'), 1, coll);
    return g;
}

// The tree of a single document, or the error's message and line.
std::string outcome(const std::string& text) {
    auto r = plovarn::builder::parse_str(text);
    if (!r) {
        const std::string& e = r.error();
        const std::size_t at = e.rfind(" at byte "), line = e.rfind(" line "), col = e.rfind(" column");
        if (at == std::string::npos || line == std::string::npos || col == std::string::npos) return e;
        return e.substr(0, at) + e.substr(line, col - line);
    }
    return r->size() == 1 ? render((*r)[0]) : std::to_string(r->size()) + " documents";
}

std::string expected_error(const Generated& g) {
    const char* message = g.quoted ? "invalid indentation in quoted scalar" : "invalid indentation in flow construct";
    return std::string("YAML parse error: ") + message + " line " + std::to_string(g.bad_line);
}

TEST(BuilderFlowIndentation, EveryLineAgainstTheHoldingBlock) {
    // Each style once in each position, and each style throughout.
    const Style P = Style::Plain, S = Style::Single, D = Style::Double;
    const Style combos[][3] = {{P, S, D}, {S, D, P}, {D, P, S}, {P, P, P}, {S, S, S}, {D, D, D}};
    std::size_t loaded = 0, refused = 0, wrong = 0;
    for (const Holder& h : holders) {
        for (bool mapping : {false, true})
            for (bool nested : {false, true})
                for (bool split : {false, true})
                    for (const auto& styles : combos)
                        for (Probe probe : {Probe::First, Probe::Middle, Probe::Last, Probe::Continuation}) {
                            if (probe == Probe::Continuation && !split) continue;
                            for (int delta : {-1, 0, 1, 3}) {
                                const int probe_col = h.block + delta;
                                if (probe_col < 0) continue;
                                for (int close_col = -1; close_col <= h.block + 2; ++close_col) {
                                    Layout l{mapping, nested, split, {styles[0], styles[1], styles[2]},
                                             probe, probe_col, close_col};
                                    const Generated g = generate(h, l);
                                    const std::string got = outcome(g.text);
                                    const std::string want = g.bad_line == 0 ? g.tree : expected_error(g);
                                    (g.bad_line == 0 ? loaded : refused)++;
                                    if (got != want && ++wrong <= 10)
                                        ADD_FAILURE() << g.text << "got:  " << got << "\nwant: " << want;
                                }
                            }
                        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(loaded, 1000u);
    EXPECT_GT(refused, 1000u);
}

}  // namespace
