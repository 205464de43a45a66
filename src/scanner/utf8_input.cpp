#include "scanner/utf8_input.h"

#include "types/utf8.h"

namespace plovarn::scanner {

char32_t Utf8Input::next_slow() {
    if (*p_ == 0) return stop(Fault::Nul);
    const types::Utf8Char c = types::decode_utf8(p_, static_cast<std::size_t>(end_ - p_));
    if (c.fault != types::Utf8Char::Fault::None) return stop(Fault::InvalidUtf8);
    p_ += c.length;
    ++decoded_;
    return c.value;
}

}  // namespace plovarn::scanner
