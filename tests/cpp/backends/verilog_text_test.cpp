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

// No replication of more than 8,192 copies, for every width a signal may
// have; up to that many, one replication as ever.
TEST(VerilogTextTest, ZeroFillsAreReplicationsOfAtMost8192Copies) {
    const std::string z13 = "{8192{1'b0}}", z26 = "{8192{" + z13 + "}}";
    for (const auto& [bits, text] : std::vector<std::pair<int64_t, std::string>>{
             {1, "{1{1'b0}}"},
             {8192, z13},
             {8193, "{1{" + z13 + "}}, {1{1'b0}}"},
             {16384, "{2{" + z13 + "}}"},
             {8192 * 8192, "{8192{" + z13 + "}}"},
             {8192 * 8192 + 8192 * 3, "{1{" + z26 + "}}, {3{" + z13 + "}}"},
             {2147483647, "{31{" + z26 + "}}, {8191{" + z13 + "}}, {8191{1'b0}}"}})
        EXPECT_EQ(zero_fill_vb(bits), text) << bits;
}

// Rather than written as nothing.
TEST(VerilogTextTest, OpsWithoutATokenAreRefused) {
    for (LogicOp op : {LogicOp::ExtendBit, LogicOp::SliceBit, LogicOp::Assign})
        EXPECT_TRUE(FATAL_MESSAGE(logic_op_to_verilog(op)).starts_with("logic_op_to_verilog: "))
            << logic_op_name(op);
    EXPECT_FATAL(logic_op_to_verilog(LogicOp::Dummy),
                 "logic_op_to_verilog: Dummy op must not reach the Verilog backend");
}
