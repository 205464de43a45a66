// Trees with awkward strings, keys and comments, written and read back.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "builder/parse_str.h"
#include "emitter/emitter.h"
#include "roundtrip_tree_equal.h"

namespace {

using namespace plovarn::types;
using plovarn::builder::parse_str;
using plovarn::emitter::emit_docs;
using plovarn::roundtrip_test::CompareOptions;
using plovarn::roundtrip_test::docs_diff;

YamlNode str(std::string v) { return YamlNode(ScalarValue::make_str(std::move(v))); }

YamlNode mapping_of(std::vector<std::pair<std::string, YamlEntry>> entries) {
    YamlMapping m;
    for (auto& [k, e] : entries) m.insert_full(k, std::move(e));
    return YamlNode(std::move(m));
}
YamlNode sequence_of(std::vector<YamlItem> items) { return YamlNode(ItemArray(std::move(items))); }
YamlEntry entry(YamlNode n, OptText before = {}, OptText inl = {}) { return {std::move(before), std::move(inl), std::move(n)}; }
YamlItem item(YamlNode n, OptText before = {}, OptText inl = {}) { return {std::move(before), std::move(inl), std::move(n)}; }

// Empty text when the documents come back as `expected`, else what went wrong.
std::string round_trip(const std::vector<YamlNode>& docs, const std::vector<YamlNode>& expected,
                       const CompareOptions& o = {}) {
    const std::string text = emit_docs(docs);
    auto back = parse_str(text);
    if (!back) return back.error() + "\n--- text:\n" + text;
    auto d = docs_diff(expected, *back, o);
    return d.empty() ? d : d + "\n--- text:\n" + text;
}
std::string round_trip(const std::vector<YamlNode>& docs, const CompareOptions& o = {}) {
    return round_trip(docs, docs, o);
}

// The reader attaches a comment behind the dash of a nested collection to the
// lines above the element: the comment comes back appended to comment_before.
OptText as_read_before(const OptText& before, const OptText& inl) {
    if (!inl) return before;
    return before ? OptText(*before + "\n" + *inl) : inl;
}

std::string printable(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Every string of up to three characters from an alphabet of the characters that
// matter to the reader, plus hand-picked cases.
std::vector<std::string> tricky_strings() {
    static const std::vector<std::string> alphabet = {
        " ", "\t", "#", ":", "'", "\"", "-", "?", ".", "\n", "\r", std::string(1, '\0'), "a", "1", "{", ",", "[",
        "|", ">", "!", "&", "*", "%", "@", "`", "~", "\\", "\xC3\xA9", "\xEF\xBB\xBF", "\x01", "e", "0"};
    std::vector<std::string> out;
    std::function<void(std::string, int)> grow = [&](std::string s, int left) {
        if (!s.empty()) out.push_back(s);
        if (left == 0) return;
        for (const auto& c : alphabet) grow(s + c, left - 1);
    };
    grow("", 3);
    for (const char* s : {"hello world", "a: b", "a #b", "key:", "- x", "--- x", "---", "...", "... x", "...\t",
                          "true", "Yes", "NULL", "0x1F", "0o17", "-0", "1e3", ".inf", "-.inf", ".nan", "1.5",
                          "9223372036854775808", "-9223372036854775808", "#!/bin/sh", "line1\nline2\n",
                          "  indented\n    more\n", "trailing \n", "a\r\nb", "tab\there", "\"quoted\"", "'single'",
                          "it's", "back\\slash", "x: y # z", "%YAML 1.2", "? k", ": v", "{a: 1}", "[1, 2]", "*alias",
                          "&anchor", "!tag", "|", ">-", "a\n---\nb", "a\n...\nb", "\n", "\n\n", " \n ", "\xE2\x80\xA8"})
        out.push_back(s);
    out.push_back(std::string("nul\0inside", 10));
    return out;
}

using Builder = std::function<std::vector<YamlNode>(const std::vector<std::string>&, bool as_read)>;

// Runs `build` over all strings at once, and when that fails, one by one to name
// the strings that fail. `build` with as_read gives the trees the reader should
// return.
void check_all(const std::vector<std::string>& strings, const Builder& build, const CompareOptions& o = {}) {
    const auto whole = round_trip(build(strings, false), build(strings, true), o);
    if (whole.empty()) return;
    int reported = 0;
    for (const auto& s : strings) {
        const auto one = round_trip(build({s}, false), build({s}, true), o);
        if (!one.empty()) {
            ADD_FAILURE() << "string [" << printable(s) << "]: " << printable(one);
            if (++reported == 10) return;
        }
    }
    if (reported == 0) ADD_FAILURE() << "fails only together: " << whole.substr(0, 2000);
}

TEST(RoundTripStrings, AsRootKeysAndValues) {
    check_all(tricky_strings(), [](const std::vector<std::string>& ss, bool) {
        std::vector<std::pair<std::string, YamlEntry>> entries;
        for (const auto& s : ss) entries.emplace_back(s, entry(str(s)));
        return std::vector<YamlNode>{mapping_of(std::move(entries))};
    });
}

TEST(RoundTripStrings, AsNestedKeysAndValues) {
    check_all(tricky_strings(), [](const std::vector<std::string>& ss, bool) {
        std::vector<std::pair<std::string, YamlEntry>> entries;
        for (const auto& s : ss) entries.emplace_back(s, entry(str(s)));
        std::vector<std::pair<std::string, YamlEntry>> outer;
        outer.emplace_back("n", entry(mapping_of(std::move(entries))));
        return std::vector<YamlNode>{mapping_of(std::move(outer))};
    });
}

TEST(RoundTripStrings, AsSequenceElementsAndCompactMappings) {
    check_all(tricky_strings(), [](const std::vector<std::string>& ss, bool) {
        std::vector<YamlItem> items;
        for (const auto& s : ss) {
            items.push_back(item(str(s)));
            std::vector<std::pair<std::string, YamlEntry>> one;
            one.emplace_back(s, entry(str(s)));
            one.emplace_back("second", entry(str(s)));
            items.push_back(item(mapping_of(std::move(one))));
            items.push_back(item(sequence_of({item(str(s))})));
        }
        return std::vector<YamlNode>{sequence_of(std::move(items))};
    });
}

TEST(RoundTripStrings, AsDocumentRoots) {
    check_all(tricky_strings(), [](const std::vector<std::string>& ss, bool) {
        std::vector<YamlNode> docs;
        for (const auto& s : ss) docs.push_back(str(s));
        if (docs.size() == 1) docs.push_back(str(ss.front()));  // also after a "---" line
        return docs;
    });
    for (const auto& s : {"...", "... x", "a\nb", "---", "#"}) EXPECT_EQ(round_trip({str(s)}), "") << s;
}

// Every string in every style it could have been read in, as a key, a value, an
// element and a root: the style is kept only where it holds the text exactly.
TEST(RoundTripStrings, InEveryStyleTheyCouldHaveBeenReadIn) {
    for (SourceStyle style : {SourceStyle::Plain, SourceStyle::SingleQuoted, SourceStyle::DoubleQuoted,
                              SourceStyle::Literal, SourceStyle::Folded}) {
        SCOPED_TRACE(static_cast<int>(style));
        auto styled = [style](const std::string& s) {
            ScalarValue v = ScalarValue::make_str(s);
            v.set_style(style);
            return YamlNode(std::move(v));
        };
        check_all(tricky_strings(), [&](const std::vector<std::string>& ss, bool) {
            YamlMapping m;
            std::vector<YamlItem> items;
            std::vector<YamlNode> docs;
            for (const auto& s : ss) {
                m.insert_full(KeyText(s, style), entry(styled(s)));
                items.push_back(item(styled(s)));
                YamlMapping compact;
                compact.insert_full(KeyText(s, style), entry(styled(s)));
                compact.insert_full("second", entry(styled(s)));
                items.push_back(item(YamlNode(std::move(compact))));
            }
            docs.push_back(YamlNode(std::move(m)));
            docs.push_back(sequence_of(std::move(items)));
            for (const auto& s : ss) docs.push_back(styled(s));
            return docs;
        });
    }
}

// A key the reader would not take as a simple key goes out in the explicit form.
TEST(RoundTripStrings, LongKeys) {
    std::vector<std::string> keys;
    for (std::size_t len : {1023, 1024, 1025, 3000}) {
        keys.push_back(std::string(len, 'k'));
        keys.push_back(" " + std::string(len, 'q'));
        keys.push_back(std::string(len / 2, 'l') + "\n" + std::string(len / 2, 'm'));
        std::string wide;
        for (std::size_t n = 0; n < len / 2; ++n) wide += "\xC3\xA9";
        keys.push_back(wide);
    }
    check_all(keys, [](const std::vector<std::string>& ks, bool) {
        std::vector<std::pair<std::string, YamlEntry>> entries;
        std::vector<std::pair<std::string, YamlEntry>> nested;
        std::vector<YamlItem> items;
        int n = 0;
        for (const auto& k : ks) {
            entries.emplace_back(k, entry(str("v"), "above", "end"));
            entries.emplace_back(k + "s", entry(sequence_of({item(str("x"))}), "above"));
            entries.emplace_back(k + "m", entry(mapping_of({})));
            nested.emplace_back(k, entry(str("v")));
            std::vector<std::pair<std::string, YamlEntry>> first;
            first.emplace_back(k, entry(str("v")));
            first.emplace_back("b" + std::to_string(n++), entry(str("w")));
            first.emplace_back(k + "e", entry(sequence_of({})));
            items.push_back(item(mapping_of(std::move(first))));
        }
        entries.emplace_back("nested", entry(mapping_of(std::move(nested))));
        entries.emplace_back("items", entry(sequence_of(std::move(items))));
        return std::vector<YamlNode>{mapping_of(std::move(entries))};
    });
}

// Comments without line breaks come back at their entry; the replacement of
// U+0000 and the unprintable characters is the only change.
TEST(RoundTripComments, ExactWhereTheReaderKeepsThem) {
    std::vector<std::string> texts;
    for (const auto& s : tricky_strings())
        if (s.find_first_of("\r\n") == std::string::npos) texts.push_back(s);
    texts.push_back("");
    texts.push_back("  two leading spaces");
    auto build = [](const std::vector<std::string>& cs, bool as_read) {
        std::vector<std::pair<std::string, YamlEntry>> entries;
        std::vector<YamlItem> items;
        int n = 0;
        for (const auto& c : cs) {
            const std::string k = "k" + std::to_string(n++);
            const OptText b(c);
            entries.emplace_back(k, entry(str("v"), b, c));
            entries.emplace_back(k + "s", entry(sequence_of({item(str("x"), b, c)}), b, c));
            entries.emplace_back(k + "m", entry(mapping_of({}), b, c));
            std::vector<std::pair<std::string, YamlEntry>> compact;
            compact.emplace_back("a", entry(str("1"), {}, c));
            compact.emplace_back("b", entry(str("2"), b, c));
            items.push_back(item(mapping_of(std::move(compact)), b));
            if (as_read) items.push_back(item(sequence_of({item(str("y"))}), as_read_before(b, c)));
            else items.push_back(item(sequence_of({item(str("y"))}), b, c));
        }
        entries.emplace_back("items", entry(sequence_of(std::move(items)), "end"));
        return std::vector<YamlNode>{mapping_of(std::move(entries))};
    };
    std::vector<std::string> kept_as_is;
    for (const auto& t : texts)
        if (t.find_first_of(std::string("\0\x01", 2)) == std::string::npos && t.find("\xE2\x80\xA8") == std::string::npos)
            kept_as_is.push_back(t);
    check_all(kept_as_is, build);

    // U+0000 and the unprintable characters come back as U+FFFD; YAML 1.1's line
    // breaks start a new comment line.
    for (const auto& [written, read] : std::vector<std::pair<std::string, std::string>>{
             {std::string("a\0b", 3), "a\xEF\xBF\xBD" "b"}, {"a\x01\x7F\xC2\x80\xEF\xBF\xBE" "b", "a" + std::string(4 * 3, ' ') + "b"},
             {"a\xE2\x80\xA8" "b\xC2\x85" "c", "a\nb\nc"}}) {
        std::string expected = read;
        for (std::size_t at; (at = expected.find("   ")) != std::string::npos;) expected.replace(at, 3, "\xEF\xBF\xBD");
        auto back = parse_str(emit_docs(build({written}, false)));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back->front().as_mapping().at(0).second.comment_before, expected) << printable(written);
    }
}

// Comments with line breaks or U+0000 never change the data.
TEST(RoundTripComments, AnyTextLeavesTheValuesAlone) {
    std::vector<std::string> texts = tricky_strings();
    for (const char* t : {"x\nadmin: true", "x\r- injected", "\n\n", "x\r\n...\n---\nb: 1", "a\n  - b", "\rk: v"})
        texts.push_back(t);
    CompareOptions values_only;
    values_only.comments = false;
    check_all(texts, [](const std::vector<std::string>& cs, bool) {
        std::vector<std::pair<std::string, YamlEntry>> entries;
        std::vector<YamlItem> items;
        int n = 0;
        for (const auto& c : cs) {
            const std::string k = "k" + std::to_string(n++);
            entries.emplace_back(k, entry(str("v"), c, c));
            entries.emplace_back(k + "s", entry(sequence_of({item(str("x"), c, c)}), c, c));
            std::vector<std::pair<std::string, YamlEntry>> compact;
            compact.emplace_back("a", entry(str("1"), c, c));
            items.push_back(item(mapping_of(std::move(compact)), c));
            items.push_back(item(sequence_of({item(str("y"))}), c, c));
            items.push_back(item(str("z"), c, c));
        }
        entries.emplace_back("items", entry(sequence_of(std::move(items)), "end"));
        return std::vector<YamlNode>{mapping_of(std::move(entries)), sequence_of({item(str("d2"), cs.front())})};
    }, values_only);
}

TEST(RoundTripScalars, NumbersBooleansAndNull) {
    std::vector<YamlItem> items;
    for (std::int64_t v : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{42}, std::numeric_limits<std::int64_t>::min(),
                           std::numeric_limits<std::int64_t>::max()})
        items.push_back(item(YamlNode(ScalarValue::make_int(v))));
    for (double v : {0.0, -0.0, 0.1, 1.0, -1.5, 1e20, 1e-7, 5e-324, 1e300, std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN(), 1.0 / 3})
        items.push_back(item(YamlNode(ScalarValue::make_float(v))));
    items.push_back(item(YamlNode(ScalarValue::make_bool(true))));
    items.push_back(item(YamlNode(ScalarValue::make_bool(false))));
    items.push_back(item(YamlNode(ScalarValue::make_null())));
    items.push_back(item(YamlNode::null()));
    EXPECT_EQ(round_trip({sequence_of(std::move(items))}), "");
}

