#pragma once

#include "model/complex_hardware/common/ccp_base.hpp"

namespace vorlent {

class Arb final : public CcpRecord {
public:
    void build(ModelArena& model) override;

    // The placeholder left in the slot while the component is out.
    static Arb arena_default() {
        Arb e;
        e.ident = CcpIdent::make(CcpType::Arb, false, "");
        return e;
    }
};

}  // namespace vorlent
