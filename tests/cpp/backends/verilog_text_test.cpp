#include "backends/verilog/hw_component/common/verilog_literal.hpp"
#include "backends/verilog/hw_component/common/verilog_operator.hpp"
#include "test_support.hpp"

using namespace vorlent;

TEST(VerilogTextTest, WidthPrefixesAndConstantLiterals) {
    for (const auto& [width, prefix] : std::vector<std::pair<int64_t, std::string>>{
             {1, ""}, {0, ""}, {-1, ""}, {2, "[1:0] "}, {4294967295u, "[4294967294:0] "}})
        EXPECT_EQ(width_prefix(width), prefix) << width;

    const std::vector<std::pair<VaryVal, std::string>> literals{
        {VaryVal::from_u64(0, 1), "1'b0"},
        {VaryVal::from_u64(1, 1), "1'b1"},
        {VaryVal{{}, 1}, "1'b0"},
        {VaryVal::from_u64(42, 8), "8'h2a"},
        {VaryVal::from_u64(~uint64_t(0), 64), "64'hffffffffffffffff"},
        {VaryVal::from_u64(0, 70), "70'h0"},
        {VaryVal::from_limbs({0, 1}, 65), "65'h10000000000000000"},
        // Inner zero limbs keep their 16 digits.
        {VaryVal::from_limbs({0xab, 0, 0x3}, 130), "130'h3000000000000000000000000000000ab"},
    };
    for (const auto& [value, text] : literals) EXPECT_EQ(vary_val_to_verilog(value), text);
}

// Rather than written as nothing.
TEST(VerilogTextTest, OpsWithoutATokenAreRefused) {
    for (LogicOp op : {LogicOp::ExtendBit, LogicOp::SliceBit, LogicOp::Assign})
        EXPECT_TRUE(FATAL_MESSAGE(logic_op_to_verilog(op)).starts_with("logic_op_to_verilog: "))
            << logic_op_name(op);
    EXPECT_FATAL(logic_op_to_verilog(LogicOp::Dummy),
                 "logic_op_to_verilog: Dummy op must not reach the Verilog backend");
}
