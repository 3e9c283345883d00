// Schematics that are not available yet stop the build with a fatal error.
#include "common/fatal.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {
[[noreturn]] void not_available(const FlowBlock& b) {
    fatal(format("{} blocks cannot be built yet", flow_block_type_display(b.ident().block_type)));
}
}  // namespace

void FlowBlockCond::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockZeroCondIf::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockZeroCondElif::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockZeroSwitch::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockZeroSwitchCase::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockPick::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockWhile::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockDoWhile::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockCounterLoop::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockWait::build_hw_component(ModelArena&) { not_available(*this); }

}  // namespace vorlent
