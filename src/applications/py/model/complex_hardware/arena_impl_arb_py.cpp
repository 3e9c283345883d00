// ModelArena methods that make and wire arbiters. Every method but mk_arb
// takes the arbiter out of its arena and puts it back, so each one, the
// reads included, draws one global id.
#include <optional>
#include <vector>

#include "applications/py/model/arena_method_families.hpp"
#include "applications/py/model/complex_hardware/arena_impl_ccp_py.hpp"
#include "applications/py/model/hw_component/arena_impl_hwc_py.hpp"
#include "applications/py/model/model_arena_py.hpp"
#include "applications/py/runtime/accessed.hpp"
#include "model/complex_hardware/arb/arena_factory_arb.hpp"
#include "model/complex_hardware/arb/arena_impl_arb.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent::py {

namespace {

CheckResult check_arb(const CcpIdent& arb_i) {
    return check_ccp_kind("arb_i", arb_i, CcpType::Arb);
}

Result<CcpIdent> mk_arb(ModelArena& m, std::string_view name, uint32_t policy) {
    if (auto err = check_enum_index("ArbSamePriPolicy", policy, ARB_SAME_PRI_POLICY_COUNT))
        return *err;
    return make_arb(m, true, name, ArbSamePriPolicy(policy));
}

Result<size_t> py_arb_add_leaf(ModelArena& m, const CcpIdent& arb_i, int32_t priority) {
    if (auto err = check_arb(arb_i)) return *err;
    return arb_add_leaf(m, arb_i, priority);
}

Result<size_t> py_arb_add_leaf_locked(ModelArena& m, const CcpIdent& arb_i, int32_t priority,
                                      uint32_t channel) {
    if (auto err = check_arb(arb_i)) return *err;
    if (auto err = check_enum_index("ArbLockedChannel", channel, ARB_LOCKED_CHANNEL_COUNT))
        return *err;
    return arb_add_leaf_locked(m, arb_i, priority, ArbLockedChannel(channel));
}

// The three 1-bit inputs: the condition check runs before the model changes,
// so the setters' own width assertions are never reached from here.
template <FixedString Sig, auto Setter>
CheckResult py_arb_set_cond(ModelArena& m, const CcpIdent& arb_i, const Reads<HcpIdent>& cond_i,
                            std::optional<Slice> cond_slice) {
    using S = Signature<Sig>;
    if (auto err = check_arb(arb_i)) return err;
    if (auto err = check_cond_width(m, S::name, S::params[2].name, cond_i, cond_slice)) return err;
    Setter(m, arb_i, cond_i, cond_slice);
    return std::nullopt;
}

template <FixedString Sig, auto Setter>
PyMethodDef arb_cond_method() {
    return arena_method<Sig, &py_arb_set_cond<Sig, Setter>, Describes::Behaviour>();
}

CheckResult py_arb_lock_master_ack(ModelArena& m, const CcpIdent& arb_i) {
    if (auto err = check_arb(arb_i)) return err;
    arb_lock_master_ack(m, arb_i);
    return std::nullopt;
}

Result<size_t> py_arb_leaf_count(ModelArena& m, const CcpIdent& arb_i) {
    if (auto err = check_arb(arb_i)) return *err;
    return arb_leaf_count(m, arb_i);
}

template <auto Read>
Result<HcpIdent> py_arb_leaf_signal(ModelArena& m, const CcpIdent& arb_i, size_t idx) {
    if (auto err = check_arb(arb_i)) return *err;
    return Read(m, arb_i, idx);
}

Result<HcpIdent> py_arb_get_master_req_wire(ModelArena& m, const CcpIdent& arb_i) {
    if (auto err = check_arb(arb_i)) return *err;
    return arb_master_req(m, arb_i);
}

}  // namespace

std::vector<PyMethodDef> arb_methods() {
    return {
        arena_maker<"mk_arb($self, name, policy)", &mk_arb, CcpType::Arb, Describes::Behaviour>(),
        arena_method<"arb_add_leaf($self, arb_i, priority)", &py_arb_add_leaf,
                     Describes::Behaviour>(),
        arena_method<"arb_add_leaf_locked($self, arb_i, priority, channel)",
                     &py_arb_add_leaf_locked, Describes::Behaviour>(),
        arb_cond_method<"arb_set_hold($self, arb_i, cond_i, cond_slice=None)",
                        &arb_set_user_hold>(),
        arb_cond_method<"arb_set_reset($self, arb_i, cond_i, cond_slice=None)",
                        &arb_set_user_reset>(),
        arb_cond_method<"arb_set_master_ack($self, arb_i, src_i, src_slice=None)",
                        &arb_set_master_ack>(),
        arena_method<"arb_lock_master_ack($self, arb_i)", &py_arb_lock_master_ack,
                     Describes::Behaviour>(),
        arena_method<"arb_leaf_count($self, arb_i)", &py_arb_leaf_count>(),
        arena_method<"arb_get_leaf_req_wire($self, arb_i, idx)",
                     &py_arb_leaf_signal<&arb_leaf_req>>(),
        arena_method<"arb_get_leaf_ack_wire($self, arb_i, idx)",
                     &py_arb_leaf_signal<&arb_leaf_ack>>(),
        arena_method<"arb_get_master_req_wire($self, arb_i)", &py_arb_get_master_req_wire>(),
    };
}

}  // namespace vorlent::py
