// What the nodes that own a special register share (the state, the sync
// join, the two waits and the counter): the register, the signals their
// exit is made of, and the positive edge the register runs on.
#pragma once

#include <string_view>

#include "common/fatal.hpp"
#include "model/nodes/ncp_node.hpp"

namespace vorlent {

class SpRegNodeRecord : public NcpNodeRecord {
public:
    HcpIdent reg;            // the register, "{name}_{suffix}" by kind
    OptIdent<HcpIdent> raw;  // set by assign_prelim: the register's end (a state: the register)
    OptIdent<HcpIdent> exit_opr;  // set by assign_prelim

    ClockMode get_clock_mode() const final { return ClockMode::PosEdge; }

protected:
    SpRegNodeRecord() = default;

    // A node around its register: the register, made by the caller, has
    // drawn its ids before the node identity draws its own.
    template <class Kind>
    static Kind around(HcpIdent reg, NodeType node_type, bool is_user_com, std::string_view name) {
        Kind n;
        n.reg = std::move(reg);
        n.ident = NcpIdent::make(node_type, is_user_com, name);
        return n;
    }

    // Keeps `end` as raw and, as exit, `end` cut by the reset and the hold.
    void set_raw_and_exit(ModelArena& model, HcpIdent end) {
        HcpIdent exit = bind_exit(model, end);
        raw = std::move(end);
        exit_opr = std::move(exit);
    }
    // The signal once assign_prelim set it; before, `not_set` as fatal text.
    static HcpIdent set_or_fatal(const OptIdent<HcpIdent>& sig, std::string_view not_set) {
        if (!sig) fatal(std::string(not_set));
        return *sig;
    }
};

}  // namespace vorlent
