#include "backends/verilog/hw_component/common/verilog_literal.hpp"

#include <vector>

#include "common/text.hpp"

namespace vorlent {

std::string width_prefix(int64_t width) {
    if (width < 2) return {};
    return format("[{}:0] ", width - 1);
}

std::string replication_vb(int64_t copies, std::string_view what) {
    std::string out = "{";
    out.append(std::to_string(copies)).append("{").append(what).append("}}");
    return out;
}

std::string zero_fill_vb(int64_t bits) {
    std::vector<std::string> digits;  // lowest weight first
    std::string block = "1'b0";       // 8192^k zeros
    for (;;) {
        const bool last = bits <= VERILOG_REPLICATION_MAX;
        const int64_t digit = last ? bits : bits % VERILOG_REPLICATION_MAX;
        if (digit > 0) digits.push_back(replication_vb(digit, block));
        if (last) break;
        bits /= VERILOG_REPLICATION_MAX;
        block = replication_vb(VERILOG_REPLICATION_MAX, block);
    }
    std::string items;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it)
        items.append(items.empty() ? "" : ", ").append(*it);
    return items;
}

std::string vary_val_to_verilog(const VaryVal& value) {
    if (value.width == 1) {
        const uint64_t bit = value.limbs.empty() ? 0 : value.limbs.front() & 1;
        return format("1'b{}", bit);
    }
    static constexpr char HEX[] = "0123456789abcdef";
    // Every limb, highest first, as 16 digits; then the leading zeros go.
    std::string digits;
    digits.reserve(value.limbs.size() * 16);
    for (auto it = value.limbs.rbegin(); it != value.limbs.rend(); ++it)
        for (int shift = 60; shift >= 0; shift -= 4) digits.push_back(HEX[(*it >> shift) & 0xF]);
    const size_t first = digits.find_first_not_of('0');
    return format("{}'h{}", value.width,
                  first == std::string::npos ? std::string_view("0")
                                             : std::string_view(digits).substr(first));
}

}  // namespace vorlent
