#include "model/flow_block/par/flow_block_par.hpp"

#include "common/fatal.hpp"

namespace vorlent {

FlowBlockPar FlowBlockPar::make(std::string_view name, bool no_sync) {
    FlowBlockPar p(flow_block_base(FlowBlockType::Parallel, name));
    p.schematic.no_sync = no_sync;
    return p;
}

FlowBlockPar FlowBlockPar::new_auto_sync(std::string_view name) { return make(name, false); }
FlowBlockPar FlowBlockPar::new_no_sync(std::string_view name) { return make(name, true); }

CheckResult FlowBlockPar::check_prefinalize() const {
    return check_content("parallel flow block has no element",
                         "parallel flow block does not support con blocks");
}

}  // namespace vorlent
