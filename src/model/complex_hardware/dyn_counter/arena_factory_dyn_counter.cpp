#include "model/complex_hardware/dyn_counter/arena_factory_dyn_counter.hpp"

#include "model/arena_insert.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"

namespace vorlent {

CcpIdent make_dyn_counter(ModelArena& model, bool is_user_com, std::string_view name,
                          int32_t width) {
    return insert_and_stamp_ccp(model, DynCounter::make(model, is_user_com, name, width));
}

}  // namespace vorlent
