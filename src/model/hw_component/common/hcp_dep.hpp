// The sets and maps of component identities used to collect what a component
// reads and to rename those reads during cross-module routing. Both hash by
// global id and compare by full identity equality.
#pragma once

#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

// The components an element reads, each once. A set made by `outside_of`
// leaves out the components of one module: routing needs only the reads that
// cross into another module, and most reads do not.
class HcpSet : public std::unordered_set<HcpIdent, HcpIdentHash> {
public:
    using Base = std::unordered_set<HcpIdent, HcpIdentHash>;
    using Base::Base;

    static HcpSet outside_of(ArenaHandle module) {
        HcpSet s;
        s.skipped_module_ = module;
        return s;
    }

    void insert(const HcpIdent& h) {
        if (skipped_module_ && h.module_handle() == *skipped_module_) return;
        Base::insert(h);
    }

private:
    std::optional<ArenaHandle> skipped_module_;
};
using HcpMap = std::unordered_map<HcpIdent, HcpIdent, HcpIdentHash>;

// Replaces `sig` by its mapped identity when it is a key of `map`.
inline void remap_hcp(HcpIdent& sig, const HcpMap& map) {
    if (map.empty()) return;
    const auto it = map.find(sig);
    if (it != map.end()) sig = it->second;
}

inline void remap_hcp(std::optional<HcpIdent>& sig, const HcpMap& map) {
    if (sig) remap_hcp(*sig, map);
}

inline void remap_hcp(OptIdent<HcpIdent>& sig, const HcpMap& map) {
    if (sig) remap_hcp(*sig, map);
}

}  // namespace vorlent
