// A module: one unit of the design's hierarchy, one Verilog module. It owns
// the identities of everything made while it was traced.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

// Component lists indexed by the HwComponentType tag.
using HcpLists = std::array<std::vector<HcpIdent>, HW_COMPONENT_TYPE_COUNT>;

struct Module {
    HcpLists system_hcps;  // made with the user-component flag clear
    HcpLists user_hcps;    // made with it set
    std::vector<ModuleIdent> sub_modules;
    std::vector<CcpIdent> ccps;
    std::vector<FlowBlockIdent> flow_blocks;  // top-level blocks, in closing order
    std::vector<NcpIdent> basic_nodes;        // loose assignment nodes (top module only)
    ModuleIdent ident;
    std::optional<NcpIdent> start_node;  // set on the top module by build_flow
    bool is_top = false;                 // set by set_top_module

    // The components of one kind: system list first, then user list.
    std::vector<HcpIdent> hcps_of(HwComponentType t) const;

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    // The zeroed module; draws no global id.
    static Module arena_default() { return Module{}; }
};

}  // namespace vorlent
