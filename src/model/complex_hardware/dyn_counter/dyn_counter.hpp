#pragma once

#include "model/complex_hardware/common/ccp_base.hpp"

namespace vorlent {

class DynCounter final : public CcpRecord {
public:
    void build(ModelArena& model) override;

    // The placeholder left in the slot while the component is out.
    static DynCounter arena_default() {
        DynCounter e;
        e.ident = CcpIdent::make(CcpType::DynCounter, false, "");
        return e;
    }
};

}  // namespace vorlent
