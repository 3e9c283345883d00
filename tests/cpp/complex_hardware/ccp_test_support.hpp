// Shared helpers of the complex-component and arbitrated-block tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"
#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

namespace vorlent::testing {

// Evaluates a 1-bit signal of built logic. Signals listed in `inputs` (by
// global id) take the given value; a constant its value; an expression its
// operation; a wire the source of the one event that drives it at the
// internal priority 50. Anything else is an error of the test.
class LogicEval {
public:
    LogicEval(const ModelArena& m, std::map<uint64_t, bool> inputs)
        : m_(m), inputs_(std::move(inputs)) {}

    bool operator()(const HcpIdent& h) const {
        if (auto it = inputs_.find(h.global_id()); it != inputs_.end()) return it->second;
        switch (h.hw_type) {
            case HwComponentType::Val:
                return m_.arena<Val>().get(h.handle()).value.limbs.at(0) & 1;
            case HwComponentType::Expression:
                return expression(m_.arena<Expression>().get(h.handle()));
            case HwComponentType::Wire:
                return (*this)(driver(h));
            default:
                break;
        }
        ADD_FAILURE() << "no value for " << h.abs_name();
        return false;
    }

    // The source of the one priority-50 event of a driven wire.
    HcpIdent driver(const HcpIdent& wire) const {
        std::vector<HcpIdent> sources;
        for (const UpdateEventIdent& ue : get_hcp_assign(m_, wire).get_update_pool().events)
            if (ue.kind == UeType::Basic && get_ue_common(m_, ue).priority == 50)
                sources.push_back(m_.arena<UeBasic>().get(ue.handle()).src);
        if (sources.size() != 1) {
            ADD_FAILURE() << wire.abs_name() << " has " << sources.size() << " drivers";
            return wire;
        }
        return sources[0];
    }

private:
    bool expression(const Expression& e) const {
        const bool a = (*this)(*e.operand_a);
        switch (e.op) {
            case LogicOp::Assign:
                return a;  // a pseudo node's wrapper
            case LogicOp::BitwiseInvr:
                return !a;
            case LogicOp::BitwiseAnd:
                return a && (*this)(*e.operand_b);
            case LogicOp::BitwiseOr:
                return a || (*this)(*e.operand_b);
            default:
                ADD_FAILURE() << "unexpected op in " << e.ident.abs_name();
                return false;
        }
    }

    const ModelArena& m_;
    std::map<uint64_t, bool> inputs_;
};

}  // namespace vorlent::testing
