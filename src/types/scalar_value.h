#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace plovarn::types {

// A resolved scalar. The alternatives stand in this order: Int, Float, Bool, Str, Null.
class ScalarValue {
public:
    enum class Kind : std::uint8_t { Int, Float, Bool, Str, Null };

    ScalarValue() : value_(std::monostate{}) {}

    static ScalarValue make_int(std::int64_t v) { return ScalarValue(Storage(std::in_place_index<0>, v)); }
    static ScalarValue make_float(double v) { return ScalarValue(Storage(std::in_place_index<1>, v)); }
    static ScalarValue make_bool(bool v) { return ScalarValue(Storage(std::in_place_index<2>, v)); }
    static ScalarValue make_str(std::string v) { return ScalarValue(Storage(std::in_place_index<3>, std::move(v))); }
    static ScalarValue make_null() { return ScalarValue(); }

    // Resolution of plain scalar text: null, boolean, integer, float or string.
    static ScalarValue from_str(std::string_view text);

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool is_int() const { return kind() == Kind::Int; }
    bool is_float() const { return kind() == Kind::Float; }
    bool is_bool() const { return kind() == Kind::Bool; }
    bool is_str() const { return kind() == Kind::Str; }
    bool is_null() const { return kind() == Kind::Null; }

    std::int64_t as_int() const { return std::get<0>(value_); }
    double as_float() const { return std::get<1>(value_); }
    bool as_bool() const { return std::get<2>(value_); }
    const std::string& as_str() const { return std::get<3>(value_); }
    std::string& as_str() { return std::get<3>(value_); }

private:
    using Storage = std::variant<std::int64_t, double, bool, std::string, std::monostate>;
    explicit ScalarValue(Storage v) : value_(std::move(v)) {}
    Storage value_;
};

}  // namespace plovarn::types
