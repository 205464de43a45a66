// %YAML and %TAG directive lines; other directive names are read and ignored.
#include "scanner/char_classes.h"
#include "scanner/scanner.h"
#include "scanner/scan_try.h"

namespace plovarn::scanner {

using namespace chars;

void Scanner::skip_directive_blanks() {
    for (;;) {
        cur_.fill(1);
        if (!is_blank(cur_.at(0))) return;
        cur_.advance_blank();
    }
}

Scanner::Status Scanner::fetch_directive_line() {
    const Marker m = cur_.mark();
    cur_.advance_char();

    std::string name;
    const Marker name_mark = cur_.mark();
    for (;;) {
        cur_.fill(1);
        if (!is_name_char(cur_.at(0))) break;
        cur_.take_char(name);
    }
    if (name.empty())
        return fail(name_mark, "while scanning a directive, could not find expected directive name");
    if (!is_blank_or_end(cur_.at(0)))
        return fail(name_mark,
                    "while scanning a directive, found unexpected non-alphabetical character");

    Token token;
    token.mark = m;
    if (name == "YAML") {
        skip_directive_blanks();
        auto major = scan_version_directive_number(m);
        if (!major) return std::unexpected(std::move(major.error()));
        cur_.fill(1);
        if (cur_.at(0) != '.')
            return fail(m, "while scanning a YAML directive, did not find expected digit or '.' character");
        cur_.advance_char();
        auto minor = scan_version_directive_number(m);
        if (!minor) return std::unexpected(std::move(minor.error()));
        token.type = TokenType::VersionDirective;
        token.major = *major;
        token.minor = *minor;
    } else if (name == "TAG") {
        skip_directive_blanks();
        auto handle = scan_tag_handle(true, m);
        if (!handle) return std::unexpected(std::move(handle.error()));
        skip_directive_blanks();
        std::string prefix;
        cur_.fill(1);
        if (cur_.at(0) == '!') {
            cur_.take_char(prefix);
        } else if (!is_tag_char(cur_.at(0))) {
            return fail(m, "invalid global tag character");
        } else if (cur_.at(0) == '%') {
            SCAN_TRY(scan_uri_escapes(m, prefix));
        } else {
            cur_.take_char(prefix);
        }
        SCAN_TRY(scan_uri_chars(m, prefix));
        cur_.fill(1);
        if (!is_blank_or_end(cur_.at(0)))
            return fail(m, "while scanning TAG, did not find expected whitespace or line break");
        token.type = TokenType::TagDirective;
        token.text = std::move(*handle);
        token.text2 = std::move(prefix);
    } else {
        // An unknown directive is ignored, but a comment behind it is still kept.
        for (;;) {
            cur_.fill(2);
            if (is_break_or_end(cur_.at(0)) || (is_blank(cur_.at(0)) && cur_.at(1) == '#')) break;
            cur_.advance_char();
        }
        token.type = TokenType::TagDirective;
    }

    SCAN_TRY(skip_ws_to_eol(SkipTabs::Yes));
    cur_.fill(2);
    if (!is_break_or_end(cur_.at(0)))
        return fail(m, "while scanning a directive, did not find expected comment or line break");
    cur_.skip_linebreak();
    tokens_.emplace_back() = std::move(token);
    return {};
}

std::expected<std::uint32_t, ScanError> Scanner::scan_version_directive_number(Marker m) {
    std::uint32_t value = 0;
    unsigned digits = 0;
    for (;;) {
        cur_.fill(1);
        const char32_t c = cur_.at(0);
        if (c < '0' || c > '9') break;
        if (++digits > 9)
            return fail(m, "while scanning a YAML directive, found extremely long version number");
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        cur_.advance_char();
    }
    if (digits == 0)
        return fail(m, "while scanning a YAML directive, did not find expected version number");
    return value;
}

}  // namespace plovarn::scanner
