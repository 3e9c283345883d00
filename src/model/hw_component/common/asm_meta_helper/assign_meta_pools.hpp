// Folding several assignments to one destination into one compound event:
// the branches of a zero-delay if chain (UeCond), the cases of a zero-delay
// switch (UeSwitch), or the bodies a block flattens into one node (UeGrp).
// A pool receives one insert_asms call per branch, case or body and groups
// the assignments by destination; gen_assign_metas then makes one event and
// one AssignMeta per group.
#pragma once

#include <optional>
#include <vector>

#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"

namespace vorlent {

class ModelArena;

struct AssignMetaIfGroup {
    HcpIdent des;
    // The conditions the fold tests in turn. A group started by the head:
    // the head's condition, then the condition of each later branch that had
    // one (an else adds none and becomes the fold's else). A group started
    // by a later branch: the enable of every branch from that one on, the
    // else's too, since a bare condition would let a later branch write
    // although an earlier one of the chain was taken.
    std::vector<std::optional<HcpIdent>> cond_rel_vecs;
    std::vector<HcpIdent> branch_conds;                          // the enable of every branch
    std::vector<std::optional<UpdateEventIdent>> update_events;  // one per branch
    bool after_head = false;  // started by a branch after the head

    AssignMeta gen_assign_meta(ModelArena& model) const;
};

struct AssignMetaSwitchGroup {
    HcpIdent des;
    HcpIdent selector;
    std::vector<int32_t> match_vals;
    std::vector<std::optional<UpdateEventIdent>> update_events;  // one per case
    // The values of the cases before the group's first. The switch takes the
    // first case that matches, so a case repeating one of them is never
    // chosen and the fold leaves it empty.
    std::vector<int32_t> earlier_vals;

    AssignMeta gen_assign_meta(ModelArena& model) const;
};

struct AssignMetaGrpGroup {
    HcpIdent des;
    std::vector<UpdateEventIdent> update_events;  // never empty

    AssignMeta gen_assign_meta(ModelArena& model) const;
};

class AssignMetaIfPool {
public:
    // One branch: its condition (absent for an else), its enable, its metas.
    void insert_asms(ModelArena& model, const std::optional<HcpIdent>& cond, const HcpIdent& enable,
                     const std::vector<AssignMeta>& metas);
    std::vector<AssignMeta> gen_assign_metas(ModelArena& model) const;
    const std::vector<AssignMetaIfGroup>& groups() const { return groups_; }

private:
    std::vector<AssignMetaIfGroup> groups_;
    size_t branches_ = 0;  // insert_asms calls so far
};

class AssignMetaSwitchPool {
public:
    // One case of the switch on `selector`.
    void insert_asms(ModelArena& model, const HcpIdent& selector, int32_t match_val,
                     const std::vector<AssignMeta>& metas);
    std::vector<AssignMeta> gen_assign_metas(ModelArena& model) const;
    const std::vector<AssignMetaSwitchGroup>& groups() const { return groups_; }

private:
    std::vector<AssignMetaSwitchGroup> groups_;
    std::vector<int32_t> match_vals_;  // of every case so far
};

class AssignMetaGrpPool {
public:
    // One body.
    void insert_asms(ModelArena& model, const AssignMetaList& metas);
    std::vector<AssignMeta> gen_assign_metas(ModelArena& model) const;
    const std::vector<AssignMetaGrpGroup>& groups() const { return groups_; }

private:
    std::vector<AssignMetaGrpGroup> groups_;
};

}  // namespace vorlent
