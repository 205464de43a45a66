// The plain spellings that other YAML readers resolve to null, booleans,
// numbers and timestamps. Each rule below is one published pattern, matched by
// hand: the YAML 1.1 types (as PyYAML reads them), the YAML 1.2 core schema, and
// the resolution of the Go readers.

#include "types/other_readers.h"

#include <array>
#include <cstddef>
#include <string>

namespace plovarn::types {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_digit_or_underscore(char c) { return is_digit(c) || c == '_'; }
bool is_binary_or_underscore(char c) { return c == '0' || c == '1' || c == '_'; }
bool is_octal_or_underscore(char c) { return (c >= '0' && c <= '7') || c == '_'; }
bool is_binary(char c) { return c == '0' || c == '1'; }
bool is_octal(char c) { return c >= '0' && c <= '7'; }
bool is_hex(char c) { return is_digit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
bool is_hex_or_underscore(char c) { return is_hex(c) || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A position in the text with the steps of a pattern; each step consumes what it
// matches and tells whether it did.
class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}

    bool at_end() const { return i_ == s_.size(); }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    bool eat(char c) {
        if (i_ == s_.size() || s_[i_] != c) return false;
        ++i_;
        return true;
    }
    bool eat_sign() { return eat('+') || eat('-'); }
    // "0b", "0o" or "0x": the letter in lower case only, or in either case.
    bool eat_prefix(char letter, bool either_case) {
        if (i_ + 1 >= s_.size() || s_[i_] != '0') return false;
        if (s_[i_ + 1] != letter && !(either_case && (s_[i_ + 1] | 0x20) == letter)) return false;
        i_ += 2;
        return true;
    }
    // Between `min` and `max` characters of the class.
    template <class Class>
    bool run(Class in, std::size_t min, std::size_t max = std::string_view::npos) {
        std::size_t n = 0;
        while (n < max && i_ < s_.size() && in(s_[i_])) ++i_, ++n;
        return n >= min;
    }
    // One of the three spellings of a word: lower case, capitalised, upper case.
    bool eat_word(std::string_view lower, std::string_view title, std::string_view upper) {
        const std::string_view rest = s_.substr(i_);
        if (rest != lower && rest != title && rest != upper) return false;
        i_ = s_.size();
        return true;
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

bool one_of(std::string_view s, std::string_view a, std::string_view b, std::string_view c) {
    return s == a || s == b || s == c;
}

// YAML 1.1 null and booleans (a superset of the core schema's), and PyYAML's
// merge and value keys.
bool yaml11_word(std::string_view s) {
    switch (s.size()) {
        case 0: return true;
        case 1: return s == "~" || s == "y" || s == "Y" || s == "n" || s == "N" || s == "=";
        case 2: return one_of(s, "on", "On", "ON") || one_of(s, "no", "No", "NO") || s == "<<";
        case 3: return one_of(s, "yes", "Yes", "YES") || one_of(s, "off", "Off", "OFF");
        case 4: return one_of(s, "null", "Null", "NULL") || one_of(s, "true", "True", "TRUE");
        case 5: return one_of(s, "false", "False", "FALSE");
        default: return false;
    }
}

// (":" [0-5]? [0-9])+ : taking two digits where they fit is never wrong, since
// a group is followed by ":", "." or the end.
bool eat_base60_groups(Cursor& c) {
    std::size_t groups = 0;
    while (c.eat(':')) {
        const char first = c.peek();
        if (!c.run(is_digit, 1, first <= '5' ? 2 : 1)) return false;
        ++groups;
    }
    return groups > 0;
}

// [-+]? \. (inf|Inf|INF)  |  \. (nan|NaN|NAN)
bool infinity_or_nan(std::string_view s) {
    Cursor c(s);
    const bool sign = c.eat_sign();
    return c.eat('.') && (c.eat_word("inf", "Inf", "INF") || (!sign && c.eat_word("nan", "NaN", "NAN")));
}

// YAML 1.1 integers:
//   [-+]? 0b [0-1_]+  |  [-+]? 0 [0-7_]+  |  [-+]? (0 | [1-9] [0-9_]*)
//   [-+]? 0x [0-9a-fA-F_]+  |  [-+]? [1-9] [0-9_]* (: [0-5]? [0-9])+
bool yaml11_int(std::string_view s) {
    Cursor c(s);
    c.eat_sign();
    if (c.eat_prefix('b', false)) return c.run(is_binary_or_underscore, 1) && c.at_end();
    if (c.eat_prefix('x', false)) return c.run(is_hex_or_underscore, 1) && c.at_end();
    if (c.eat('0')) return c.at_end() || (c.run(is_octal_or_underscore, 1) && c.at_end());
    if (c.peek() < '1' || c.peek() > '9') return false;
    c.run(is_digit_or_underscore, 1);
    return c.at_end() || (eat_base60_groups(c) && c.at_end());
}

// YAML 1.1 floats, with PyYAML's fraction of digits and underscores (the
// published [0-9.]* would make every version number such as 1.2.3 a float,
// which no reader does):
//   [-+]? ([0-9] [0-9_]*)? \. [0-9_]* ([eE] [-+] [0-9]+)?
//   [-+]? [0-9] [0-9_]* (: [0-5]? [0-9])+ \. [0-9_]*
bool yaml11_float(std::string_view s) {
    Cursor c(s);
    c.eat_sign();
    if (is_digit(c.peek())) {
        c.run(is_digit_or_underscore, 1);
        if (c.peek() == ':') return eat_base60_groups(c) && c.eat('.') && (c.run(is_digit_or_underscore, 0), c.at_end());
    }
    if (!c.eat('.')) return false;
    c.run(is_digit_or_underscore, 0);
    if (c.eat('e') || c.eat('E')) return c.eat_sign() && c.run(is_digit, 1) && c.at_end();
    return c.at_end();
}

// YYYY-M?M-D?D, the date that starts every timestamp.
bool eat_date(Cursor& c, std::size_t month_and_day_min) {
    return c.run(is_digit, 4, 4) && c.eat('-') && c.run(is_digit, month_and_day_min, 2) && c.eat('-') &&
           c.run(is_digit, month_and_day_min, 2);
}

// YAML 1.1 timestamps, with PyYAML's blanks before either form of time zone:
//   [0-9]{4} - [0-9]{2} - [0-9]{2}
//   [0-9]{4} - [0-9]{1,2} - [0-9]{1,2} ([Tt] | [ \t]+) [0-9]{1,2} : [0-9]{2} : [0-9]{2}
//     (\. [0-9]*)? ([ \t]* (Z | [-+] [0-9]{1,2} (: [0-9]{2})?))?
bool yaml11_timestamp(std::string_view s) {
    {
        Cursor c(s);
        if (eat_date(c, 2) && c.at_end()) return true;
    }
    Cursor c(s);
    if (!eat_date(c, 1)) return false;
    if (!c.eat('T') && !c.eat('t') && !c.run(is_blank, 1)) return false;
    if (!c.run(is_digit, 1, 2) || !c.eat(':') || !c.run(is_digit, 2, 2) || !c.eat(':') || !c.run(is_digit, 2, 2))
        return false;
    if (c.eat('.')) c.run(is_digit, 0);
    if (c.at_end()) return true;
    c.run(is_blank, 0);
    if (c.eat('Z')) return c.at_end();
    if (!c.eat_sign() || !c.run(is_digit, 1, 2)) return false;
    return c.at_end() || (c.eat(':') && c.run(is_digit, 2, 2) && c.at_end());
}

// YAML 1.2 core schema integers: [-+]? [0-9]+  |  0o [0-7]+  |  0x [0-9a-fA-F]+
bool core_int(std::string_view s) {
    Cursor c(s);
    if (c.eat_prefix('o', false)) return c.run(is_octal, 1) && c.at_end();
    if (c.eat_prefix('x', false)) return c.run(is_hex, 1) && c.at_end();
    c.eat_sign();
    return c.run(is_digit, 1) && c.at_end();
}

// YAML 1.2 core schema floats (the forms of infinity and not-a-number aside):
//   [-+]? (\. [0-9]+ | [0-9]+ (\. [0-9]*)?) ([eE] [-+]? [0-9]+)?
bool core_float(std::string_view s) {
    Cursor c(s);
    c.eat_sign();
    if (c.eat('.')) {
        if (!c.run(is_digit, 1)) return false;
    } else {
        if (!c.run(is_digit, 1)) return false;
        if (c.eat('.')) c.run(is_digit, 0);
    }
    if (c.eat('e') || c.eat('E')) {
        c.eat_sign();
        if (!c.run(is_digit, 1)) return false;
    }
    return c.at_end();
}

// The Go readers' numbers, in a text that starts with a digit or a sign: with
// every underscore dropped, a core schema float (which takes in every decimal
// integer), or an integer with a "0b", "0o" or "0x" prefix of either case after
// an optional sign; "0b" and "0o" in lower case, alone or after "-", may also be
// followed by a signed number. Their limits of range are not followed: a number
// too large for them is quoted too.
bool go_number(std::string_view s) {
    std::string stripped;
    if (s.find('_') != std::string_view::npos) {
        stripped.reserve(s.size());
        for (char ch : s)
            if (ch != '_') stripped.push_back(ch);
        s = stripped;
    }
    if (core_float(s)) return true;
    const auto prefixed = [s](char letter, auto digit) {
        Cursor c(s);
        c.eat_sign();
        if (c.eat_prefix(letter, true) && c.run(digit, 1) && c.at_end()) return true;
        if (letter == 'x') return false;
        Cursor signed_rest(s);
        signed_rest.eat('-');
        if (!signed_rest.eat_prefix(letter, false)) return false;
        signed_rest.eat_sign();
        return signed_rest.run(digit, 1) && signed_rest.at_end();
    };
    return prefixed('b', is_binary) || prefixed('o', is_octal) || prefixed('x', is_hex);
}

// The Go readers' timestamps: a date, a date and time with "T" or "t" and a zone,
// or a date and time after one space; month, day, hour, minute and second of one
// digit or two, fraction of any length.
bool go_timestamp(std::string_view s) {
    Cursor c(s);
    if (!eat_date(c, 1)) return false;
    if (c.at_end()) return true;
    const bool zoned = c.eat('T') || c.eat('t');
    if (!zoned && !c.eat(' ')) return false;
    if (!c.run(is_digit, 1, 2) || !c.eat(':') || !c.run(is_digit, 1, 2) || !c.eat(':') || !c.run(is_digit, 1, 2))
        return false;
    if (c.eat('.') && !c.run(is_digit, 1)) return false;
    if (!zoned) return c.at_end();
    if (c.eat('Z')) return c.at_end();
    return c.eat_sign() && c.run(is_digit, 2, 2) && c.eat(':') && c.run(is_digit, 2, 2) && c.at_end();
}

// The characters of every number, timestamp, infinity and not-a-number above: a
// text holding any other is a string to every reader, which most texts that
// start like a number (80/tcp, 1.4-alpine) show at once.
constexpr auto spelling_chars = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : std::string_view("0123456789_+-.: \tabcdefABCDEFoOxXtTZinINF")) t[c] = true;
    return t;
}();

}  // namespace

bool other_readers_resolve_non_string(std::string_view text) {
    if (text.empty()) return true;
    const char first = text[0];
    const bool numeric_start = is_digit(first) || first == '+' || first == '-';
    if (!numeric_start && first != '.') return text.size() <= 5 && yaml11_word(text);
    for (char c : text)
        if (!spelling_chars[static_cast<unsigned char>(c)]) return false;
    if (infinity_or_nan(text) || yaml11_float(text) || core_float(text)) return true;
    if (!numeric_start) return false;
    if (yaml11_int(text) || core_int(text) || go_number(text)) return true;
    return is_digit(first) && (yaml11_timestamp(text) || go_timestamp(text));
}

}  // namespace plovarn::types
