// How far a model reached when a call began, so that the components a
// failing call made can be taken out again: a caller that sees a call fail
// should not find half of what it asked for in the Verilog.
#pragma once

#include <array>
#include <cstddef>

#include "model/model_arena.hpp"

namespace vorlent {

class ModelMark {
public:
    explicit ModelMark(const ModelArena& model);

    // Takes every component made since the mark out of its module's list (or
    // the pending list) and out of its slot for good (take_out_for_good), so
    // that no step reaches it and emit does not write it; the global ids the
    // call drew stay drawn. Their update events stay in their arenas,
    // reachable from nothing. Only when the model is the one marked and
    // components and their events are all that was made: any other element
    // (a node, a block, a complex component, a module) is linked into what
    // was there before, and then everything stays. Returns whether it took
    // them out.
    bool take_out_made_since(ModelArena& model) const;

private:
    using HcpKinds = KindRecords<HwComponentType>;

    const NameStore* store_;
    std::array<size_t, HcpKinds::size> hcp_sizes_{};
    size_t linked_sizes_ = 0;  // of every arena whose elements are linked in when made
    size_t pending_ = 0;
};

}  // namespace vorlent
