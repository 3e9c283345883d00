// The emitters of memories: the memory block is a reg array; a read element
// is a wire assigned from the addressed word; a write element is an always
// block that stores into the addressed word.
#pragma once

#include "backends/verilog/hw_component/common/hcp_base_vb.hpp"
#include "backends/verilog/hw_component/common/taken_vb.hpp"
#include "model/hw_component/mem_blk.hpp"
#include "model/hw_component/mem_ele.hpp"

namespace vorlent {

class ModelArena;

class MemBlkVb final : public HcpVbAdapter<HcpBaseVb, MemBlk> {
public:
    using HcpVbAdapter::HcpVbAdapter;

    std::string gen_type_vb() const override;
    // "{type} {name} [0:{2^index_width - 1}];" An index width outside
    // [0, 63] has no depth a declaration can state: fatal error.
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
};
template <>
struct VbEmitter<MemBlk> {
    using type = MemBlkVb;
};

// The last address of a memory of `index_width` address bits, 2^w - 1.
int64_t mem_last_address(int64_t index_width, std::string_view mem_name);

class MemEleVb final : public HcpVbAdapter<HcpBaseVb, MemEle> {
public:
    using HcpVbAdapter::HcpVbAdapter;

    std::string gen_type_vb() const override;
    // A write element is not a signal of its own: no declaration.
    uint32_t amt_init_line_vb() const override { return rec().is_read ? 1 : 0; }
    uint32_t amt_precedure_blk_vb() const override { return 1; }
    void gen_init_line_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
    // Read: "assign {name} = {mem}[{index}];". Write: the always block of its
    // pool, storing into "{mem}[{index}]".
    void gen_procedure_blk_vb(uint32_t idx, ModelArena& model, FileWriter& fw) override;
};
template <>
struct VbEmitter<MemEle> {
    using type = MemEleVb;
};

}  // namespace vorlent
