#include "backends/verilog/hw_component/common/verilog_sensitivity.hpp"

#include "common/fatal.hpp"

namespace vorlent {

std::string sensitivity_list(ClockMode mode, std::optional<std::string_view> clk) {
    switch (mode) {
        case ClockMode::PosEdge:
            if (!clk) fatal("sensitivity_list: PosEdge with no clk source");
            return format("posedge {}", *clk);
        case ClockMode::NegEdge:
            if (!clk) fatal("sensitivity_list: NegEdge with no clk source");
            return format("negedge {}", *clk);
        case ClockMode::ClkFree:
        case ClockMode::ClkUnused:
        case ClockMode::Amt:
            break;
    }
    return "*";
}

}  // namespace vorlent
