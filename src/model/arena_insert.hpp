// Inserting a newly made element into its kind's arena: the step every
// factory shares. Components and complex components are stamped to the
// module being traced as well.
#pragma once

#include <utility>

#include "model/complex_hardware/common/arena_impl_ccp.hpp"
#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/update_event/update_event_ident.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

// Inserts a component record made under a new identity and stamps it.
template <class T>
HcpIdent insert_and_stamp_hcp(ModelArena& model, T record, bool is_user_com) {
    const ArenaHandle h = model.arena<T>().insert(std::move(record));
    const HcpIdent stored = model.arena<T>().get(h).ident;
    return stamp_hw_to_parent_module(model, stored, is_user_com);
}

// Inserts an event made under a new identity; returns its identity as stored.
template <class T>
UpdateEventIdent insert_ue(ModelArena& model, T&& ue) {
    const ArenaHandle h = model.arena<T>().insert(std::move(ue));
    return model.arena<T>().get(h).ident;
}

// Inserts a block into its kind's arena and returns its identity as stored.
template <class Kind>
FlowBlockIdent insert_flow_block(ModelArena& model, Kind block) {
    const ArenaHandle h = model.arena<Kind>().insert(std::move(block));
    return model.arena<Kind>().get(h).base.ident;
}

// Inserts a complex component made under a new identity and stamps it.
template <class T>
CcpIdent insert_and_stamp_ccp(ModelArena& model, T component) {
    const ArenaHandle h = model.arena<T>().insert(std::move(component));
    CcpIdent ident = model.arena<T>().get(h).ident;
    return stamp_ccp_to_parent_module(model, ident);
}

}  // namespace vorlent
