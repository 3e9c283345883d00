#include "common/arena_base.hpp"

namespace vorlent {

std::string debug_repr(const ArenaHandle& h) {
    return format("ArenaHandle { index: {}, generation: {} }", h.index, h.generation);
}

void arena_index_out_of_range() { fatal("ArenaHandle index out of range"); }

void arena_full(size_t max_slots) {
    fatal(format("arena is full: one kind of element has at most {} slots", max_slots));
}

void arena_generation_mismatch(uint32_t slot_generation, uint32_t handle_generation) {
    fatal_assert_cmp("==", "ArenaHandle generation mismatch", std::to_string(slot_generation),
                     std::to_string(handle_generation));
}

void arena_already_taken(uint64_t global_id) {
    fatal(
        format("ArenaHandle element (global id {}) is already taken out of its arena", global_id));
}

void arena_identity_mismatch(uint64_t slot_global_id, uint64_t ident_global_id) {
    fatal(format("ArenaHandle names global id {} but its slot holds global id {}", ident_global_id,
                 slot_global_id));
}

void arena_access_refused(uint32_t slot_generation, uint32_t handle_generation, bool taken,
                          uint64_t slot_global_id, uint64_t ident_global_id) {
    if (slot_generation != handle_generation)
        arena_generation_mismatch(slot_generation, handle_generation);
    if (taken) arena_already_taken(ident_global_id);
    arena_identity_mismatch(slot_global_id, ident_global_id);
}

}  // namespace vorlent
