// One addressed word of a memory block: a read port when `is_read` is set,
// a write port otherwise, used only in that direction (signal_access.hpp).
// Assigning to a write port is an ordinary clocked assignment.
#pragma once

#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

class MemEle : public HcpRecord {
public:
    HcpIdent master_mem_blk_i;  // its memory block
    HcpIdent index_ident;       // the address signal
    int32_t bit_width = 0;      // >= 1
    bool is_read = false;

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

    static MemEle arena_default() { return MemEle{}; }
};

}  // namespace vorlent
