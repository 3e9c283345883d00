#include "model/controller/clock_mode.hpp"

namespace vorlent {

std::string_view clock_mode_debug_name(ClockMode m) {
    switch (m) {
        case ClockMode::PosEdge:
            return "PosEdge";
        case ClockMode::NegEdge:
            return "NegEdge";
        case ClockMode::ClkFree:
            return "ClkFree";
        case ClockMode::ClkUnused:
            return "ClkUnused";
        case ClockMode::Amt:
            return "Amt";
    }
    return "Amt";
}

}  // namespace vorlent
