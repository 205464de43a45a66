#pragma once

// The scanner's place in the text: the decoded input, a lookahead of up to 16
// characters, and the mark (index, line and column) of the first of them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scanner/char_classes.h"
#include "scanner/token.h"
#include "scanner/utf8_input.h"

namespace plovarn::scanner {

class Cursor {
public:
    // The text must outlive the cursor; it is not copied.
    explicit Cursor(std::string_view utf8_text) : input_(utf8_text) {}

    // Reads characters into the lookahead until it holds at least n (n <= 16);
    // past the end of the text U+0000 is read.
    void fill(unsigned n) {
        while (count_ < n) {
            ring_[(head_ + count_) & 15] = input_.next();
            ++count_;
        }
    }
    // Lookahead character i; it must have been filled.
    char32_t at(unsigned i) const { return ring_[(head_ + i) & 15]; }

    Marker mark() const { return mark_; }
    std::int64_t col() const { return static_cast<std::int64_t>(mark_.col); }
    // Nothing but blanks was consumed since the last line break.
    bool blanks_only() const { return blanks_only_; }
    void content_started() { blanks_only_ = false; }

    // Consumes the first lookahead character as a blank, or as content.
    void advance_blank() {
        head_ = (head_ + 1) & 15;
        --count_;
        ++mark_.index;
        ++mark_.col;
    }
    void advance_char() {
        advance_blank();
        blanks_only_ = false;
    }
    // Appends the first lookahead character to `out` and consumes it.
    void take_char(std::string& out) {
        chars::append_utf8(out, at(0));
        advance_char();
    }
    // Appends a run of ASCII content characters of the byte class `Class`: those
    // already in the lookahead, then the rest straight from the input. They
    // never include a break.
    template <class Class>
    void take_content_run(std::string& out) {
        content_run<Class>(&out);
    }
    // Consumes the same run without keeping it.
    template <class Class>
    void skip_content_run() {
        content_run<Class>(nullptr);
    }
    // Like take_content_run for a run of spaces, which are not content.
    void skip_space_run();
    // Consumes one break of any form (CR LF counts as one); nothing else.
    void skip_linebreak();
    // Consumes a byte order mark, which takes no column.
    void skip_byte_order_mark() {
        advance_blank();
        mark_.col = 0;
    }
    // The end of the text is placed at the start of a line.
    void move_end_to_line_start() {
        if (mark_.col != 0) {
            mark_.col = 0;
            ++mark_.line;
        }
    }

    // `---` or `...` followed by a blank or the end; needs 4 lookahead characters.
    bool at_document_indicator() const;
    // Byte offset in the input of the first lookahead character, and the text
    // between two such offsets.
    std::size_t byte_position() const {
        std::size_t b = input_.byte_position();
        for (unsigned i = 0; i < count_; ++i) {
            const char32_t c = at(i);
            // U+0000 stands for the end and took no bytes.
            b -= c == 0 ? 0 : c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        }
        return b;
    }
    std::string_view slice(std::size_t from, std::size_t to) const { return input_.slice(from, to); }

    // The cursor stands on a NUL or on malformed UTF-8, which ended the input.
    bool at_fault() const {
        return input_.fault() != Utf8Input::Fault::None && mark_.index == input_.fault_index();
    }
    ScanError fault_error() const;

private:
    template <class Class>
    void content_run(std::string* out) {
        while (count_ != 0) {
            const char32_t c = at(0);
            if (c >= 0x80 || !Class::table[c]) return;
            if (out) out->push_back(static_cast<char>(c));
            advance_char();
        }
        std::string_view run = input_.template take_ascii_run<Class>();
        if (run.empty()) return;
        if (out) out->append(run);
        mark_.index += run.size();
        mark_.col += run.size();
        blanks_only_ = false;
    }

    Utf8Input input_;
    char32_t ring_[16] = {};
    unsigned head_ = 0;
    unsigned count_ = 0;
    Marker mark_;
    bool blanks_only_ = true;
};

}  // namespace plovarn::scanner