TEST(RoundTripShapes, NestingAndEmptyCollections) {
    auto leafy = [] {
        std::vector<std::pair<std::string, YamlEntry>> e;
        e.emplace_back("em", entry(mapping_of({})));
        e.emplace_back("es", entry(sequence_of({})));
        e.emplace_back("s", entry(sequence_of({item(mapping_of({})), item(sequence_of({})),
                                               item(sequence_of({item(sequence_of({item(str("deep"))}))}))})));
        return mapping_of(std::move(e));
    };
    auto docs = [&](bool as_read) {
        std::vector<YamlItem> items;
        items.push_back(item(leafy()));
        if (as_read) items.push_back(item(leafy(), "before\ninline"));
        else items.push_back(item(leafy(), "before", "inline"));
        items.push_back(item(sequence_of({item(leafy())})));
        std::vector<std::pair<std::string, YamlEntry>> root;
        root.emplace_back("items", entry(sequence_of(std::move(items))));
        root.emplace_back("map", entry(leafy(), "c", "i"));
        return std::vector<YamlNode>{mapping_of(std::move(root)), mapping_of({}), sequence_of({})};
    };
    EXPECT_EQ(round_trip(docs(false), docs(true)), "");

    YamlNode deep = str("leaf");
    for (std::size_t d = 0; d < 500; ++d) {
        if (d % 3 == 0) deep = sequence_of({item(std::move(deep))});
        else {
            std::vector<std::pair<std::string, YamlEntry>> e;
            e.emplace_back("k", entry(std::move(deep)));
            deep = mapping_of(std::move(e));
        }
    }
    EXPECT_EQ(round_trip({deep}), "");
}

}  // namespace
