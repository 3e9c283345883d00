// Handing hardware components out of their arenas as Verilog emitters.
#pragma once

#include <string>

#include "backends/verilog/hw_component/expression_vb.hpp"
#include "backends/verilog/hw_component/io_wire_vb.hpp"
#include "backends/verilog/hw_component/mem_vb.hpp"
#include "backends/verilog/hw_component/reg_vb.hpp"
#include "backends/verilog/hw_component/val_vb.hpp"
#include "model/hw_component/hcp_kinds.hpp"

namespace vorlent {

using TakenHcpVb = KindRecords<HwComponentType>::map<VbEmitterOf>::apply<TakenVbAny, HcpBaseVb>;

// Takes the component out of the arena its kind selects. NEST stops with
// "take_hcp_vb: Nest not yet ported to Verilog backend".
TakenHcpVb take_hcp_vb(ModelArena& model, const HcpIdent& ident);

}  // namespace vorlent
