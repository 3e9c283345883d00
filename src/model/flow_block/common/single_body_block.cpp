#include "model/flow_block/common/single_body_block.hpp"

#include <array>
#include <type_traits>
#include <utility>

#include "common/fatal.hpp"
#include "model/flow_block/common/arena_impl_flow_block.hpp"
#include "model/flow_block/common/flow_block_kinds.hpp"

namespace vorlent {

namespace {

struct SingleBodyTexts {
    FlowBlockType kind;
    std::string_view direct_node;  // fatal: an assignment made directly inside
    std::string_view second_body;  // fatal: a second body
    std::string_view not_built;    // fatal: the summary asked before the build
    std::string_view no_body;      // ValueError at finalize: no body
    std::string_view con_blocks;  // ValueError at finalize: continuations held; empty where allowed
    std::string_view no_body_built;  // fatal: a branch built without a body; empty for the others
};

// The heads and branches of the chains take or refuse continuations when
// they are added, so they have no text for them at finalize.
constexpr std::array<SingleBodyTexts, 7> TEXTS{{
    {FlowBlockType::CondIf, "cond block does not accept direct asm nodes; use a sub-block",
     "cond block already has a body sub-block", "cond block has not been built",
     "cond block must have at least one body block", "", ""},
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
     "while block must have one body block", "while block does not support con blocks", ""},
    {FlowBlockType::DoWhile, "do-while block does not accept direct asm nodes; use a sub-block",
     "do-while block already has a body sub-block", "do-while block has not been built",
     "do-while block must have exactly one body block",
     "do-while block does not support con blocks", ""},
    {FlowBlockType::CounterLoop, "counter loop does not accept direct asm nodes; use a sub-block",
     "counter loop already has a body sub-block", "counter loop has not been built",
     "counter loop must have exactly one body block", "counter loop does not support con blocks",
     ""},
    {FlowBlockType::Pipeline, "pipeline block does not accept direct asm nodes; use a sub-block",
     "pipeline block already has a body sub-block", "pipeline block has not been built",
     "pipeline block must have exactly one body sub-block",
     "pipeline block does not support con blocks", ""},
}};

// The texts of each kind by its tag; null for the kinds of other shapes.
constexpr auto TEXTS_BY_KIND = [] {
    std::array<const SingleBodyTexts*, FLOW_BLOCK_TYPE_COUNT> by_kind{};
    for (const SingleBodyTexts& t : TEXTS) by_kind[size_t(t.kind)] = &t;
    return by_kind;
}();

// A kind whose record is a one-body block has its texts, and a branch kind
// its text for a build without a body: a new kind that derives from them
// without a line above does not compile.
template <size_t... I>
constexpr bool every_single_body_kind_has_texts(std::index_sequence<I...>) {
    constexpr auto complete = []<FlowBlockType K>() {
        using R = RecordOf<K>;
        const SingleBodyTexts* t = TEXTS_BY_KIND[size_t(K)];
        if (!std::is_base_of_v<SingleBodyBlock, R>) return t == nullptr;
        return t != nullptr && (!std::is_base_of_v<SingleBodyBranch, R> || !t->no_body_built.empty());
    };
    return (complete.template operator()<FlowBlockType(I)>() && ...);
}
static_assert(every_single_body_kind_has_texts(std::make_index_sequence<FLOW_BLOCK_TYPE_COUNT>{}),
              "every one-body flow-block kind needs its line in TEXTS, and only those");

// Only one-body blocks ask, so the entry is there (see the assertion).
const SingleBodyTexts& texts_of(FlowBlockType kind) { return *TEXTS_BY_KIND[size_t(kind)]; }

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
