// Reading a special register's events back in a comparable form: priority,
// the condition (split into its two operands when it is the AND that the
// event factory makes of two conditions), source and ranges.
#pragma once

#include <ostream>
#include <vector>

#include "hcp_test_support.hpp"
#include "model/hw_component/sp_reg/trigger_sig.hpp"

namespace vorlent::testing {

struct Ev {
    int32_t pri = 0;
    std::vector<HcpIdent> conds;
    HcpIdent src;
    Slice des;
    Slice src_range;

    friend bool operator==(const Ev&, const Ev&) = default;
};

inline void PrintTo(const Ev& e, std::ostream* os) {
    *os << "{pri " << e.pri << ", conds [";
    for (const auto& c : e.conds) *os << c.abs_name() << " ";
    *os << "], src " << e.src.abs_name() << ", des [" << e.des.start << ", " << e.des.stop
        << "), src [" << e.src_range.start << ", " << e.src_range.stop << ")}";
}

inline const UeBasic& leaf_of(const ModelArena& m, const UpdateEventIdent& ue,
                              std::vector<HcpIdent>* conds) {
    if (ue.kind == UeType::Basic) return m.arena<UeBasic>().get(ue.handle());
    const UeCond& c = m.arena<UeCond>().get(ue.handle());
    EXPECT_EQ(c.conds.size(), 1u);
    const HcpIdent& cond = *c.conds.at(0);
    const Expression* and_of_two = cond.hw_type == HwComponentType::Expression
                                       ? &m.arena<Expression>().get(cond.handle())
                                       : nullptr;
    if (and_of_two && cond.ident_base.rel_name() == "cond_dis_expr") {
        conds->push_back(*and_of_two->operand_a);
        conds->push_back(*and_of_two->operand_b);
    } else {
        conds->push_back(cond);
    }
    return leaf_of(m, *c.sub_stmts.at(0), conds);
}

inline Ev view_event(const ModelArena& m, const UpdateEventIdent& ue) {
    Ev e;
    e.pri = get_ue_common(m, ue).priority;
    const UeBasic& b = leaf_of(m, ue, &e.conds);
    e.src = b.src;
    e.des = Slice{b.des_start, b.des_stop};
    e.src_range = Slice{b.src_start, b.src_stop};
    return e;
}

// The absolute names of the system-made components of the traced module
// with a global id of at least `from`, in id order.
inline std::vector<std::string> system_made_since(const TracedModel& t, uint64_t from) {
    std::vector<HcpIdent> all;
    for (const auto& list : t.module().system_hcps)
        for (const auto& h : list)
            if (h.global_id() >= from) all.push_back(h);
    std::sort(all.begin(), all.end(),
              [](const HcpIdent& a, const HcpIdent& b) { return a.global_id() < b.global_id(); });
    std::vector<std::string> names;
    for (const auto& h : all) names.emplace_back(h.abs_name());
    return names;
}

// A traced model with one 1-bit wire per control input and two predecessors,
// the second guarded; full_sig() is all of them as a register's triggers.
struct ControlWires : TracedModel {
    HcpIdent hold_w = make_wire(m, false, "hold", 1);
    HcpIdent rst_w = make_wire(m, false, "rst", 1);
    HcpIdent mrst_w = make_wire(m, false, "mrst", 1);
    HcpIdent clk_w = make_wire(m, false, "clk", 1);
    HcpIdent d0_w = make_wire(m, false, "d0", 1);
    HcpIdent d1_w = make_wire(m, false, "d1", 1);
    HcpIdent g1 = make_wire(m, false, "g1", 1);

    TriggerSig full_sig() const {
        TriggerSig s;
        s.set_hold(hold_w);
        s.set_int_reset(rst_w);
        s.set_mrst(mrst_w);
        s.set_clk(clk_w);
        s.push_depend_node(d0_w, std::nullopt);
        s.push_depend_node(d1_w, g1);
        return s;
    }
    const Expression& expr(const HcpIdent& e) const {
        return m.arena<Expression>().get(e.handle());
    }
};

}  // namespace vorlent::testing
