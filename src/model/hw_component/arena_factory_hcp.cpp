#include "model/hw_component/arena_factory_hcp.hpp"

#include "model/arena_insert.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"

namespace vorlent {

HcpIdent stamp_hw_to_parent_module(ModelArena& model, const HcpIdent& ident, bool is_user_com) {
    if (model.module_trace_stack.empty()) fatal("module trace stack is empty");
    const ModuleTraceEntry& top = model.module_trace_stack.back();
    HcpIdent stamped = ident;
    stamped.set_module_handle(top.module.handle());
    const bool pending = top.stage == ModuleInitStage::FlowBlockBuild;
    const ModuleIdent module = top.module;

    hcp_checked_mut(model, ident).get_ident_mut() = stamped;

    if (pending) {
        model.pending_hcps.push_back(PendingHcp{stamped, is_user_com});
    } else {
        Module& m = model.checked_mut<Module>(module);
        HcpLists& lists = is_user_com ? m.user_hcps : m.system_hcps;
        lists[size_t(stamped.hw_type)].push_back(stamped);
    }
    return stamped;
}

HcpIdent make_reg(ModelArena& model, bool is_user_com, std::string_view name, uint32_t bit_width) {
    Reg r(HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, is_user_com, name), bit_width);
    return insert_and_stamp_hcp(model, std::move(r), is_user_com);
}

HcpIdent make_wire(ModelArena& model, bool is_user_com, std::string_view name, uint32_t bit_width) {
    Wire w(HcpIdent::make(HwComponentType::Wire, Sensitivity::Combinational, is_user_com, name),
           bit_width);
    return insert_and_stamp_hcp(model, std::move(w), is_user_com);
}

HcpIdent make_val(ModelArena& model, bool is_user_com, std::string_view name, int32_t bit_width,
                  uint64_t value) {
    return insert_and_stamp_hcp(model, Val::make(is_user_com, name, bit_width, value), is_user_com);
}

HcpIdent make_val_vv(ModelArena& model, bool is_user_com, std::string_view name, uint32_t bit_width,
                     VaryVal value) {
    Val v(HcpIdent::make(HwComponentType::Val, Sensitivity::ReadOnly, is_user_com, name),
          std::move(value), int32_t(bit_width));
    return insert_and_stamp_hcp(model, std::move(v), is_user_com);
}

HcpIdent make_mem_blk(ModelArena& model, bool is_user_com, std::string_view name, int32_t bit_width,
                      int32_t index_width) {
    if (bit_width < 1) fatal(format("bit_width must be positive, got {}", bit_width));
    if (index_width < 1) fatal(format("index_width must be positive, got {}", index_width));
    MemBlk b(HcpIdent::make(HwComponentType::MemBlock, Sensitivity::Clocked, is_user_com, name),
             bit_width, index_width);
    return insert_and_stamp_hcp(model, std::move(b), is_user_com);
}

namespace {

// A signal the memory element names in its Verilog: no routing carries it
// into another module, where it would be declared nowhere.
CheckResult check_named_in_traced_module(const ModelArena& model, const HcpIdent& sig,
                                         std::string_view role) {
    // Without a module traced, stamping stops the call.
    if (model.module_trace_stack.empty()) return std::nullopt;
    const ModuleIdent& traced = model.module_trace_stack.back().module;
    if (sig.module_handle() == traced.handle()) return std::nullopt;
    const ModuleIdent& owner = model.arena<Module>().get(sig.module_handle()).ident;
    return ErrorText::value(format(
        "mk_mem_ele: the {} \"{}\" belongs to module \"{}\" (id {}), but the element would be "
        "made in module \"{}\" (id {}); an element names its memory block and its index in its "
        "own module's Verilog, so make it while the module that holds both is tracked",
        role, sig.abs_name(), owner.abs_name(), owner.global_id(), traced.abs_name(),
        traced.global_id()));
}

}  // namespace

Result<HcpIdent> make_mem_ele(ModelArena& model, bool is_user_com, std::string_view name,
                              const HcpIdent& master_mem_blk_i, const HcpIdent& index_ident,
                              int32_t bit_width, bool is_read) {
    if (bit_width < 1) fatal(format("bit_width must be positive, got {}", bit_width));
    check_names_hcp(model, master_mem_blk_i);
    check_names_hcp(model, index_ident);
    if (auto err = check_named_in_traced_module(model, master_mem_blk_i, "memory block"))
        return *err;
    if (auto err = check_named_in_traced_module(model, index_ident, "index")) return *err;
    // A wider element would write bits past the word (a select Verilator
    // refuses) and read bits no word holds.
    const int32_t word = model.get<MemBlk>(master_mem_blk_i).bit_width;
    if (bit_width > word)
        return ErrorText::value(
            format("mk_mem_ele: bit_width {} is wider than the {}-bit words of memory \"{}\"; an "
                   "element is at most as wide as its memory's word",
                   bit_width, word, master_mem_blk_i.abs_name()));
    MemEle e(
        HcpIdent::make(HwComponentType::MemBlockIndexer, Sensitivity::Clocked, is_user_com, name),
        master_mem_blk_i, index_ident, bit_width, is_read);
    return insert_and_stamp_hcp(model, std::move(e), is_user_com);
}

