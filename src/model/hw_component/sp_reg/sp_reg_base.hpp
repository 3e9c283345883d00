// What the five special registers share as assignment destinations: they are
// clocked on the positive edge and their assignments take the internal
// priority 50. Their control inputs and support signals are their own.
#pragma once

#include "model/controller/asm_mode.hpp"
#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

class SpRegBase : public HcpRecord {
public:
    ClockMode retrieve_clk_mode() const final { return ClockMode::PosEdge; }
    int32_t get_priority() const final { return DEFAULT_UE_PRI_INTERNAL_MIN; }

protected:
    using HcpRecord::HcpRecord;
    SpRegBase() = default;
};

// The refusal of a special register that is driven only by its own events.
[[noreturn]] void refuse_sp_reg_do_asm(std::string_view kind);

}  // namespace vorlent
