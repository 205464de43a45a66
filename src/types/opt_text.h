#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace plovarn::types {

// An optional text in one pointer: most entries carry no comment, and two
// std::optional<std::string> would cost 80 bytes per entry. Absent and empty are
// different states. Copies are deep.
class OptText {
public:
    OptText() = default;
    OptText(std::string text) : text_(std::make_unique<std::string>(std::move(text))) {}
    OptText(std::string_view text) : text_(std::make_unique<std::string>(text)) {}
    OptText(const char* text) : text_(std::make_unique<std::string>(text)) {}
    OptText(const OptText& other) : text_(other.text_ ? std::make_unique<std::string>(*other.text_) : nullptr) {}
    OptText(OptText&&) noexcept = default;
    OptText& operator=(const OptText& other) {
        if (this != &other) text_ = other.text_ ? std::make_unique<std::string>(*other.text_) : nullptr;
        return *this;
    }
    OptText& operator=(OptText&&) noexcept = default;
    OptText& operator=(std::string text) {
        text_ = std::make_unique<std::string>(std::move(text));
        return *this;
    }

    bool has_value() const { return text_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    const std::string& operator*() const { return *text_; }
    std::string& operator*() { return *text_; }
    const std::string* operator->() const { return text_.get(); }
    std::string* operator->() { return text_.get(); }
    void reset() { text_.reset(); }

    friend bool operator==(const OptText& a, const OptText& b) {
        if (!a.text_ || !b.text_) return !a.text_ && !b.text_;
        return *a.text_ == *b.text_;
    }
    friend bool operator==(const OptText& a, std::string_view b) { return a.text_ && *a.text_ == b; }
    friend bool operator==(const OptText& a, const char* b) { return a == std::string_view(b); }

private:
    std::unique_ptr<std::string> text_;
};

}  // namespace plovarn::types
