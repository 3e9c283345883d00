// Always blocks and operand texts, shared by the component emitters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backends/verilog/hw_component/common/verilog_update_event.hpp"
#include "model/hw_component/common/slice.hpp"
#include "model/hw_component/common/update_pool.hpp"

namespace vorlent {

// A signal reference: its Verilog name, then "[{stop-1}:{start}]" when the
// signal is at least 2 bits wide and a slice with start >= 0 is given. An
// operand that is the destination (same global id) takes the destination's
// name and width; any other is taken out of its arena for its name and put
// back. A memory block is never an operand ("MemBlk is not an assignment
// destination").
std::string fmt_operand(const HcpIdent& operand, const std::optional<Slice>& slice,
                        ModelArena& model, const VbDes& des);

// The always block of a pool: "always @({sensitivity}) begin", every event
// of the pool in order at indent 4 as "{name}{DES_SLICE} <= {SRC};", "end".
// The sensitivity comes from the first event's clock mode and clock source.
// An empty pool writes nothing.
void gen_procedure_blk(const UpdatePool& pool, ModelArena& model, const VbDes& des, FileWriter& fw);

// The same block with the statement template given.
void gen_procedure_blk_with(const UpdatePool& pool, std::string statement_template,
                            ModelArena& model, const VbDes& des, FileWriter& fw);

}  // namespace vorlent
