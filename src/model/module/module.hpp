// A module: one unit of the design's hierarchy, one Verilog module. It owns
// the identities of everything made while it was traced.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/flow_block/common/flow_block_ident.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"
#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

// Component lists indexed by the HwComponentType tag.
using HcpLists = std::array<std::vector<HcpIdent>, HW_COMPONENT_TYPE_COUNT>;

// The components of one kind read in place: the system list, then the user
// list. Valid while the module's lists are neither changed nor moved.
class HcpsOfKind {
public:
    class iterator {
    public:
        using value_type = HcpIdent;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        iterator(const HcpIdent* cur, const HcpIdent* first_end, const HcpIdent* second)
            : cur_(cur), first_end_(first_end), second_(second) {}
        const HcpIdent& operator*() const { return *cur_; }
        const HcpIdent* operator->() const { return cur_; }
        iterator& operator++() {
            if (++cur_ == first_end_) cur_ = second_;
            return *this;
        }
        iterator operator++(int) {
            iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const iterator& a, const iterator& b) { return a.cur_ == b.cur_; }

    private:
        const HcpIdent* cur_ = nullptr;
        const HcpIdent* first_end_ = nullptr;
        const HcpIdent* second_ = nullptr;
    };

    HcpsOfKind(const std::vector<HcpIdent>& sys, const std::vector<HcpIdent>& usr)
        : sys_(sys), usr_(usr) {}
    iterator begin() const {
        return iterator(sys_.empty() ? usr_.data() : sys_.data(), sys_end(), usr_.data());
    }
    iterator end() const { return iterator(usr_.data() + usr_.size(), sys_end(), usr_.data()); }
    size_t size() const { return sys_.size() + usr_.size(); }
    std::vector<HcpIdent> to_vector() const { return std::vector<HcpIdent>(begin(), end()); }

private:
    const HcpIdent* sys_end() const { return sys_.data() + sys_.size(); }

    const std::vector<HcpIdent>& sys_;
    const std::vector<HcpIdent>& usr_;
};

struct Module {
    HcpLists system_hcps;  // made with the user-component flag clear
    HcpLists user_hcps;    // made with it set
    std::vector<ModuleIdent> sub_modules;
    std::vector<CcpIdent> ccps;
    std::vector<FlowBlockIdent> flow_blocks;  // top-level blocks, in closing order
    std::vector<NcpIdent> basic_nodes;        // loose assignment nodes (top module only)
    ModuleIdent ident;
    OptIdent<NcpIdent> start_node;  // set on the top module by build_flow
    OptIdent<HcpIdent> clk;         // its clock port, set with start_node
    bool is_top = false;            // set by set_top_module
    // Its component phase last ended with no module tracked, so it joined no
    // module's sub-modules then (emit names that step for a module outside
    // the top module's tree).
    bool com_phase_ended_alone = false;

    // The components of one kind: system list first, then user list.
    HcpsOfKind hcps_of(HwComponentType t) const {
        return HcpsOfKind(system_hcps[size_t(t)], user_hcps[size_t(t)]);
    }

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.set_arena_handle(h); }
    // The zeroed module; draws no global id.
    static Module arena_default() { return Module{}; }
};

}  // namespace vorlent
