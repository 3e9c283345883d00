#include "model/nodes/ncp_ident.hpp"

#include <array>

namespace vorlent {

std::string_view node_type_display(NodeType t) {
    static constexpr std::array<std::string_view, NODE_TYPE_COUNT> NAMES = {
        VORLENT_NODE_KINDS(VORLENT_KIND_TEXT)};
    return NAMES.at(size_t(t));
}

std::string_view node_type_debug(NodeType t) {
    static constexpr std::array<std::string_view, NODE_TYPE_COUNT> NAMES = {
        VORLENT_NODE_KINDS(VORLENT_KIND_DEBUG)};
    return NAMES.at(size_t(t));
}

NcpIdent NcpIdent::make(NodeType node_type, bool is_user_com, std::string_view rel_name) {
    NcpIdent n;
    n.node_type = node_type;
    n.ident_base = make_ident(is_user_com, node_type_display(node_type), rel_name);
    return n;
}

std::string debug_repr(const NcpIdent& n) {
    return format("NcpIdent { ident_base: {}, node_type: {} }", debug_repr(n.ident_base),
                  node_type_debug(n.node_type));
}

}  // namespace vorlent
