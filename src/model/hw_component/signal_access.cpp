#include "model/hw_component/signal_access.hpp"

#include "common/text.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

std::string_view access_text(Access access) { return access == Access::Read ? "read" : "written"; }

// The element `sig` names when its slot holds it, else null.
const MemEle* mem_ele_in_slot(const ModelArena& model, const HcpIdent& sig) {
    const ArenaGroup<MemEle>& group = model.arena<MemEle>();
    const ArenaHandle h = sig.handle();
    if (h.index >= group.size() || h.generation != 0 || group.is_taken(h.index)) return nullptr;
    const MemEle& e = group.get(h);
    return e.arena_global_id() == sig.global_id() ? &e : nullptr;
}

}  // namespace

CheckResult check_memory_access(const ModelArena& model, std::string_view where,
                                std::string_view param, const HcpIdent& sig, Access access) {
    if (sig.hw_type == HwComponentType::MemBlock)
        return ErrorText::value(
            format("{}: {} \"{}\" is {} here, but it is a memory block, which is read and written "
                   "only through its elements (mk_mem_ele)",
                   where, param, sig.abs_name(), access_text(access)));
    const MemEle* e = mem_ele_in_slot(model, sig);
    if (!e || e->is_read == (access == Access::Read)) return std::nullopt;
    return ErrorText::value(format(
        "{}: {} \"{}\" is {} here, but it is a {} element of memory \"{}\", which is only {} "
        "({} the memory through an element made with is_read={})",
        where, param, sig.abs_name(), access_text(access), e->is_read ? "read" : "write",
        e->master_mem_blk_i.abs_name(), e->is_read ? "read" : "written",
        access == Access::Read ? "read" : "write", access == Access::Read ? "True" : "False"));
}

}  // namespace vorlent
