#include "model/model_mark.hpp"

namespace vorlent {

namespace {

using LinkedKinds = ConcatLists<KindRecords<NodeType>, KindRecords<CcpType>, TypeList<Module>,
                                KindRecords<FlowBlockType>>;

size_t linked_sizes(const ModelArena& model) {
    size_t total = 0;
    LinkedKinds::for_each(
        [&]<class T>(std::type_identity<T>) { total += model.arena<T>().size(); });
    return total;
}

// Drops `made` from the end of its module's list of its kind, where stamping
// appended it; components are taken out latest first, so each is last there.
void unlist(ModelArena& model, const HcpIdent& made) {
    if (made.module_handle().is_null()) return;
    Module& module = model.arena<Module>().get_mut(made.module_handle());
    auto& list = (made.ident_base.is_user_com() ? module.user_hcps
                                                : module.system_hcps)[size_t(made.hw_type)];
    if (!list.empty() && list.back().global_id() == made.global_id()) list.pop_back();
}

}  // namespace

ModelMark::ModelMark(const ModelArena& model)
    : store_(model.name_store()),
      linked_sizes_(linked_sizes(model)),
      pending_(model.pending_hcps.size()) {
    size_t k = 0;
    HcpKinds::for_each(
        [&]<class T>(std::type_identity<T>) { hcp_sizes_[k++] = model.arena<T>().size(); });
}

bool ModelMark::take_out_made_since(ModelArena& model) const {
    if (model.name_store() != store_ || linked_sizes(model) != linked_sizes_ ||
        model.pending_hcps.size() < pending_)
        return false;
    model.pending_hcps.erase(model.pending_hcps.begin() + ptrdiff_t(pending_),
                             model.pending_hcps.end());
    size_t k = 0;
    HcpKinds::for_each([&]<class T>(std::type_identity<T>) {
        ArenaGroup<T>& group = model.arena<T>();
        const size_t first = hcp_sizes_[k++];
        for (size_t i = group.size(); i-- > first;)
            unlist(model, group.get(ArenaHandle{i, 0}).ident);
        group.take_out_for_good(first);
    });
    return true;
}

}  // namespace vorlent
