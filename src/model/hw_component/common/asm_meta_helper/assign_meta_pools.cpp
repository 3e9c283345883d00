#include "model/hw_component/common/asm_meta_helper/assign_meta_pools.hpp"

#include <algorithm>

#include "model/arena_insert.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/hw_component/update_event/arena_factory_update_event.hpp"
#include "model/hw_component/update_event/arena_impl_update_event.hpp"

namespace vorlent {

namespace {

// Events fold together when they agree on priority, clock mode and clock
// source. Read in place: taking an event out draws no id, so reading its
// common part is the same test.
bool joinable(const ModelArena& model, const UpdateEventIdent& a, const UpdateEventIdent& b) {
    const UeCommon& ca = get_ue_common(model, a);
    const UeCommon& cb = get_ue_common(model, b);
    return ca.priority == cb.priority && ca.clk_mode == cb.clk_mode && ca.clk_src_i == cb.clk_src_i;
}

const std::optional<UpdateEventIdent>* first_present(
    const std::vector<std::optional<UpdateEventIdent>>& events) {
    for (const auto& e : events)
        if (e) return &e;
    return nullptr;
}

// A group's reference event, its first present one; `beside` is the length of
// the list kept in step with its events, checked with `mismatch`.
std::optional<UpdateEventIdent> reference_event(
    size_t beside, const std::vector<std::optional<UpdateEventIdent>>& events,
    std::string_view mismatch) {
    assert_eq(beside, events.size(), mismatch);
    const auto* first = first_present(events);
    return first ? *first : std::nullopt;
}

// The common frame of insert_asms: every existing group takes at most one
// matching meta (same destination, joinable with the group's reference
// event); the rest start new groups, in order.
template <class Group, class Reference, class Record, class Start>
void insert_into_groups(ModelArena& model, std::vector<Group>& groups,
                        std::vector<AssignMeta> working, Reference reference_of, Record record,
                        Start start) {
    for (Group& g : groups) {
        const std::optional<UpdateEventIdent> ref = reference_of(g);
        std::optional<AssignMeta> match;
        if (ref) {
            for (auto it = working.begin(); it != working.end(); ++it) {
                if (it->des == g.des && joinable(model, it->cur_ue, *ref)) {
                    match = std::move(*it);
                    working.erase(it);
                    break;
                }
            }
        }
        record(g, match);
    }
    for (AssignMeta& m : working) groups.push_back(start(m));
}

// The reference values of a compound event: those of its first present
// member, or priority 0, ClkUnused and no clock source.
UeCommon reference_common(const ModelArena& model, const std::optional<UpdateEventIdent>* first) {
    UeCommon c;
    c.priority = 0;
    c.clk_mode = ClockMode::ClkUnused;
    if (first) {
        const UeCommon& r = get_ue_common(model, **first);
        c.priority = r.priority;
        c.clk_mode = r.clk_mode;
        c.clk_src_i = r.clk_src_i;
    }
    return c;
}

// A fresh compound event's common part before its members set it.
UeCommon unset_common(UeType t) {
    UeCommon c;
    c.priority = DEFAULT_UE_PRI_USER;
    c.clk_mode = ClockMode::ClkUnused;
    c.ue_type = t;
    return c;
}

AssignMeta folded_meta(const HcpIdent& des, const UpdateEventIdent& ue) {
    return AssignMeta{des, std::nullopt, ue, ue, ClockMode::ClkUnused};
}

}  // namespace

void AssignMetaIfPool::insert_asms(ModelArena& model, const std::optional<HcpIdent>& cond,
                                   const HcpIdent& enable, const std::vector<AssignMeta>& metas) {
    insert_into_groups(
        model, groups_, std::vector<AssignMeta>(metas.begin(), metas.end()),
        [](AssignMetaIfGroup& g) -> std::optional<UpdateEventIdent> {
            return reference_event(g.cond_rel_vecs.size(), g.update_events,
                                   "the number of cond and ue should match");
        },
        [&](AssignMetaIfGroup& g, const std::optional<AssignMeta>& match) {
            g.update_events.push_back(match ? std::optional(match->cur_ue) : std::nullopt);
            if (g.after_head)
                g.cond_rel_vecs.push_back(enable);
            else if (cond)
                g.cond_rel_vecs.push_back(cond);
            g.branch_conds.push_back(enable);
        },
        [&](const AssignMeta& m) {
            return AssignMetaIfGroup{m.des, {enable}, {enable}, {m.cur_ue}, branches_ > 0};
        });
    ++branches_;
}

std::vector<AssignMeta> AssignMetaIfPool::gen_assign_metas(ModelArena& model) const {
    std::vector<AssignMeta> out;
    for (const auto& g : groups_) out.push_back(g.gen_assign_meta(model));
    return out;
}

AssignMeta AssignMetaIfGroup::gen_assign_meta(ModelArena& model) const {
    const size_t u = update_events.size();
    const size_t c = cond_rel_vecs.size();
    if (u != c && u != c + 1)
        fatal(
            format("update_events length ({}) must equal cond_rel_vecs length ({}) or be exactly 1 "
                   "more (else branch)",
                   u, c));
    UeCond ue;
    ue.ident = UpdateEventIdent::make(UeType::Cond);
    ue.common = unset_common(UeType::Cond);
    const UeCommon reference = reference_common(model, first_present(update_events));
    for (size_t i = 0; i < u; ++i)
        ue.add_branch(i < c ? cond_rel_vecs[i] : std::nullopt, update_events[i], reference);
    return folded_meta(des, insert_ue(model, std::move(ue)));
}

void AssignMetaSwitchPool::insert_asms(ModelArena& model, const HcpIdent& selector,
                                       int32_t match_val, const std::vector<AssignMeta>& metas) {
    insert_into_groups(
        model, groups_, metas,
        [](AssignMetaSwitchGroup& g) -> std::optional<UpdateEventIdent> {
            return reference_event(g.match_vals.size(), g.update_events,
                                   "match_vals and update_events length must match");
        },
        [&](AssignMetaSwitchGroup& g, const std::optional<AssignMeta>& match) {
            g.match_vals.push_back(match_val);
            g.update_events.push_back(match ? std::optional(match->cur_ue) : std::nullopt);
        },
        [&](const AssignMeta& m) {
            return AssignMetaSwitchGroup{m.des, selector, {match_val}, {m.cur_ue}, match_vals_};
        });
    match_vals_.push_back(match_val);
}

std::vector<AssignMeta> AssignMetaSwitchPool::gen_assign_metas(ModelArena& model) const {
    std::vector<AssignMeta> out;
    for (const auto& g : groups_) out.push_back(g.gen_assign_meta(model));
    return out;
}

AssignMeta AssignMetaSwitchGroup::gen_assign_meta(ModelArena& model) const {
    assert_eq(match_vals.size(), update_events.size(),
              format("match_vals length ({}) must equal update_events length ({})",
                     match_vals.size(), update_events.size()));
    UeSwitch ue;
    ue.ident = UpdateEventIdent::make(UeType::Switch);
    ue.common = unset_common(UeType::Switch);
    ue.selector = selector;
    for (size_t i = 0; i < match_vals.size(); ++i) {
        if (!ue.common_set) {
            const UeCommon r = reference_common(model, first_present(update_events));
            ue.common.priority = r.priority;
            ue.common.clk_mode = r.clk_mode;
            ue.common.clk_src_i = r.clk_src_i;
            ue.common_set = true;
        }
        const bool shadowed = std::ranges::find(earlier_vals, match_vals[i]) != earlier_vals.end();
        ue.sub_stmt_idxs.push_back(match_vals[i]);
        ue.sub_stmts.push_back(shadowed ? std::nullopt : update_events[i]);
    }
    return folded_meta(des, insert_ue(model, std::move(ue)));
}

void AssignMetaGrpPool::insert_asms(ModelArena& model, const AssignMetaList& metas) {
    insert_into_groups(
        model, groups_, std::vector<AssignMeta>(metas.begin(), metas.end()),
        [](AssignMetaGrpGroup& g) -> std::optional<UpdateEventIdent> {
            if (g.update_events.empty())
                fatal("update_events must be initialised before try_push_event");
            return g.update_events.front();
        },
        [](AssignMetaGrpGroup& g, const std::optional<AssignMeta>& match) {
            if (match) g.update_events.push_back(match->cur_ue);
        },
        [](const AssignMeta& m) {
            return AssignMetaGrpGroup{m.des, {m.cur_ue}};
        });
}

std::vector<AssignMeta> AssignMetaGrpPool::gen_assign_metas(ModelArena& model) const {
    std::vector<AssignMeta> out;
    for (const auto& g : groups_) out.push_back(g.gen_assign_meta(model));
    return out;
}

AssignMeta AssignMetaGrpGroup::gen_assign_meta(ModelArena& model) const {
    if (update_events.empty())
        fatal("update_events must have at least one entry (first_ue from construction)");
    UeGrp ue;
    ue.ident = UpdateEventIdent::make(UeType::Grp);
    const UeCommon& first = get_ue_common(model, update_events.front());
    ue.common.priority = first.priority;
    ue.common.clk_mode = first.clk_mode;
    ue.common.clk_src_i = first.clk_src_i;
    ue.common.ue_type = UeType::Grp;
    ue.events = update_events;
    return folded_meta(des, insert_ue(model, std::move(ue)));
}

}  // namespace vorlent
