// The element record of a Karray: named fields of fixed widths.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorlent {

struct KarrayField {
    std::string name;
    int32_t width = 0;  // at least 1

    friend bool operator==(const KarrayField&, const KarrayField&) = default;
};

// Field names need not be distinct: every lookup by name takes the first.
struct KarrayType {
    std::vector<KarrayField> fields;

    // The fields in order; a width below 1 stops with "KarrayType: field '{}'
    // width must be positive, got {}".
    static KarrayType make(const std::vector<std::pair<std::string, int32_t>>& fields);
};

}  // namespace vorlent
