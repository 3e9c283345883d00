#include "model/hw_component/sp_reg/trigger_sig.hpp"

#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent {

void TriggerSig::integrity_check(std::string_view owner_name, const ModelArena& model,
                                 const HcpIdent& own, int32_t own_width) const {
    const std::optional<HcpIdent> self = own;
    auto check = [&](const HcpIdent& sig) {
        check_ident_bit_size(model, sig, 1, owner_name, self, own_width);
    };
    for_each_present(check);
    for (const TriggerDepend& d : depend_list) {
        check(d.sig);
        if (d.guard) check(*d.guard);
    }
}

}  // namespace vorlent
