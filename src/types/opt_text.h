#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "types/text_block.h"
#include "types/text_view.h"

namespace plovarn::types {

// An optional text in one pointer to one block: most entries carry no comment,
// and those that do keep it for as long as the document lives. Absent and empty
// are different states. Copies are deep.
class OptText {
public:
    OptText() = default;
    OptText(std::string_view text) : block_(detail::text_block_new(text)) {}
    OptText(const std::string& text) : OptText(std::string_view(text)) {}
    OptText(const char* text) : OptText(std::string_view(text)) {}
    OptText(const OptText& other) : block_(other.block_ ? detail::text_block_copy(other.block_) : nullptr) {}
    OptText(OptText&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    OptText& operator=(const OptText& other) {
        if (this != &other) {
            OptText copy(other);
            std::swap(block_, copy.block_);
        }
        return *this;
    }
    OptText& operator=(OptText&& other) noexcept {
        OptText moved(std::move(other));
        std::swap(block_, moved.block_);
        return *this;
    }
    // The texts of `pieces` (a range of elements that `text_of` maps to their
    // text) joined by `separator`, in one block written in place.
    template <class Range, class TextOf>
    static OptText joined(const Range& pieces, char separator, TextOf text_of) {
        std::size_t size = 0;
        bool first = true;
        for (const auto& piece : pieces) {
            size += std::string_view(text_of(piece)).size() + (first ? 0 : 1);
            first = false;
        }
        OptText out;
        out.block_ = detail::text_block_alloc(size);
        char* at = detail::text_block_bytes(out.block_);
        first = true;
        for (const auto& piece : pieces) {
            const std::string_view text = text_of(piece);
            if (!first) *at++ = separator;
            if (!text.empty()) std::memcpy(at, text.data(), text.size());
            at += text.size();
            first = false;
        }
        return out;
    }

    OptText& operator=(std::string_view text) { return *this = OptText(text); }
    OptText& operator=(const std::string& text) { return *this = OptText(text); }
    OptText& operator=(const char* text) { return *this = OptText(text); }
    ~OptText() { reset(); }

    bool has_value() const { return block_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    // The text; only when has_value().
    TextView operator*() const { return detail::text_block_view(block_); }

    // Member access on the text, as on a pointer to it.
    class Arrow {
    public:
        explicit Arrow(TextView v) : view_(v) {}
        const TextView* operator->() const { return &view_; }

    private:
        TextView view_;
    };
    Arrow operator->() const { return Arrow(**this); }

    void reset() noexcept {
        if (block_) detail::text_block_delete(std::exchange(block_, nullptr));
    }

    friend bool operator==(const OptText& a, const OptText& b) {
        if (!a.block_ || !b.block_) return !a.block_ && !b.block_;
        return std::string_view(*a) == std::string_view(*b);
    }
    friend bool operator==(const OptText& a, std::string_view b) { return a.block_ && std::string_view(*a) == b; }
    friend bool operator==(const OptText& a, const char* b) { return a == std::string_view(b); }

private:
    char* block_ = nullptr;
};

}  // namespace plovarn::types
