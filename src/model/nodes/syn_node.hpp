// A synchronising join: it ends in the first cycle in which every one of
// its predecessors has fired. It owns a sync register with one slot per
// predecessor.
#pragma once

#include "model/nodes/sp_reg_node.hpp"

namespace vorlent {

// Its register is a SyncReg "{name}_SY"; raw is the register's "{}_END_EXPR".
class SynNode : public SpRegNodeRecord {
public:
    int32_t syn_size = 0;  // the number of predecessors it joins

    SynNode() = default;
    // "assertion failed: syn_size > 0"; the register, then the node
    // identity; not inserted.
    static SynNode make(ModelArena& model, bool is_user_com, std::string_view name,
                        int32_t syn_size);

    void assign_prelim(ModelArena& model) override;
    // The register's fill check refuses a depend list that is not syn_size long.
    void assign_final(ModelArena& model) override;
    HcpIdent get_exit_opr() const override;
    // Its end reads every predecessor's firing of the cycle, not only the
    // latched ones.
    bool exit_follows_depends_at_once() const override { return true; }
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }

    static SynNode arena_default() { return default_of<SynNode>(NodeType::Syn); }
};

}  // namespace vorlent
