// The sequential schematic: a chain of one state per direct assignment and
// one nested block per sub-block, each step started by the previous one.
#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/seq/flow_block_seq.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/arena_impl_node.hpp"

namespace vorlent {

namespace {

// Makes a step depend on `pred`: every entry of a nested block, or the
// state node of a basic step.
void add_depend_node(ModelArena& model, const SequenceEle& ele, const NcpIdent& pred) {
    if (const auto* block = std::get_if<SeqBlockEle>(&ele)) {
        if (!block->summary) fatal("not generated");
        for (const NcpIdent& entry : block->summary->samples())
            get_ncp_node_mut(model, entry).add_depend_node(pred, std::nullopt);
    } else {
        const auto& basic = std::get<SeqBasicEle>(ele);
        if (!basic.state_node_i) fatal("not generated");
        get_ncp_node_mut(model, *basic.state_node_i).add_depend_node(pred, std::nullopt);
    }
}

const NcpIdent& resolved_asm_node(const SeqBasicEle& basic) {
    if (!basic.asm_node_i)
        fatal(
            "SequenceEle::Basic: asm_node_i unresolved (add_node forgot the AsmNode, or "
            "add_basic_block's block has no summary)");
    return *basic.asm_node_i;
}

NodeWrap build_seq(SeqSchematic& schematic, FlowBlockBase& base, ModelArena& model) {
    if (schematic.elements.empty()) fatal("seq flow block has no element");
    if (!base.con_blocks.empty()) fatal("seq flow block does not support con blocks");
    const uint64_t id = base.ident.global_id();

    std::vector<int32_t> cycles;
    cycles.reserve(schematic.elements.size() + 1);
    base.gen_nodes.reserve(base.gen_nodes.size() + schematic.elements.size());
    for (size_t i = 0; i < schematic.elements.size(); ++i) {
        SequenceEle& ele = schematic.elements[i];
        if (auto* basic = std::get_if<SeqBasicEle>(&ele)) {
            if (basic->block) {
                const NcpIdent node = summarize_node(model, *basic->block);
                assert_eq(node.node_type, NodeType::Asm,
                          "SequenceEle::Basic: summarize_as_node must yield an AsmNode for "
                          "BasicNodeFlow sub-block");
                basic->asm_node_i = node;
            }
            const NcpIdent& asm_node = resolved_asm_node(*basic);
            const NcpIdent state = make_state_node(model, false, format("seq_state_{}_{}", id, i));
            get_ncp_node_mut(model, state).fill_ext_node(base.triggers);
            get_ncp_node_mut(model, asm_node).add_depend_node(state, std::nullopt);
            base.gen_nodes.push_back(state);
            basic->state_node_i = state;
            cycles.push_back(get_ncp_node(model, state).get_cycle_used());
        } else {
            auto& block = std::get<SeqBlockEle>(ele);
            block.summary = summarize_block(model, block.block);
            cycles.push_back(block.summary->cycle());
        }
    }

    auto exit_of = [](const SequenceEle& ele) -> NcpIdent {
        if (const auto* block = std::get_if<SeqBlockEle>(&ele)) return block->summary->exit();
        return *std::get<SeqBasicEle>(ele).state_node_i;
    };
    for (size_t i = 1; i < schematic.elements.size(); ++i)
        add_depend_node(model, schematic.elements[i], exit_of(schematic.elements[i - 1]));

    // A start source starts the first step too, so the latency is not fixed.
    if (base.triggers.int_start()) {
        add_depend_node(model, schematic.elements.front(), *base.triggers.int_start());
        cycles.push_back(IN_CONSIST_CYCLE_USED);
    }

    // The first step's entries get their final phase from whoever starts this
    // block; every later step is complete now.
    for (size_t i = 0; i < schematic.elements.size(); ++i) {
        const SequenceEle& ele = schematic.elements[i];
        if (const auto* basic = std::get_if<SeqBasicEle>(&ele)) {
            assign_ncp_node(model, *basic->state_node_i, true, i > 0);
            assign_asm_from_state_node(model, resolved_asm_node(*basic));
        } else if (i > 0) {
            for (const NcpIdent& entry : std::get<SeqBlockEle>(ele).summary->samples())
                assign_ncp_node(model, entry, false, true);
        }
    }

    const SequenceEle& first = schematic.elements.front();
    const auto* first_block = std::get_if<SeqBlockEle>(&first);
    EntryList samples = first_block ? first_block->summary->samples()
                                    : EntryList{*std::get<SeqBasicEle>(first).state_node_i};
    return NodeWrap(std::move(samples), exit_of(schematic.elements.back()), sum_cycles(cycles));
}

}  // namespace

// Once built, the block answers from its summary, and no later step reads
// its steps or its own assignment nodes (a parent reads those only of the
// blocks that fold into one assignment node): they are released here rather
// than kept until the model goes, so later steps of the build reuse their
// memory.
void FlowBlockSeq::build_hw_component(ModelArena& model) {
    built = build_seq(schematic, base, model);
    std::vector<SequenceEle>().swap(schematic.elements);
    std::vector<NcpIdent>().swap(base.basic_nodes);
    std::vector<uint32_t>().swap(base.basic_node_positions);
}

}  // namespace vorlent
