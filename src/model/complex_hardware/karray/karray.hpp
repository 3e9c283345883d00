#pragma once

#include "model/complex_hardware/common/ccp_base.hpp"

namespace vorlent {

class Karray final : public CcpRecord {
public:
    void build(ModelArena& model) override;

    // The placeholder left in the slot while the component is out.
    static Karray arena_default() {
        Karray e;
        e.ident = CcpIdent::make(CcpType::Karray, false, "");
        return e;
    }
};

}  // namespace vorlent
