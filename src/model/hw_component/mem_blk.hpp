// A memory block: `2^index_width` words of `bit_width` bits. It is reached
// through its memory elements only, never assigned or read directly.
#pragma once

#include "model/hw_component/common/hcp_record.hpp"

namespace vorlent {

// The widest address a memory may have: its declaration states the last
// address, 2^index_width - 1, as a signed 64-bit number.
inline constexpr int32_t MEM_INDEX_WIDTH_MAX = 63;

class MemBlk : public HcpRecord {
public:
    int32_t bit_width = 0;    // width of one word, >= 1
    int32_t index_width = 0;  // width of an address, >= 1

    MemBlk() = default;
    MemBlk(HcpIdent id, int32_t width, int32_t index_w)
        : HcpRecord(std::move(id)), bit_width(width), index_width(index_w) {}

    // Every assignment operation refuses with the same message.
    ClockMode retrieve_clk_mode() const override;
    Slice get_des_slice() const override;
    int32_t get_priority() const override;
    NcpIdent do_asm(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                    int32_t src_stop, ModelArena& model) override;
    UpdateEventIdent gen_update_event(const HcpIdent& src, std::optional<Slice> des_slice,
                                      Slice src_slice, ModelArena& model) override;
    UpdateEventIdent gen_update_event_with_pri(const HcpIdent& src, std::optional<Slice> des_slice,
                                               Slice src_slice, int32_t priority,
                                               ClockMode clk_mode, ModelArena& model) override;
    AssignMeta gen_asm_meta(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                            int32_t src_stop, ModelArena& model) override;
    void bind_src(const HcpIdent& src, std::optional<Slice> des_slice, int32_t src_start,
                  int32_t src_stop, std::optional<int32_t> priority,
                  std::optional<ClockMode> clk_mode, std::optional<HcpIdent> clk_src,
                  ModelArena& model) override;

    static MemBlk arena_default() { return MemBlk{}; }
};

}  // namespace vorlent
