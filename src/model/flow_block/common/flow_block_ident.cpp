#include "model/flow_block/common/flow_block_ident.hpp"

#include <array>

#include "model/common/enum_name.hpp"

namespace vorlent {

std::string_view flow_block_type_display(FlowBlockType t) {
    static constexpr std::array<std::string_view, FLOW_BLOCK_TYPE_COUNT> NAMES = {
        VORLENT_FLOW_BLOCK_KINDS(VORLENT_KIND_TEXT)};
    return NAMES.at(size_t(t));
}

std::string_view flow_block_type_debug(FlowBlockType t) {
    static constexpr std::array<std::string_view, FLOW_BLOCK_TYPE_COUNT> NAMES = {
        VORLENT_FLOW_BLOCK_KINDS(VORLENT_KIND_DEBUG)};
    return NAMES.at(size_t(t));
}

std::string debug_repr(FlowBlockJoinPolicy p) {
    return std::string(enum_name(p, {"SubFlow", "ConFlow", "BasicNodeFlow"}));
}

FlowBlockIdent FlowBlockIdent::make(FlowBlockType block_type, FlowBlockJoinPolicy join_policy,
                                    std::string_view rel_name, bool chain_master) {
    FlowBlockIdent f;
    f.block_type = block_type;
    f.join_policy = join_policy;
    f.chain_master = chain_master;
    f.ident_base = make_ident(false, flow_block_type_display(block_type), rel_name);
    return f;
}

std::string debug_repr(const FlowBlockIdent& f) {
    return format(
        "FlowBlockIdent { ident_base: {}, block_type: {}, join_policy: {}, chain_master: {} }",
        debug_repr(f.ident_base), flow_block_type_debug(f.block_type), debug_repr(f.join_policy),
        f.chain_master);
}

}  // namespace vorlent
