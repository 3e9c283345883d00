// Schematics that are not available yet stop the build with a fatal error.
#include "common/fatal.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {
[[noreturn]] void not_available(const FlowBlock& b) {
    fatal(format("{} blocks cannot be built yet", flow_block_type_display(b.ident().block_type)));
}
}  // namespace

void FlowBlockPip::build_hw_component(ModelArena&) { not_available(*this); }
void FlowBlockPip::build_hw_master(ModelArena&) { not_available(*this); }
void FlowBlockZync::build_hw_component(ModelArena&) { not_available(*this); }

}  // namespace vorlent
