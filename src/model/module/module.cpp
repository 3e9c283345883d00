#include "model/module/module.hpp"

namespace vorlent {

std::vector<HcpIdent> Module::hcps_of(HwComponentType t) const {
    const auto& sys = system_hcps[size_t(t)];
    const auto& usr = user_hcps[size_t(t)];
    std::vector<HcpIdent> out;
    out.reserve(sys.size() + usr.size());
    out.insert(out.end(), sys.begin(), sys.end());
    out.insert(out.end(), usr.begin(), usr.end());
    return out;
}

}  // namespace vorlent
