// FIFO of scanned tokens: tokens are taken from the front, appended at the back
// and, for implicit keys, inserted near the front. Tokens live in a pool of
// slots that is reused, never shrunk: the queue itself orders slot numbers, so
// an insertion shifts a few integers instead of whole tokens, and a slot's
// strings keep their capacity for the next token that lands in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scanner/token.h"

namespace plovarn::scanner {

class TokenQueue {
public:
    bool empty() const { return head_ == order_.size(); }
    std::size_t size() const { return order_.size() - head_; }
    Token& front() { return slots_[order_[head_]]; }
    Token& back() { return slots_[order_.back()]; }
    const Token& back() const { return slots_[order_.back()]; }

    // References stay valid until the next emplace_back or insert.
    Token& emplace_back() {
        if (head_ == order_.size()) {
            order_.clear();
            head_ = 0;
        } else if (head_ >= 64 && head_ * 2 >= order_.size()) {
            order_.erase(order_.begin(), order_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        const std::uint32_t s = take_slot();
        order_.push_back(s);
        return slots_[s];
    }
    // The taken token stays readable until the next emplace_back or insert.
    void pop_front() { free_.push_back(order_[head_++]); }
    // Inserts before the token at queue index `p` (0 is the front); p <= size().
    Token& insert(std::size_t p) {
        const std::uint32_t s = take_slot();
        order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(head_ + p), s);
        return slots_[s];
    }

private:
    std::uint32_t take_slot() {
        std::uint32_t s;
        if (free_.empty()) {
            s = static_cast<std::uint32_t>(slots_.size());
            slots_.emplace_back();
        } else {
            s = free_.back();
            free_.pop_back();
        }
        Token& t = slots_[s];
        t.type = TokenType::StreamStart;
        t.mark = Marker{};
        t.style = ScalarStyle::Plain;
        t.major = t.minor = 0;
        t.text.clear();
        t.text2.clear();
        t.source = {};
        return s;
    }

    std::vector<Token> slots_;
    std::vector<std::uint32_t> free_;
    std::vector<std::uint32_t> order_;
    std::size_t head_ = 0;
};

}  // namespace plovarn::scanner
