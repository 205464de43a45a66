#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace plovarn::types::detail {

// Destroys tree levels one after another instead of one inside another, so that
// freeing a deeply nested tree needs no native stack in proportion to its depth:
// a level whose last handle goes while another level is being destroyed is queued
// and freed by the outermost release.
class Reaper {
public:
    using Deleter = void (*)(void*);
    static void dispose(void* box, Deleter deleter) {
        Reaper& r = instance();
        if (r.busy_) {
            r.queue_.emplace_back(box, deleter);
            return;
        }
        r.busy_ = true;
        deleter(box);
        while (!r.queue_.empty()) {
            auto [next, next_deleter] = r.queue_.back();
            r.queue_.pop_back();
            next_deleter(next);
        }
        r.busy_ = false;
    }

private:
    static Reaper& instance() {
        thread_local Reaper reaper;
        return reaper;
    }
    bool busy_ = false;
    std::vector<std::pair<void*, Deleter>> queue_;
};

// Shared, copy-on-write storage for one level of the node tree. Copies share the
// box; the first mutable access through a shared handle clones this level only
// (the children inside are handles themselves, so they stay shared).
//
// The count is not atomic: the tree is used by one thread at a time (the module
// runs with the interpreter lock held).
template <class T>
class Cow {
public:
    Cow() = default;
    explicit Cow(T value) : box_(new Box{1, std::move(value)}) {}
    Cow(const Cow& other) noexcept : box_(other.box_) { retain(); }
    Cow(Cow&& other) noexcept : box_(std::exchange(other.box_, nullptr)) {}
    Cow& operator=(const Cow& other) noexcept {
        Cow copy(other);
        swap(copy);
        return *this;
    }
    Cow& operator=(Cow&& other) noexcept {
        Cow moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~Cow() { release(); }

    void swap(Cow& other) noexcept { std::swap(box_, other.box_); }

    bool empty() const { return box_ == nullptr; }
    // Read access; null when nothing was ever stored.
    const T* get() const { return box_ ? &box_->value : nullptr; }
    // Write access: allocates on first use, clones when shared.
    T& mut() {
        if (!box_) {
            box_ = new Box{1, T{}};
        } else if (box_->refs > 1) {
            Box* fresh = new Box{1, box_->value};
            --box_->refs;
            box_ = fresh;
        }
        return box_->value;
    }
    bool shared() const { return box_ && box_->refs > 1; }

    // Moves the value out when this handle is its only owner, copies it otherwise;
    // the handle is left empty.
    T take() {
        if (!box_) return T{};
        T out = box_->refs == 1 ? std::move(box_->value) : box_->value;
        release();
        box_ = nullptr;
        return out;
    }

private:
    struct Box {
        std::size_t refs;
        T value;
    };
    void retain() noexcept {
        if (box_) ++box_->refs;
    }
    void release() noexcept {
        if (box_ && --box_->refs == 0) Reaper::dispose(box_, [](void* b) { delete static_cast<Box*>(b); });
    }
    Box* box_ = nullptr;
};

}  // namespace plovarn::types::detail
