// Comparison of scalar values, and the box that carries a scalar's written form.

#include <cstring>

#include "types/scalar_value.h"

namespace plovarn::types {

bool ScalarValue::same_value(const ScalarValue& other) const {
    if (kind() != other.kind()) return false;
    switch (kind()) {
        case Kind::Int: return as_int() == other.as_int();
        case Kind::Float: {
            const double a = as_float(), b = other.as_float();
            return std::memcmp(&a, &b, sizeof a) == 0;
        }
        case Kind::Bool: return as_bool() == other.as_bool();
        case Kind::Str: return as_str() == other.as_str();
        case Kind::Null: return true;
    }
    return false;
}

void ScalarValue::set_props(NodeProps props) {
    const SourceStyle kept_style = style();
    ScalarValue plain(value());  // the value alone: never boxed, style unset
    plain.set_style(SourceStyle::Unset);
    if (props.empty()) {
        *this = std::move(plain);
    } else {
        Box* b = new Box{1, std::move(plain), std::move(props)};
        release();
        tag_ = static_cast<std::uint8_t>(static_cast<unsigned>(b->value.kind()) | boxed_bit);
        put(b);
    }
    set_style(kept_style);
}

}  // namespace plovarn::types
