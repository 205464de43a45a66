#include "scanner/utf8_input.h"

namespace plovarn::scanner {

char32_t Utf8Input::next_slow() {
    if (*p_ == 0) return stop(Fault::Nul);
    char32_t value;
    const unsigned len = decode_utf8_sequence(p_, static_cast<std::size_t>(end_ - p_), value);
    if (len == 0) return stop(Fault::InvalidUtf8);
    p_ += len;
    ++decoded_;
    return value;
}

}  // namespace plovarn::scanner
