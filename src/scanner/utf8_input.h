// Forward cursor that decodes UTF-8 text one character at a time.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace plovarn::scanner {

// Yields U+0000 once the text is exhausted, and forever after. Text that cannot
// stand in a document (a malformed UTF-8 sequence or a NUL byte) ends the
// usable input in the same way; the fault and its character index are kept so
// that the scanner can report it instead of treating it as the end.
class Utf8Input {
public:
    enum class Fault : std::uint8_t { None, InvalidUtf8, Nul };

    explicit Utf8Input(std::string_view text)
        : begin_(reinterpret_cast<const unsigned char*>(text.data())), p_(begin_), end_(p_ + text.size()) {}

    char32_t next() {
        if (p_ == end_) return 0;
        unsigned b = *p_;
        if (b - 1 < 0x7F) {  // 0x01..0x7F
            ++p_;
            ++decoded_;
            return b;
        }
        return next_slow();
    }

    // Byte classes for take_ascii_run; only ASCII bytes may be accepted, so that
    // every byte taken is one character.
    using ByteSet = std::array<bool, 256>;

    // Consumes the longest run of bytes in `Class::table` and returns it.
    // `Class::stops(w)` marks, in the high bit of each byte of the 8 bytes `w`
    // (first byte lowest), bytes that may end the run; it may mark bytes that do
    // not, but never misses one, and its lowest mark is a true candidate. The
    // table decides each candidate, so runs go eight bytes per step.
    template <class Class>
    std::string_view take_ascii_run() {
        const unsigned char* start = p_;
        if constexpr (std::endian::native == std::endian::little) {
            while (end_ - p_ >= 8) {
                std::uint64_t w;
                std::memcpy(&w, p_, 8);
                const std::uint64_t m = Class::stops(w);
                if (m == 0) {
                    p_ += 8;
                    continue;
                }
                p_ += std::countr_zero(m) / 8;
                if (!Class::table[*p_]) break;
                ++p_;
            }
        }
        while (p_ != end_ && Class::table[*p_]) ++p_;
        const auto n = static_cast<std::size_t>(p_ - start);
        decoded_ += n;
        return {reinterpret_cast<const char*>(start), n};
    }

    // Byte offset of the next undecoded byte; a fault stays where it was met.
    std::size_t byte_position() const { return static_cast<std::size_t>(p_ - begin_); }
    // The text between two byte offsets.
    std::string_view slice(std::size_t from, std::size_t to) const {
        return {reinterpret_cast<const char*>(begin_) + from, to - from};
    }

    Fault fault() const { return fault_; }
    // Character index of the fault: the count of characters decoded before it.
    std::uint64_t fault_index() const { return decoded_; }

private:
    char32_t next_slow();
    char32_t stop(Fault f) {
        fault_ = f;
        end_ = p_;
        return 0;
    }

    const unsigned char* begin_;
    const unsigned char* p_;
    const unsigned char* end_;  // moves back to a fault
    std::uint64_t decoded_ = 0;
    Fault fault_ = Fault::None;
};

}  // namespace plovarn::scanner
