// Shared helpers of the C++ tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fatal.hpp"

// Runs `stmt` and returns the message of the fatal error it stops with, or
// "<no fatal error>" when it completes.
#define FATAL_MESSAGE(stmt)                      \
    ([&]() -> std::string {                      \
        try {                                    \
            stmt;                                \
        } catch (const vorlent::FatalError& e) { \
            return std::string(e.message());     \
        }                                        \
        return "<no fatal error>";               \
    }())

#define EXPECT_FATAL(stmt, msg) EXPECT_EQ(FATAL_MESSAGE(stmt), std::string(msg))

// The absolute names of identities of any kinds, to compare in one go.
template <class... Ids>
std::vector<std::string> abs_names(const Ids&... ids) {
    return {std::string(ids.abs_name())...};
}
