// One addressed word of a memory block: a read port when `is_read` is set,
// a write port otherwise, used only in that direction (signal_access.hpp).
// Assigning to a write port is an ordinary clocked assignment. A write port
// marked as an input port is written from it in every cycle, as a loose
// assignment would be: at the rising edge of the design's clock, which it
// reads from the time emit gathers the reads of its module.
#pragma once

#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

class MemEle : public HcpRecord {
public:
    HcpIdent master_mem_blk_i;    // its memory block
    HcpIdent index_ident;         // the address signal
    OptIdent<HcpIdent> port_clk;  // the clock its input port writes at, once gathered
    int32_t bit_width = 0;        // >= 1
    bool is_read = false;
    bool written = false;  // an assignment writes it (see check_not_input_port)

    MemEle() = default;
    MemEle(HcpIdent id, HcpIdent master, HcpIdent index, int32_t width, bool read)
        : HcpRecord(std::move(id)),
          master_mem_blk_i(std::move(master)),
          index_ident(std::move(index)),
          bit_width(width),
          is_read(read) {}

    ClockMode retrieve_clk_mode() const override { return ClockMode::PosEdge; }
    Slice get_des_slice() const override { return Slice{0, bit_width}; }
    int32_t get_priority() const override;
    // Every assignment into an element passes here, so it marks it written.
    AssignMeta gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice,
                            int32_t src_start, int32_t src_stop, ModelArena& model) override;
    // A write element marked as an input port reads the top module's clock
    // port (build_flow makes it) besides its pool's reads, and keeps it as
    // its port_clk, renamed as the pool's reads are.
    void gather_dep_hcps(HcpSet& set, ModelArena& model) override;
    void remap_dep_hcps(const HcpMap& map, ModelArena& model) override;
    // The input port's source: a word is written at a clock edge only, so
    // the bound source is written at the rising edge of port_clk.
    void bind_src(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                  int32_t src_stop, std::optional<int32_t> priority,
                  std::optional<ClockMode> clk_mode, std::optional<HcpIdent> clk_src,
                  ModelArena& model) override;

    // A write element marked as an input port.
    bool is_input_port() const;

    static MemEle arena_default() { return MemEle{}; }
};

}  // namespace vorlent
