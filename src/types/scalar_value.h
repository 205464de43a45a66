#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "types/text_block.h"
#include "types/text_view.h"

namespace plovarn::types {

// A resolved scalar. The alternatives stand in this order: Int, Float, Bool, Str, Null.
//
// Sixteen bytes, since every entry and item of a tree holds one: a string of up to
// `inline_capacity` bytes is stored in place, a longer one in one text block.
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
        if (v.size() <= inline_capacity) {
            if (!v.empty()) std::memcpy(s.raw_, v.data(), v.size());
            s.inline_size_ = static_cast<std::uint8_t>(v.size());
        } else {
            s.put(detail::text_block_new(v));
            s.inline_size_ = in_block;
        }
        return s;
    }
    static ScalarValue make_null() { return ScalarValue(); }

    // Resolution of plain scalar text: null, boolean, integer, float or string.
    static ScalarValue from_str(std::string_view text);

    Kind kind() const {
        // A node tells a scalar from its other kinds by this byte.
        static_assert(offsetof(ScalarValue, kind_) == 15);
        return kind_;
    }
    bool is_int() const { return kind() == Kind::Int; }
    bool is_float() const { return kind() == Kind::Float; }
    bool is_bool() const { return kind() == Kind::Bool; }
    bool is_str() const { return kind() == Kind::Str; }
    bool is_null() const { return kind() == Kind::Null; }

    std::int64_t as_int() const { return get<std::int64_t>(); }
    double as_float() const { return get<double>(); }
    bool as_bool() const { return get<bool>(); }
    // The text of a Str; valid while this value lives unchanged.
    TextView as_str() const {
        if (inline_size_ == in_block) return detail::text_block_view(get<char*>());
        return TextView(reinterpret_cast<const char*>(raw_), inline_size_);
    }

    static constexpr std::size_t inline_capacity = 14;

private:
    static constexpr std::uint8_t in_block = 0xFF;

    explicit ScalarValue(Kind k) : kind_(k) {}
    bool owns_block() const { return kind_ == Kind::Str && inline_size_ == in_block; }
    void release() noexcept {
        if (owns_block()) detail::text_block_delete(get<char*>());
        kind_ = Kind::Null;
        inline_size_ = 0;
    }
    // Takes over the other's storage; the other is left Null.
    void steal_from(ScalarValue& other) noexcept {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        other.kind_ = Kind::Null;
        other.inline_size_ = 0;
    }
    void copy_from(const ScalarValue& other) {
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        if (other.owns_block()) put(detail::text_block_copy(other.get<char*>()));
    }

    // The payload lives in raw bytes, read and written by copy: an integer, a
    // double, a bool, a block pointer, or the characters of a short string.
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
    std::uint8_t inline_size_ = 0;  // bytes of an in-place Str, or in_block
    Kind kind_ = Kind::Null;
};

static_assert(sizeof(ScalarValue) == 16);

}  // namespace plovarn::types
