#include "model/flow_block/common/single_body_block.hpp"

#include <array>

#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"

namespace vorlent {

namespace {

struct SingleBodyTexts {
    FlowBlockType kind;
    std::string_view direct_node;  // fatal: an assignment made directly inside
    std::string_view second_body;  // fatal: a second body
    std::string_view not_built;    // fatal: the summary asked before the build
    std::string_view no_body;      // ValueError at finalize: no body
    std::string_view con_blocks;  // ValueError at finalize: continuations held; empty where allowed
    std::string_view no_body_built;  // fatal: a branch built without a body
};

// The heads and branches of the chains take or refuse continuations when
// they are added, so they have no text for them at finalize.
constexpr std::array<SingleBodyTexts, 7> TEXTS{{
    {FlowBlockType::CondIf, "cond block does not accept direct asm nodes; use a sub-block",
     "cond block already has a body sub-block", "cond block has not been built",
     "cond block must have at least one body block", ""},
    {FlowBlockType::CondElif,
     "cond elif/else block does not accept direct asm nodes; use a sub-block",
     "cond elif/else already has a body sub-block", "cond elif/else block has not been built",
     "cond elif/else block has no body sub-block", "",
     "cond elif/else block has no body sub-block"},
    {FlowBlockType::PickIf,
     "pick branch (pif/pidef) does not accept direct asm nodes; use a sub-block",
     "pick branch already has a body sub-block", "pick branch has not been built",
     "pick branch (pif/pidef) has no body sub-block", "", "pick branch has no body sub-block"},
    {FlowBlockType::WhileLoop, "while block does not accept direct asm nodes; use a sub-block",
     "while block already has a body sub-block", "while block has not been built",
     "while block must have one body block", "while block does not support con blocks"},
    {FlowBlockType::DoWhile, "do-while block does not accept direct asm nodes; use a sub-block",
     "do-while block already has a body sub-block", "do-while block has not been built",
     "do-while block must have exactly one body block",
     "do-while block does not support con blocks"},
    {FlowBlockType::CounterLoop, "counter loop does not accept direct asm nodes; use a sub-block",
     "counter loop already has a body sub-block", "counter loop has not been built",
     "counter loop must have exactly one body block", "counter loop does not support con blocks"},
    {FlowBlockType::Pipeline, "pipeline block does not accept direct asm nodes; use a sub-block",
     "pipeline block already has a body sub-block", "pipeline block has not been built",
     "pipeline block must have exactly one body sub-block",
     "pipeline block does not support con blocks"},
}};

const SingleBodyTexts& texts_of(FlowBlockType kind) {
    for (const SingleBodyTexts& t : TEXTS)
        if (t.kind == kind) return t;
    fatal(format("{} is not a single-body block", flow_block_type_debug(kind)));
}

}  // namespace

void SingleBodyBlock::add_element_in_flow_block(const NcpIdent&) {
    fatal(std::string(texts_of(base.ident.block_type).direct_node));
}

void SingleBodyBlock::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_body(block, texts_of(base.ident.block_type).second_body);
}

CheckResult SingleBodyBlock::check_prefinalize() const {
    // Its body is its only content: it refuses direct nodes.
    const SingleBodyTexts& t = texts_of(base.ident.block_type);
    return check_content(t.no_body, t.con_blocks);
}

std::string_view SingleBodyBlock::not_built_text() const {
    return texts_of(base.ident.block_type).not_built;
}

void SingleBodyBranch::build_hw_component(ModelArena& model) {
    if (base.sub_blocks.empty()) fatal(std::string(texts_of(base.ident.block_type).no_body_built));
    built = summarize_block(model, base.sub_blocks.front());
}

}  // namespace vorlent
