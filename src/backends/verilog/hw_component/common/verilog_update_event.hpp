// The update-event transpiler: each update event kind writes itself as
// Verilog statements of the always block of the component whose pool holds
// it. A compound event writes its text around its sub-events piece by piece,
// handing out one sub-event at a time, so that events nested to any depth
// are written without recursion. Writing a pool reads every event in its
// slot, with the checks of a take.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/update_event/ue_kinds.hpp"
#include "util/file/file_writer.hpp"

namespace vorlent {

class ModelArena;

// The destination of an always block. It is out of its arena while the
// block is written, so its name, width and identity travel as arguments and
// are never looked up. `word_width` is the width of what a statement writes:
// the destination's own, or for a memory write element its memory's word, of
// which a write names its bits "[stop-1:start]" where the word has 2 or more.
struct VbDes {
    const HcpIdent& ident;
    std::string_view name;
    int64_t width;
    int64_t word_width;
};

// A sub-event to write next, and its indent.
struct UeVbNext {
    UpdateEventIdent ue;
    uint32_t indent;
};

class VerilogUpdateEvent {
public:
    virtual ~VerilogUpdateEvent() = default;

    // Writes the event's statements at `indent` blanks, up to its next
    // sub-event, which it returns; none when the event's text is complete.
    // `cursor` (0 on the first call) keeps the event's place between calls.
    // A statement template holds the markers "{DES_SLICE}" and "{SRC}"; one
    // line is written per template.
    virtual std::optional<UeVbNext> transpile_step(size_t& cursor,
                                                   std::span<const std::string> templates,
                                                   uint32_t indent, ModelArena& model,
                                                   const VbDes& des, FileWriter& fw) = 0;
    virtual void replace_back_into_arena_vb() = 0;
};

// The writer of an event of kind T, one per kind: a basic event writes
// des[range] <= src[range]; a conditional one if / else if / else, one branch
// per condition; a switch case (selector) with one item per label, no
// default; a group its members one after the other, at its own indent.
template <class T>
class UeVb final : public TakenVbAdapter<VerilogUpdateEvent, T> {
public:
    using TakenVbAdapter<VerilogUpdateEvent, T>::TakenVbAdapter;
    std::optional<UeVbNext> transpile_step(size_t& cursor, std::span<const std::string> templates,
                                           uint32_t indent, ModelArena& model, const VbDes& des,
                                           FileWriter& fw) override;
};
using UeBasicVb = UeVb<UeBasic>;
using UeCondVb = UeVb<UeCond>;
using UeSwitchVb = UeVb<UeSwitch>;
using UeGrpVb = UeVb<UeGrp>;
// Every update-event kind is written by its UeVb.
template <std::derived_from<UeRecord> T>
struct VbEmitter<T> {
    using type = UeVb<T>;
};

using TakenUeVb = KindRecords<UeType>::map<VbEmitterOf>::apply<TakenVbAny, VerilogUpdateEvent>;

// Takes the event out of the arena of its kind. UE_UNTYPE stops with
// "take_ue_vb: UeType::Untype".
TakenUeVb take_ue_vb(ModelArena& model, const UpdateEventIdent& ue);

// Writes one event of a pool with all its sub-events, each read in place
// ("take_ue_vb: UeType::Untype" for UE_UNTYPE).
void transpile_ue(ModelArena& model, const UpdateEventIdent& ue,
                  std::span<const std::string> templates, uint32_t indent, const VbDes& des,
                  FileWriter& fw);

}  // namespace vorlent
