#include "scanner/cursor.h"

#include "scanner/byte_sets.h"

namespace plovarn::scanner {

using namespace chars;

void Cursor::skip_space_run() {
    if (count_ != 0) return;
    const std::size_t n = input_.take_ascii_run<byte_sets::Spaces>().size();
    mark_.index += n;
    mark_.col += n;
}

void Cursor::skip_linebreak() {
    if (at(0) == '\r' && at(1) == '\n') {
        advance_blank();
        advance_blank();
    } else if (is_break(at(0))) {
        advance_blank();
    } else {
        return;
    }
    ++mark_.line;
    mark_.col = 0;
    blanks_only_ = true;
}

bool Cursor::at_document_indicator() const {
    const char32_t c = at(0);
    return (c == '-' || c == '.') && at(1) == c && at(2) == c && is_blank_or_end(at(3));
}

ScanError Cursor::fault_error() const {
    return ScanError::make(mark_, input_.fault() == Utf8Input::Fault::Nul
                                      ? "found a NUL character (U+0000), which YAML text may not hold"
                                      : "found invalid UTF-8 in the input");
}

}  // namespace plovarn::scanner
