// FIFO of scanned tokens that reuses its storage: tokens are taken from the
// front, appended at the back and, for implicit keys, inserted near the front.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "scanner/token.h"

namespace plovarn::scanner {

class TokenQueue {
public:
    bool empty() const { return head_ == items_.size(); }
    std::size_t size() const { return items_.size() - head_; }
    Token& front() { return items_[head_]; }
    Token& back() { return items_.back(); }
    const Token& back() const { return items_.back(); }

    Token& emplace_back() {
        if (head_ == items_.size()) {
            // Empty: start over at the beginning of the storage.
            items_.clear();
            head_ = 0;
        } else if (head_ >= 64 && head_ * 2 >= items_.size()) {
            // Taken tokens fill the front half: drop them, amortised O(1).
            items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        return items_.emplace_back();
    }
    void push_back(Token token) { emplace_back() = std::move(token); }
    void pop_front() { ++head_; }
    // Inserts before the token at queue index `p` (0 is the front); p <= size().
    void insert(std::size_t p, Token token) {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(head_ + p), std::move(token));
    }

private:
    std::vector<Token> items_;
    std::size_t head_ = 0;
};

}  // namespace plovarn::scanner
