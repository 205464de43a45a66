// Early return on a failed scanner step.
#pragma once

#include <expected>
#include <utility>

#define SCAN_TRY(expr)                                                     \
    do {                                                                   \
        if (auto scan_try_result_ = (expr); !scan_try_result_)             \
            return std::unexpected(std::move(scan_try_result_.error()));   \
    } while (false)