namespace {

// The bits of an operand an expression reads.
Slice operand_range(const ModelArena& model, const HcpIdent& operand,
                    const std::optional<Slice>& slice) {
    if (slice && *slice != Slice::whole()) return *slice;
    return get_hcp_assign(model, operand).get_des_slice();
}

HcpIdent insert_expression(ModelArena& model, bool is_user_com, std::string_view name,
                           uint32_t width, LogicOp op, std::optional<HcpIdent> a,
                           std::optional<Slice> range_a, std::optional<HcpIdent> b,
                           std::optional<Slice> range_b, std::optional<uint32_t> constant) {
    Expression e(
        HcpIdent::make(HwComponentType::Expression, Sensitivity::ReadOnly, is_user_com, name),
        width);
    e.initialised = true;
    e.op = op;
    e.operand_a = std::move(a);
    e.range_a = range_a;
    e.operand_b = std::move(b);
    e.range_b = range_b;
    e.constant = constant;
    return insert_and_stamp_hcp(model, std::move(e), is_user_com);
}

}  // namespace

HcpIdent make_expression(ModelArena& model, bool is_user_com, std::string_view name, LogicOp op,
                         const HcpIdent& a, const HcpIdent& b, std::optional<Slice> a_slice,
                         std::optional<Slice> b_slice) {
    bool one_bit;
    switch (op) {
        case LogicOp::LogicalAnd:
        case LogicOp::LogicalOr:
        case LogicOp::RelationEq:
        case LogicOp::RelationNeq:
        case LogicOp::RelationLe:
        case LogicOp::RelationLeq:
        case LogicOp::RelationGe:
        case LogicOp::RelationGeq:
        case LogicOp::RelationSlt:
        case LogicOp::RelationSgt:
            one_bit = true;
            break;
        case LogicOp::BitwiseAnd:
        case LogicOp::BitwiseOr:
        case LogicOp::BitwiseXor:
        case LogicOp::BitwiseShl:
        case LogicOp::BitwiseShr:
        case LogicOp::ArithPlus:
        case LogicOp::ArithMinus:
        case LogicOp::ArithMul:
        case LogicOp::ArithDiv:
        case LogicOp::ArithDivr:
            one_bit = false;
            break;
        default:
            fatal(format("Expression::new \u2014 unsupported op {} for this constructor",
                         logic_op_name(op)));
    }
    const Slice range_a = operand_range(model, a, a_slice);
    const Slice range_b = operand_range(model, b, b_slice);
    const uint32_t width = one_bit ? 1u : uint32_t(range_a.size());
    return insert_expression(model, is_user_com, name, width, op, a, range_a, b, range_b,
                             std::nullopt);
}

HcpIdent make_expression_single(ModelArena& model, bool is_user_com, std::string_view name,
                                LogicOp op, const HcpIdent& a, std::optional<Slice> a_slice) {
    if (op != LogicOp::BitwiseInvr && op != LogicOp::LogicalNot && op != LogicOp::SliceBit)
        fatal(format("Expression::new_single_operand \u2014 unsupported op {} for this constructor",
                     logic_op_name(op)));
    const Slice range_a = operand_range(model, a, a_slice);
    const uint32_t width = op == LogicOp::LogicalNot ? 1u : uint32_t(range_a.size());
    return insert_expression(model, is_user_com, name, width, op, a, range_a, std::nullopt,
                             std::nullopt, std::nullopt);
}

HcpIdent make_expression_constant(ModelArena& model, bool is_user_com, std::string_view name,
                                  LogicOp op, const HcpIdent& a, int32_t constant,
                                  std::optional<Slice> a_slice) {
    if (op != LogicOp::ExtendBit)
        fatal(format("Expression::new_with_const \u2014 unsupported op {} for this constructor",
                     logic_op_name(op)));
    const Slice range_a = operand_range(model, a, a_slice);
    return insert_expression(model, is_user_com, name, uint32_t(constant), op, a, range_a,
                             std::nullopt, std::nullopt, uint32_t(constant));
}

HcpIdent make_expression_empty(ModelArena& model, bool is_user_com, std::string_view name,
                               uint32_t width) {
    Expression e(
        HcpIdent::make(HwComponentType::Expression, Sensitivity::ReadOnly, is_user_com, name),
        width);
    e.op = LogicOp::Assign;
    return insert_and_stamp_hcp(model, std::move(e), is_user_com);
}

}  // namespace vorlent
