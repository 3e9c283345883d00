// An accumulating counter described step by step: each `add` extends a chain
// of combinational sums (optionally enabled) starting from the counter
// register, and `update` commits the chain into the register with an
// ordinary assignment in the current flow scope. Everything is built at
// once; build_flow has nothing left to do.
#pragma once

#include <optional>
#include <string_view>

#include "common/error_text.hpp"
#include "model/complex_hardware/common/ccp_base.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class DynCounter final : public CcpRecord {
public:
    HcpIdent reg;  // "{name}_CNT", the counter's width
    // The running value the next update commits; none after an update.
    OptIdent<HcpIdent> pending;
    int32_t width = 0;
    // Numbers the names of the adds; a refused add uses up its number too.
    uint32_t add_count = 0;

    // A width below 1 stops with "DynCounter::new: width must be >= 1, got {}"
    // before anything is made. The register first, then the identity. Not
    // inserted.
    static DynCounter make(ModelArena& model, bool is_user_com, std::string_view name,
                           int32_t width);

    // running + addend as "{name}_ADD{k}"; with an enable, the wire
    // "{name}_ST{k}" that takes that sum when the enable is 1 and the old
    // running value otherwise. Returns the new running value, or the error
    // text of an enable that is not 1 bit wide (the sum is made by then).
    Result<HcpIdent> add(const HcpIdent& addend, const std::optional<HcpIdent>& enable,
                         ModelArena& model);
    // Assigns the running value to the register in the current scope.
    CheckResult update(ModelArena& model);

    // The pending running value, else the register.
    const HcpIdent& now() const { return pending ? *pending : reg; }
    std::string_view name() const { return ident.ident_base.rel_name(); }

    void build(ModelArena& model) override;

    static DynCounter arena_default() { return placeholder_of<DynCounter>(CcpType::DynCounter); }
};

}  // namespace vorlent
