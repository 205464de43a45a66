#pragma once

// A mapping key: its text, the style it was written in, and the anchor and tag
// written in front of it. Sixteen bytes; keys of up to fourteen bytes, most of
// them, need no allocation. A key that carries an anchor or a tag, rare, keeps its
// text and those in one box that its copies share. Keys compare by their bytes
// alone: style, anchor and tag play no part in lookups or ordering.

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

    TextView text() const;
    operator TextView() const { return text(); }
    operator std::string() const { return std::string(text()); }
    std::size_t size() const { return text().size(); }
    bool empty() const { return size() == 0; }
    const char* data() const { return text().data(); }

    SourceStyle style() const { return style_; }
    void set_style(SourceStyle style) { style_ = style; }
    // Anchor and tag; null when the key carries neither.
    const NodeProps* props() const;
    // Gives the key an anchor and a tag; empty props leave it as it is.
    void set_props(NodeProps props);

    friend bool operator==(const KeyText& a, const KeyText& b) { return a.text() == b.text(); }
    friend bool operator==(const KeyText& a, std::string_view b) { return a.text() == b; }
    friend bool operator==(const KeyText& a, const char* b) { return a.text() == std::string_view(b); }
    friend bool operator==(const KeyText& a, const std::string& b) { return a.text() == std::string_view(b); }
    friend std::strong_ordering operator<=>(const KeyText& a, const KeyText& b) {
        return std::string_view(a.text()) <=> std::string_view(b.text());
    }

private:
    struct Box;
    // The size byte of a key kept in a box; above every in-place size, as the
    // in-block mark is, so that one comparison tells in-place text from the rest.
    static constexpr std::uint8_t in_box = detail::packed_in_block - 1;
    static_assert(in_box > detail::packed_capacity);

    bool in_place() const { return size_ <= detail::packed_capacity; }
    Box* box() const {
        Box* b;
        std::memcpy(&b, raw_, sizeof b);
        return b;
    }
    void release() noexcept {
        if (!in_place()) [[unlikely]]
            release_out_of_place();
        size_ = 0;
    }
    void release_out_of_place() noexcept;
    void steal_from(KeyText& other) noexcept {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        other.size_ = 0;
    }
    void copy_from(const KeyText& other) {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        if (!in_place()) [[unlikely]]
            own_out_of_place();
    }
    void own_out_of_place();

    alignas(8) unsigned char raw_[detail::packed_capacity] = {};
    std::uint8_t size_ = 0;  // bytes of an in-place text, the in-block mark, or in_box
    SourceStyle style_ = SourceStyle::Unset;
};

static_assert(sizeof(KeyText) == 16);

// Shared by the copies of one boxed key; never changed once made.
struct KeyText::Box {
    std::size_t refs;
    KeyText text;  // never boxed itself
    NodeProps props;
};

inline TextView KeyText::text() const {
    if (size_ == in_box) [[unlikely]]
        return box()->text.text();
    return TextView(detail::packed_view(raw_, size_));
}

inline const NodeProps* KeyText::props() const { return size_ == in_box ? &box()->props : nullptr; }

inline void KeyText::release_out_of_place() noexcept {
    if (size_ != in_box) return detail::packed_release(raw_, size_);
    Box* b = box();
    if (--b->refs == 0) delete b;
}

inline void KeyText::own_out_of_place() {
    if (size_ == in_box) ++box()->refs;
    else detail::packed_own_copy(raw_, size_);
}

inline void KeyText::set_props(NodeProps props) {
    if (props.empty()) return;
    Box* b = new Box{1, KeyText(text()), std::move(props)};
    release();
    std::memcpy(raw_, &b, sizeof b);
    size_ = in_box;
}

}  // namespace plovarn::types
