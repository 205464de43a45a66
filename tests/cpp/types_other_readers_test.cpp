// The plain spellings that other YAML readers resolve to something other than a
// string, against the published patterns written as regular expressions.

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "types/other_readers.h"

using plovarn::types::other_readers_resolve_non_string;

namespace {

// The YAML 1.1 types (yaml.org/type), with PyYAML's fraction of digits and
// underscores and its blanks before either time zone.
const std::regex yaml11(
    "y|Y|yes|Yes|YES|n|N|no|No|NO|true|True|TRUE|false|False|FALSE|on|On|ON|off|Off|OFF"
    "|~|null|Null|NULL|<<|="
    "|[-+]?0b[0-1_]+|[-+]?0[0-7_]+|[-+]?(0|[1-9][0-9_]*)|[-+]?0x[0-9a-fA-F_]+"
    "|[-+]?[1-9][0-9_]*(:[0-5]?[0-9])+"
    "|[-+]?([0-9][0-9_]*)?\\.[0-9_]*([eE][-+][0-9]+)?|[-+]?[0-9][0-9_]*(:[0-5]?[0-9])+\\.[0-9_]*"
    "|[-+]?\\.(inf|Inf|INF)|\\.(nan|NaN|NAN)"
    "|[0-9]{4}-[0-9]{2}-[0-9]{2}"
    "|[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}([Tt]|[ \\t]+)[0-9]{1,2}:[0-9]{2}:[0-9]{2}(\\.[0-9]*)?"
    "([ \\t]*(Z|[-+][0-9]{1,2}(:[0-9]{2})?))?");

// The YAML 1.2 core schema.
const std::regex core(
    "null|Null|NULL|~|true|True|TRUE|false|False|FALSE"
    "|[-+]?[0-9]+|0o[0-7]+|0x[0-9a-fA-F]+"
    "|[-+]?(\\.[0-9]+|[0-9]+(\\.[0-9]*)?)([eE][-+]?[0-9]+)?|[-+]?\\.(inf|Inf|INF)|\\.(nan|NaN|NAN)");

// The Go readers, on a text that starts with a digit or a sign, underscores dropped.
const std::regex go_number(
    "[-+]?0[bB][01]+|[-+]?0[oO][0-7]+|[-+]?0[xX][0-9a-fA-F]+|-?0b[-+]?[01]+|-?0o[-+]?[0-7]+"
    "|[-+]?(\\.[0-9]+|[0-9]+(\\.[0-9]*)?)([eE][-+]?[0-9]+)?");
const std::regex go_timestamp(
    "[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}"
    "|[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}[Tt][0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}(\\.[0-9]+)?(Z|[-+][0-9]{2}:[0-9]{2})"
    "|[0-9]{4}-[0-9]{1,2}-[0-9]{1,2} [0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}(\\.[0-9]+)?");

bool published(const std::string& text) {
    if (text.empty() || std::regex_match(text, yaml11) || std::regex_match(text, core)) return true;
    const char first = text[0];
    if (!((first >= '0' && first <= '9') || first == '+' || first == '-')) return false;
    std::string stripped;
    for (char c : text)
        if (c != '_') stripped.push_back(c);
    return std::regex_match(stripped, go_number) || std::regex_match(text, go_timestamp);
}

void expect_as_published(const std::string& text) {
    EXPECT_EQ(other_readers_resolve_non_string(text), published(text)) << "text: '" << text << "'";
}

// Spellings drawn from each schema's patterns, one or more per alternative.
const std::vector<std::string> positives = {
    // words of YAML 1.1 and the core schema, and PyYAML's merge and value keys
    "", "~", "y", "Y", "n", "N", "yes", "Yes", "YES", "no", "No", "NO", "on", "On", "ON", "off", "Off", "OFF",
    "true", "True", "TRUE", "false", "False", "FALSE", "null", "Null", "NULL", "<<", "=",
    // YAML 1.1 integers: base 2, 8, 10, 16 and 60
    "0b101", "-0b1_0", "+0b_", "017", "0_7", "-0_", "0", "+0", "12", "1_000", "-1_", "0x1F", "0xdead_beef",
    "+0x_", "12:30", "-1:2:3", "190:20:30", "1_0:59",
    // YAML 1.1 floats
    "1.5", "-1.", ".5", "+.", ".", "1_0.5_", "1.5e+3", "-1.5E-3", ".5e-1", "190:20:30.15", "1:30.", "-0:0.",
    ".inf", "-.Inf", "+.INF", ".nan", ".NaN", ".NAN",
    // YAML 1.1 timestamps
    "2024-01-01", "2001-12-14t21:59:43.10-05:00", "2001-12-14 21:59:43.10 -5", "2001-12-15T02:59:43.1Z",
    "2001-12-15 2:59:43.10", "2002-12-14T1:02:03", "2001-12-14\t21:59:43 \t+05:30", "2001-1-2T03:04:05.",
    // YAML 1.2 core integers and floats
    "0o17", "0x1f", "-42", "+007", "1e3", "1E+3", "-.5e3", "5.e-2", "08", "1.0",
    // the Go readers: underscores anywhere, prefixes in either case, signed digits
    // after 0b and 0o, one-digit dates and times
    "-_1", "+__2", "1__0", "1_0.5_", "09_", "1_e1_0", "0B101", "0O17", "0X1F", "-0x_F", "0b-1", "-0b+1",
    "0o-7", "-0o7", "2024-1-2", "2024-1-2T3:4:5Z", "2024-01-02t03:04:05.123456789+01:00", "2024-1-2 3:4:5.5",
};

// Near misses of the patterns: each one character or one rule away.
const std::vector<std::string> negatives = {
    "yy", "YeS", "yES", "nO!", "nulls", "~~", "Nul", "<", "<<<", "==", "tRUE", "oN",
    "1.2.3", "12:60", "0:30", "1:", "1::2", "12:3a", "1:2:3:",
    "0b", "0b2", "+0b-1", "0B-1", "0x", "0xG", "0x-1", "0o", "0o8", "+0o-7", "0ob1",
    "_1", "_", "+", "-", "--1", "+-1", "1-", "1+1", "e5", "1e", "1e+", "1.5e", ".e", "1..", "..5", "1._.",
    "2024-01", "2024-1-1x", "24-01-01", "20241-01-01", "2024-01-01T", "2024-01-01 10:00", "2024-1-1 1:2:3 ",
    "2024-01-01T10:00:00 +", "2024-01-01T1:2:3", "2024-01-01  1:2:3", "2024-01-01T10:00:00+5:00:00",
    "inf", "-inf", "nan", "+.nan", "-.NaN", ".iNf", "Infinity", "1.5x", "x1.5", "v1", "1 2", "0 b1",
};

}  // namespace

