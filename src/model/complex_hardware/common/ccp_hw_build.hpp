// Small hardware-building steps shared by the complex components.
#pragma once

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// Drives the 1-bit wire `wire` from bit 0 of `src`: one basic clock-free
// event at the fixed internal priority 50, put into the wire's pool. A wire
// of another width stops with the width-rule assertion.
void drive_wire(ModelArena& model, const HcpIdent& wire, const HcpIdent& src);

// dst = sel ? a : b, as one conditional event in `dst`'s pool at `dst`'s own
// assignment priority. `a` and `b` are read whole and must be as wide as `dst`.
void mux_into_wire(ModelArena& model, const HcpIdent& dst, const HcpIdent& a, const HcpIdent& b,
                   const HcpIdent& sel);

}  // namespace vorlent
