#include "common/arena_base.hpp"

namespace vorlent {

std::string debug_repr(const ArenaHandle& h) {
    return format("ArenaHandle { index: {}, generation: {} }", h.index, h.generation);
}

void arena_index_out_of_range() { fatal("ArenaHandle index out of range"); }

void arena_generation_mismatch(uint32_t slot_generation, uint32_t handle_generation) {
    fatal_assert_cmp("==", "ArenaHandle generation mismatch", std::to_string(slot_generation),
                     std::to_string(handle_generation));
}

void arena_already_taken(uint64_t global_id) {
    fatal(format("ArenaHandle element (global id {}) is already taken out of its arena", global_id));
}

void arena_identity_mismatch(uint64_t slot_global_id, uint64_t ident_global_id) {
    fatal(format("ArenaHandle names global id {} but its slot holds global id {}", ident_global_id,
                 slot_global_id));
}

}  // namespace vorlent
