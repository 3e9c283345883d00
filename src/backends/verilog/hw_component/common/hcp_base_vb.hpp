// The Verilog emitter interface of a hardware component. The file layout asks
// each component of a module, taken out of its arena, for its port lines, its
// declarations and its procedure blocks (always blocks or continuous
// assignments), first for their counts and then for each line or block.
//
// The emitters wrap the model's records from the outside (one adapter per
// kind, see hcp_vb.hpp), so the model holds no backend code.
#pragma once

#include <cstdint>
#include <string>

#include "util/file/file_writer.hpp"

namespace vorlent {

class ModelArena;

class HcpBaseVb {
public:
    virtual ~HcpBaseVb() = default;

    // The type part of the declaration, e.g. "reg  [7:0] ".
    virtual std::string gen_type_vb() const = 0;
    // The Verilog name: the absolute name (an IO wire's port name when set).
    virtual std::string gen_var_name_vb() const = 0;
    // Only IO wires have port lines; a signal has one declaration; constants
    // and memory blocks have no procedure block.
    virtual uint32_t amt_io_line_vb() const { return 0; }
    virtual uint32_t amt_init_line_vb() const { return 1; }
    virtual uint32_t amt_precedure_blk_vb() const { return 0; }

    // One port line, without line feed. Only IO wires have one.
    virtual void gen_io_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw);
    // One declaration, without line feed.
    virtual void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) = 0;
    // One procedure block, ending with its own line feed. Constants and
    // memory blocks have none.
    virtual void gen_procedure_blk_vb(uint32_t idx, ModelArena& model, FileWriter& fw);

    // Puts the component back into its arena slot; the emitter must not be
    // used afterwards.
    virtual void replace_back_into_arena_vb() = 0;
};

}  // namespace vorlent
