#pragma once

#include <string>
#include <string_view>

namespace plovarn::types {

// A read-only view of text stored in the tree. It is a string_view, plus the
// concatenations that code written against std::string fields relies on.
class TextView : public std::string_view {
public:
    using std::string_view::string_view;
    constexpr TextView(std::string_view v) noexcept : std::string_view(v) {}
    operator std::string() const { return std::string(data(), size()); }
};

inline std::string operator+(TextView a, TextView b) {
    std::string out;
    out.reserve(a.size() + b.size());
    return out.append(a).append(b);
}
inline std::string operator+(TextView a, const char* b) { return a + TextView(b); }
inline std::string operator+(const char* a, TextView b) { return TextView(a) + b; }
inline std::string operator+(TextView a, const std::string& b) { return a + TextView(b); }
inline std::string operator+(std::string a, TextView b) { return std::move(a.append(b)); }

}  // namespace plovarn::types
