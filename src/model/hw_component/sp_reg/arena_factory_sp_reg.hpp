// Making the special registers. Each is system-made: inserted into its
// arena and stamped to the traced module (or parked in the pending list
// during build_flow). Each returns the register's identity.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// The constants "{name}_SET" and "{name}_UNSET", then the 1-bit register.
HcpIdent make_state_reg(ModelArena& model, std::string_view name);
// A 1-bit register waiting on bits [cond_start, cond_stop) of `cond`.
HcpIdent make_cond_wait_state_reg(ModelArena& model, std::string_view name, const HcpIdent& cond,
                                  uint32_t cond_start, uint32_t cond_stop);
// The 1-bit constant "{name}_END_CNT", then ("wait_cycle must be positive"
// otherwise, with the constant already made) a register of
// floor(log2(2 * wait_cycle + 1)) + 1 bits.
HcpIdent make_cycle_wait_state_reg(ModelArena& model, std::string_view name, int32_t wait_cycle);
// A counter of max(1, ceil(log2(max_cycle))) bits; CntReg::make's checks.
HcpIdent make_cnt_reg(ModelArena& model, std::string_view name, int32_t inc_val, int32_t max_cycle);
// A register of `size` one-bit slots ("SyncReg size must be positive"
// before anything is made).
HcpIdent make_sync_reg(ModelArena& model, std::string_view name, int32_t size);

}  // namespace vorlent
