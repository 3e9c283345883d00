// The entries of the model's working stacks: the module trace stack, the
// pending component list and the flow-block stack.
#pragma once

#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

struct PendingHcp {
    HcpIdent ident;
    bool is_user_com;
};

struct ModuleTraceEntry {
    ModuleIdent module;
    ModuleInitStage stage;
};

struct FlowBlockStackEntry {
    FlowBlockIdent block;
    BlockTrackStatus status;
};

}  // namespace vorlent
