// The FlowBlock interface: how every block kind is used once taken out of
// its arena (take_flow_block). Operations a kind does not support stop with
// "{op}: not supported by this block type".
//
// A block goes back into its arena through the guard that take_flow_block
// returns (put_back), which plays the part of replace_back_into_arena.
#pragma once

#include <optional>
#include <string_view>

#include "common/error_text.hpp"
#include "model/common/identifier.hpp"
#include "model/flow_block/common/flow_block_base.hpp"
#include "model/flow_block/common/node_wrap.hpp"

namespace vorlent {

class ModelArena;

class FlowBlock : public Identifiable {
public:
    virtual const FlowBlockBase& get_base() const = 0;
    virtual FlowBlockBase& get_base_mut() = 0;

    // Receives an assignment node made while this block was the innermost open block.
    virtual void add_element_in_flow_block(const NcpIdent& node) = 0;
    // Receives a closed child whose join policy is SubFlow or BasicNodeFlow.
    virtual void add_sub_flow_block(const FlowBlockIdent& block) = 0;
    // Receives a closed continuation (elif, else).
    virtual void add_con_flow_block(const FlowBlockIdent& block);
    virtual HcpIdent get_loop_id_expr_i() const;
    // The block's entries, exit and latency after it was built.
    virtual NodeWrap summarize_as_block() const;
    // The one assignment node a BasicNodeFlow block stands for, after it was built.
    virtual NcpIdent summarize_as_node() const;
    // Success, or an error text the caller sees as ValueError.
    virtual CheckResult check_prefinalize() const;
    // The first step of the block's build, before its sources are handed to
    // its children: a kind may add sources of its own (the pipeline does).
    virtual void prepare_build(ModelArena& model);
    // Runs the kind's schematic: the last step of the block's build, after
    // its children are built and its control nodes made (build_flow_block).
    virtual void build_hw_component(ModelArena& model) = 0;
    // Records in the stored summary, if the kind keeps one, the ids drawn
    // while the block was built.
    virtual void set_built_span(IdSpan) {}

    const IdentBase& get_ident_base() const override { return get_base().ident.ident_base; }
    IdentBase& get_ident_base_mut() override { return get_base_mut().ident.ident_base; }
    const FlowBlockIdent& ident() const { return get_base().ident; }
};

// An empty base around a fresh identity (one global id) with the kind's own
// join policy and chain-head flag; with an empty name, the kind's default
// element.
FlowBlockBase flow_block_base(FlowBlockType block_type, std::string_view name = "");

// The data and arena plumbing every kind shares, with the summary the
// build stores for the kinds that show their parent a block (the zero-delay
// kinds fold into a node instead and leave it empty).
class FlowBlockRecord : public FlowBlock {
public:
    FlowBlockBase base;
    std::optional<NodeWrap> built;

    const FlowBlockBase& get_base() const override { return base; }
    FlowBlockBase& get_base_mut() override { return base; }

    uint64_t arena_global_id() const { return base.ident.global_id(); }
    ArenaHandle arena_handle() const { return base.ident.handle(); }
    void set_arena_handle(ArenaHandle h) { base.ident.ident_base.set_arena_handle(h); }

    // The stored summary; before the build, the kind's not_built_text().
    NodeWrap summarize_as_block() const override;
    void set_built_span(IdSpan made) override {
        if (built) built->set_made(made);
    }

protected:
    FlowBlockRecord() = default;
    explicit FlowBlockRecord(FlowBlockBase b) : base(std::move(b)) {}

    // The kind's fatal text for a summary asked before the build; empty for
    // a kind that never stores one.
    virtual std::string_view not_built_text() const { return {}; }
    // The finalize check of a kind: `empty` when it holds no node and no
    // block; `con_held` when it holds continuations, unless that is empty
    // (the kind takes them).
    CheckResult check_content(std::string_view empty, std::string_view con_held) const;
    // A kind's block around an empty base of its type (one global id);
    // unnamed, the kind's default element.
    template <class Kind>
    static Kind block_of(FlowBlockType block_type, std::string_view name = "") {
        Kind e;
        e.base = flow_block_base(block_type, name);
        return e;
    }
};

}  // namespace vorlent
