#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "types/packed_text.h"
#include "types/source_form.h"
#include "types/text_view.h"

namespace plovarn::types {

// A resolved scalar. The alternatives stand in this order: Int, Float, Bool, Str, Null.
//
// Sixteen bytes, since every entry and item of a tree holds one: a string of up to
// `inline_capacity` bytes is stored in place, a longer one in one text block. The
// last byte holds the kind and the style the scalar was written in; a scalar that
// also carries a spelling, an anchor or a tag keeps its value and those in one
// shared box instead, so that scalars without them pay nothing.
class ScalarValue {
public:
    enum class Kind : std::uint8_t { Int, Float, Bool, Str, Null };

    ScalarValue() = default;
    ScalarValue(const ScalarValue& other) { copy_from(other); }
    ScalarValue(ScalarValue&& other) noexcept { steal_from(other); }
    ScalarValue& operator=(const ScalarValue& other) {
        if (this != &other) {
            ScalarValue copy(other);
            release();
            steal_from(copy);
        }
        return *this;
    }
    ScalarValue& operator=(ScalarValue&& other) noexcept {
        if (this != &other) {
            release();
            steal_from(other);
        }
        return *this;
    }
    ~ScalarValue() { release(); }

    static ScalarValue make_int(std::int64_t v) {
        ScalarValue s(Kind::Int);
        s.put(v);
        return s;
    }
    static ScalarValue make_float(double v) {
        ScalarValue s(Kind::Float);
        s.put(v);
        return s;
    }
    static ScalarValue make_bool(bool v) {
        ScalarValue s(Kind::Bool);
        s.put(v);
        return s;
    }
    static ScalarValue make_str(std::string_view v) {
        ScalarValue s(Kind::Str);
        s.inline_size_ = detail::packed_store(s.raw_, v);
        return s;
    }
    static ScalarValue make_null() { return ScalarValue(); }

    // Resolution of plain scalar text: null, boolean, integer, float or string.
    static ScalarValue from_str(std::string_view text);

    Kind kind() const {
        // A node tells a scalar from its other kinds by this byte.
        static_assert(offsetof(ScalarValue, tag_) == 15);
        return static_cast<Kind>(tag_ & kind_bits);
    }
    bool is_int() const { return kind() == Kind::Int; }
    bool is_float() const { return kind() == Kind::Float; }
    bool is_bool() const { return kind() == Kind::Bool; }
    bool is_str() const { return kind() == Kind::Str; }
    bool is_null() const { return kind() == Kind::Null; }

    std::int64_t as_int() const { return value().get<std::int64_t>(); }
    double as_float() const { return value().get<double>(); }
    bool as_bool() const { return value().get<bool>(); }
    // The text of a Str; valid while this value lives unchanged.
    TextView as_str() const {
        const ScalarValue& v = value();
        return TextView(detail::packed_view(v.raw_, v.inline_size_));
    }

    // Same kind and same value; floats compare by their bits, so NaN equals itself
    // and -0.0 differs from 0.0. The written form plays no part.
    bool same_value(const ScalarValue& other) const;

    SourceStyle style() const { return static_cast<SourceStyle>((tag_ >> style_shift) & style_bits); }
    void set_style(SourceStyle style) {
        tag_ = static_cast<std::uint8_t>((tag_ & ~(style_bits << style_shift)) |
                                         (static_cast<unsigned>(style) << style_shift));
    }
    // Spelling, anchor and tag; null when the scalar carries none.
    const NodeProps* props() const;
    // Replaces them; empty props leave the scalar unboxed.
    void set_props(NodeProps props);

    static constexpr std::size_t inline_capacity = detail::packed_capacity;

private:
    struct Box;
    static constexpr std::uint8_t kind_bits = 0x07;
    static constexpr unsigned style_shift = 3;
    static constexpr unsigned style_bits = 0x07;
    static constexpr std::uint8_t boxed_bit = 0x40;

    explicit ScalarValue(Kind k) : tag_(static_cast<std::uint8_t>(k)) {}
    bool boxed() const { return (tag_ & boxed_bit) != 0; }
    Box* box() const { return get<Box*>(); }
    const ScalarValue& value() const;

    void release() noexcept;
    // Takes over the other's storage; the other is left Null.
    void steal_from(ScalarValue& other) noexcept {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        other.tag_ = static_cast<std::uint8_t>(Kind::Null);
        other.inline_size_ = 0;
    }
    void copy_from(const ScalarValue& other);

    // The payload lives in raw bytes, read and written by copy: an integer, a
    // double, a bool, a box pointer, or the characters of a short string.
    template <class T>
    void put(T v) noexcept {
        std::memcpy(raw_, &v, sizeof v);
    }
    template <class T>
    T get() const noexcept {
        T v;
        std::memcpy(&v, raw_, sizeof v);
        return v;
    }

    alignas(8) unsigned char raw_[inline_capacity] = {};
    std::uint8_t inline_size_ = 0;  // bytes of an in-place Str, or the in-block mark
    std::uint8_t tag_ = static_cast<std::uint8_t>(Kind::Null);  // kind, style, boxed
};

static_assert(sizeof(ScalarValue) == 16);

// Shared by the copies of one boxed scalar; never changed once shared.
struct ScalarValue::Box {
    std::size_t refs;
    ScalarValue value;  // never boxed itself, style unset
    NodeProps props;
};

inline const ScalarValue& ScalarValue::value() const { return boxed() ? box()->value : *this; }
inline const NodeProps* ScalarValue::props() const { return boxed() ? &box()->props : nullptr; }

inline void ScalarValue::release() noexcept {
    if (boxed()) {
        Box* b = box();
        if (--b->refs == 0) delete b;
    } else if (kind() == Kind::Str) {
        detail::packed_release(raw_, inline_size_);
    }
    tag_ = static_cast<std::uint8_t>(Kind::Null);
    inline_size_ = 0;
}

inline void ScalarValue::copy_from(const ScalarValue& other) {
    std::memcpy(static_cast<void*>(this), &other, sizeof *this);
    if (boxed()) ++box()->refs;
    else if (kind() == Kind::Str) detail::packed_own_copy(raw_, inline_size_);
}

}  // namespace plovarn::types