TEST(OtherReaders, PublishedSpellingsAreNotStrings) {
    for (const std::string& text : positives) {
        EXPECT_TRUE(other_readers_resolve_non_string(text)) << "text: '" << text << "'";
        EXPECT_TRUE(published(text)) << "pattern table misses '" << text << "'";
    }
}

TEST(OtherReaders, NearMissesAreStrings) {
    for (const std::string& text : negatives) {
        EXPECT_FALSE(other_readers_resolve_non_string(text)) << "text: '" << text << "'";
        EXPECT_FALSE(published(text)) << "pattern table takes '" << text << "'";
    }
}

// Every one-character edit of every listed spelling: dropped, doubled, replaced
// or followed by one of the characters that the patterns are made of.
TEST(OtherReaders, EditsOfTheSpellingsFollowThePatterns) {
    const std::string alphabet = "0159_+-.:eExXbBoOtTZ \tinfa";
    std::vector<std::string> seeds = positives;
    seeds.insert(seeds.end(), negatives.begin(), negatives.end());
    for (const std::string& seed : seeds) {
        for (std::size_t i = 0; i <= seed.size(); ++i) {
            if (i < seed.size()) {
                expect_as_published(seed.substr(0, i) + seed.substr(i + 1));
                expect_as_published(seed.substr(0, i + 1) + seed.substr(i));
            }
            for (char c : alphabet) {
                expect_as_published(seed.substr(0, i) + c + seed.substr(i));
                if (i < seed.size()) expect_as_published(seed.substr(0, i) + c + seed.substr(i + 1));
            }
        }
    }
}

// Random texts over the characters of the numbers, and random tails after a year.
TEST(OtherReaders, RandomTextsFollowThePatterns) {
    std::mt19937 random(20240101);
    const auto random_text = [&random](std::string text, std::string_view alphabet, std::size_t max_length) {
        const std::size_t length = 1 + random() % max_length;
        for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
        return text;
    };
    for (int n = 0; n < 30000; ++n) {
        expect_as_published(random_text("", "0123456789_+-.:eEbBoOxXtTZ ", 12));
        expect_as_published(random_text("2024-", "0123456789-:. tTZ+", 20));
    }
}
