#pragma once

// A stable merge sort of an index array that stays within bounds whatever the
// comparison answers. Comparisons of Python objects may be inconsistent (a NaN,
// a __lt__ that returns anything, every pair "equal" after a failure), which the
// standard algorithms are allowed to punish with reads past the ends.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace plovarn::types {

template <class Less>
void stable_merge_sort(std::vector<std::size_t>& order, Less less) {
    const std::size_t n = order.size();
    if (n < 2) return;
    constexpr std::size_t run = 16;

    // Binary insertion into short runs: few comparisons, each one costly.
    for (std::size_t lo = 0; lo < n; lo += run) {
        const std::size_t hi = std::min(lo + run, n);
        for (std::size_t i = lo + 1; i < hi; ++i) {
            const std::size_t x = order[i];
            std::size_t left = lo;
            std::size_t right = i;
            while (left < right) {  // first position whose element x is less than
                const std::size_t mid = left + (right - left) / 2;
                if (less(x, order[mid])) {
                    right = mid;
                } else {
                    left = mid + 1;
                }
            }
            for (std::size_t j = i; j > left; --j) order[j] = order[j - 1];
            order[left] = x;
        }
    }

    std::vector<std::size_t> buffer(n);
    for (std::size_t width = run; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            if (mid >= hi || !less(order[mid], order[mid - 1])) {  // already in order
                std::copy(order.begin() + lo, order.begin() + hi, buffer.begin() + lo);
                continue;
            }
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) buffer[k++] = less(order[j], order[i]) ? order[j++] : order[i++];
            while (i < mid) buffer[k++] = order[i++];
            while (j < hi) buffer[k++] = order[j++];
        }
        order.swap(buffer);
    }
}

}  // namespace plovarn::types
