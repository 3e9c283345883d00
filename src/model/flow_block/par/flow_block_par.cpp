#include "model/flow_block/par/flow_block_par.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockPar FlowBlockPar::make(std::string_view name, bool no_sync) {
    FlowBlockPar p(FlowBlockBase::make(FlowBlockType::Parallel, FlowBlockJoinPolicy::SubFlow, name, false));
    p.schematic.no_sync = no_sync;
    return p;
}

FlowBlockPar FlowBlockPar::new_auto_sync(std::string_view name) { return make(name, false); }
FlowBlockPar FlowBlockPar::new_no_sync(std::string_view name) { return make(name, true); }

FlowBlockPar FlowBlockPar::arena_default() {
    return FlowBlockPar(default_flow_block_base(FlowBlockType::Parallel));
}

CheckResult FlowBlockPar::check_prefinalize() const {
    if (base.basic_nodes.empty() && base.sub_blocks.empty())
        return ErrorText::value("parallel flow block has no element");
    if (!base.con_blocks.empty())
        return ErrorText::value("parallel flow block does not support con blocks");
    return std::nullopt;
}

}  // namespace vorlent
