#include "model/arena_impl_comb.hpp"

#include <algorithm>
#include <bit>

#include "common/fatal.hpp"

#include "model/flow_block/common/arena_factory_flow_block.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/hw_component/slice_check.hpp"

namespace vorlent {

namespace {

Slice whole_range(const ModelArena& model, const HcpIdent& sig) {
    return get_hcp_assign(model, sig).get_des_slice();
}

// The bits an input of a mux or a rotation reads: its slice when that is a
// bit range (0 <= start < stop), else the whole signal.
Slice input_range(const ModelArena& model, const HcpIdent& sig, const std::optional<Slice>& slice) {
    if (slice && slice->is_usable()) return *slice;
    return whole_range(model, sig);
}

// How many bits a term adds to the sum. Slice() reads the whole signal (the
// expressions read it so), so it counts with the signal's width, not as 0.
int32_t term_width(const ModelArena& model, const CombTerm& term) {
    if (term.slice == Slice::whole()) return whole_range(model, term.sig).size();
    return term.slice.size();
}

}  // namespace

HcpIdent fold_balanced(ModelArena& model, std::string_view name,
                       const std::vector<CombOperand>& operands, LogicOp op) {
    if (operands.empty()) fatal("fold_balanced: at least one operand required");
    const std::string node_name = format("{}_t", name);
    std::vector<CombOperand> level = operands;
    while (level.size() > 1) {
        std::vector<CombOperand> next;
        next.reserve(level.size() / 2 + 1);
        size_t i = 0;
        for (; i + 1 < level.size(); i += 2) {
            const CombOperand& a = level[i];
            const CombOperand& b = level[i + 1];
            next.push_back(CombOperand{
                make_expression(model, true, node_name, op, a.sig, b.sig, a.slice, b.slice),
                std::nullopt});
        }
        if (i < level.size()) next.push_back(level[i]);
        level = std::move(next);
    }
    return level.front().sig;
}

std::optional<HcpIdent> gen_any_of(ModelArena& model, std::string_view name,
                                   const std::vector<CombTerm>& terms) {
    if (terms.empty()) return make_val(model, true, name, 1, 0);
    if (terms.size() == 1) return std::nullopt;
    std::vector<CombOperand> operands;
    operands.reserve(terms.size());
    for (const CombTerm& t : terms) operands.push_back(CombOperand{t.sig, t.slice});
    return fold_balanced(model, name, operands, LogicOp::LogicalOr);
}

uint32_t sum_cnt_width(size_t n, int32_t widest_term) {
    const uint32_t w = widest_term < 2 ? 1u : uint32_t(widest_term);
    const uint32_t log2_n = uint32_t(std::bit_width(n - 1));  // ceil(log2 n); 0 for n = 1
    if (w > 100) return w + log2_n;
    using u128 = unsigned __int128;
    const u128 term_max = (u128(1) << w) - 1;
    u128 total;
    // Past 128 bits (hundreds of millions of terms) the bound by log2 n holds.
    if (__builtin_mul_overflow(u128(n), term_max, &total)) return w + log2_n;
    uint32_t bits = 0;
    for (; total != 0; total >>= 1) ++bits;
    return bits;
}

Result<HcpIdent> gen_sum_cnt(ModelArena& model, std::string_view name,
                             const std::vector<CombTerm>& terms, std::optional<uint32_t> width) {
    if (terms.empty())
        return ErrorText::value("sum_cnt of no signals has no width \u2014 pass at least one");
    int32_t widest = 0;
    for (const CombTerm& t : terms) widest = std::max(widest, term_width(model, t));
    const uint32_t sum_width = width ? *width : sum_cnt_width(terms.size(), widest);

    const std::string ext_name = format("{}_ext", name);
    std::vector<CombOperand> extended;
    extended.reserve(terms.size());
    for (const CombTerm& t : terms)
        extended.push_back(
            CombOperand{make_expression_constant(model, true, ext_name, LogicOp::ExtendBit, t.sig,
                                                 int32_t(sum_width), t.slice),
                        std::nullopt});
    return fold_balanced(model, name, extended, LogicOp::ArithPlus);
}

CheckResult check_gen_mux(const ModelArena& model, const HcpIdent& cond_i,
                          const std::optional<Slice>& cond_slice, int32_t width) {
    if (auto err = check_cond_width(model, "gen_mux", "cond_slice", cond_i, cond_slice)) return err;
    if (width < 1) return ErrorText::value(format("mux needs a width >= 1, got {}", width));
    return std::nullopt;
}

Result<MuxResult> gen_mux(ModelArena& model, std::string_view name, const HcpIdent& cond_i,
                          const std::optional<Slice>& cond_slice, const CombOperand& if_true,
                          const CombOperand& if_false, std::optional<int32_t> width) {
    const Slice true_range = input_range(model, if_true.sig, if_true.slice);
    const Slice false_range = input_range(model, if_false.sig, if_false.slice);
    const int32_t w = width ? *width : true_range.size();
    if (auto err = check_gen_mux(model, cond_i, cond_slice, w)) return *err;

    const HcpIdent wire = make_wire(model, true, name, uint32_t(w));
    const Slice wire_bits = Slice::range(0, w);

    // The two branches are a zero-delay if/else, which the flow build folds
    // into one conditional assignment of the wire.
    const FlowBlockIdent zif =
        make_flow_block_zif(model, format("{}_zif", name), cond_i, cond_slice);
    if (auto err = initialize_flow_block(model, zif)) return *err;
    const AsmReport true_report = gen_basic_assign(model, wire, if_true.sig, wire_bits, true_range);
    if (auto err = finalize_flow_block(model, zif, false)) return *err;
    if (auto err = check_flow_block_prefinalize(model, zif)) return *err;

    const FlowBlockIdent zelse = make_flow_block_zelse(model, format("{}_zelse", name));
    if (auto err = initialize_flow_block(model, zelse)) return *err;
    const AsmReport false_report =
        gen_basic_assign(model, wire, if_false.sig, wire_bits, false_range);
    if (auto err = finalize_flow_block(model, zelse, false)) return *err;
    if (auto err = check_flow_block_prefinalize(model, zelse)) return *err;
    close_lone_head_in_component_phase(model);

    return MuxResult{wire, true_report, false_report};
}

namespace {

Result<std::optional<HcpIdent>> rotate(ModelArena& model, std::string_view op_name,
                                       std::string_view name, const HcpIdent& sig_i,
                                       const std::optional<Slice>& sig_slice, int64_t amount,
                                       bool rightward, std::optional<int32_t> width) {
    Slice range = input_range(model, sig_i, sig_slice);
    const int32_t r = range.size();
    // A signal of no bits has nothing to rotate either (and no modulus).
    const int32_t w = width.value_or(r);
    if (w < 1) return ErrorText::value(format("{} needs a width >= 1, got {}", op_name, w));
    if (w > r)
        return ErrorText::value(
            format("{} width {} exceeds the signal's {} bits \u2014 a rotate is only a rotate over "
                   "bits that are there",
                   op_name, w, r));
    // Shifts over more bits than are rotated would carry the bits above the
    // rotation into it: a narrower rotation covers the lowest w bits only.
    range.stop = range.start + w;

    // Euclidean remainder, so negative amounts wrap; rightward by k is
    // leftward by w - k.
    int64_t k = amount % w;
    if (k < 0) k += w;
    if (rightward && k != 0) k = w - k;
    if (k == 0) return std::optional<HcpIdent>{};

    const int32_t full = whole_range(model, sig_i).size();
    const std::string const_name = format("{}_c", name);
    const HcpIdent c1 = make_val(model, true, const_name, full, uint64_t(k));
    const HcpIdent c2 = make_val(model, true, const_name, full, uint64_t(w - k));
    const HcpIdent shl = make_expression(model, true, format("{}_shl", name), LogicOp::BitwiseShl,
                                         sig_i, c1, range, std::nullopt);
    const HcpIdent shr = make_expression(model, true, format("{}_shr", name), LogicOp::BitwiseShr,
                                         sig_i, c2, range, std::nullopt);
    return std::optional<HcpIdent>{make_expression(model, true, name, LogicOp::BitwiseOr, shl, shr,
                                                   std::nullopt, std::nullopt)};
}

}  // namespace

Result<std::optional<HcpIdent>> gen_rotate(ModelArena& model, std::string_view op_name,
                                           std::string_view name, const HcpIdent& sig_i,
                                           const std::optional<Slice>& sig_slice, int64_t amount,
                                           std::optional<int32_t> width) {
    return rotate(model, op_name, name, sig_i, sig_slice, amount, false, width);
}

Result<std::optional<HcpIdent>> gen_rotate_left(ModelArena& model, std::string_view name,
                                                const HcpIdent& sig_i,
                                                const std::optional<Slice>& sig_slice,
                                                int64_t amount, std::optional<int32_t> width) {
    return rotate(model, "rotate_left", name, sig_i, sig_slice, amount, false, width);
}

Result<std::optional<HcpIdent>> gen_rotate_right(ModelArena& model, std::string_view name,
                                                 const HcpIdent& sig_i,
                                                 const std::optional<Slice>& sig_slice,
                                                 int64_t amount, std::optional<int32_t> width) {
    return rotate(model, "rotate_right", name, sig_i, sig_slice, amount, true, width);
}

}  // namespace vorlent
