#pragma once

// A mapping key: its text and the style it was written in. Sixteen bytes; keys of
// up to fourteen bytes, most of them, need no allocation. Keys compare by their
// bytes alone: the style plays no part in lookups or ordering.

#include <compare>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "types/packed_text.h"
#include "types/source_form.h"
#include "types/text_view.h"

namespace plovarn::types {

class KeyText {
public:
    KeyText() = default;
    KeyText(std::string_view text) : size_(detail::packed_store(raw_, text)) {}
    KeyText(const std::string& text) : KeyText(std::string_view(text)) {}
    KeyText(const char* text) : KeyText(std::string_view(text)) {}
    KeyText(std::string_view text, SourceStyle style) : KeyText(text) { style_ = style; }
    KeyText(const KeyText& other) { copy_from(other); }
    KeyText(KeyText&& other) noexcept { steal_from(other); }
    KeyText& operator=(const KeyText& other) {
        if (this != &other) {
            KeyText copy(other);
            release();
            steal_from(copy);
        }
        return *this;
    }
    KeyText& operator=(KeyText&& other) noexcept {
        if (this != &other) {
            release();
            steal_from(other);
        }
        return *this;
    }
    ~KeyText() { release(); }

    TextView text() const { return TextView(detail::packed_view(raw_, size_)); }
    operator TextView() const { return text(); }
    operator std::string() const { return std::string(text()); }
    std::size_t size() const { return text().size(); }
    bool empty() const { return size_ == 0; }
    const char* data() const { return text().data(); }

    SourceStyle style() const { return style_; }
    void set_style(SourceStyle style) { style_ = style; }

    friend bool operator==(const KeyText& a, const KeyText& b) { return a.text() == b.text(); }
    friend bool operator==(const KeyText& a, std::string_view b) { return a.text() == b; }
    friend bool operator==(const KeyText& a, const char* b) { return a.text() == std::string_view(b); }
    friend bool operator==(const KeyText& a, const std::string& b) { return a.text() == std::string_view(b); }
    friend std::strong_ordering operator<=>(const KeyText& a, const KeyText& b) {
        return std::string_view(a.text()) <=> std::string_view(b.text());
    }

private:
    void release() noexcept {
        detail::packed_release(raw_, size_);
        size_ = 0;
    }
    void steal_from(KeyText& other) noexcept {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        other.size_ = 0;
    }
    void copy_from(const KeyText& other) {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        detail::packed_own_copy(raw_, size_);
    }

    alignas(8) unsigned char raw_[detail::packed_capacity] = {};
    std::uint8_t size_ = 0;
    SourceStyle style_ = SourceStyle::Unset;
};

static_assert(sizeof(KeyText) == 16);

}  // namespace plovarn::types
