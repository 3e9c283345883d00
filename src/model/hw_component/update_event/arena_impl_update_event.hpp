// Finding and taking out update events by identity.
#pragma once

#include "model/hw_component/update_event/ue_kinds.hpp"

namespace vorlent {

class ModelArena;

// An event taken out of its arena, used through UpdatingEvent. put_back()
// returns it to its slot by the handle in its own identity.
using TakenUe = KindRecords<UeType>::apply<TakenAny, UpdatingEvent>;

// The event's common part, read in place (the reference dies at the next
// insert into that event's arena). UE_UNTYPE stops with "UpdateEventIdent
// has UeType::Untype".
const UeCommon& get_ue_common(const ModelArena& model, const UpdateEventIdent& ue);

// Takes the event out; its slot holds a zeroed default meanwhile (no id is
// drawn).
TakenUe take_ue(ModelArena& model, const UpdateEventIdent& ue);

// Gathers / remaps the reads of an event of a pool and of every event
// nested in it, each read in place.
void gather_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, HcpSet& set);
void remap_dep_hcps_of(ModelArena& model, const UpdateEventIdent& ue, const HcpMap& map);

}  // namespace vorlent
