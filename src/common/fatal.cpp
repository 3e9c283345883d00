#include "common/fatal.hpp"

namespace vorlent {

void fatal(std::string message) { throw FatalError(std::move(message)); }

void fatal_assert_cmp(std::string_view op, std::string_view message, std::string_view left,
                      std::string_view right) {
    throw FatalError(format("assertion `left {} right` failed: {}\n  left: {}\n right: {}", op,
                            message, left, right));
}

}  // namespace vorlent
