#include "model/complex_hardware/arb/arena_factory_arb.hpp"

#include "model/arena_insert.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"

namespace vorlent {

CcpIdent make_arb(ModelArena& model, bool is_user_com, std::string_view name,
                  ArbSamePriPolicy policy) {
    return insert_and_stamp_ccp(model, Arb::make(model, is_user_com, name, policy));
}

}  // namespace vorlent
