#include "model/complex_hardware/karray/arena_factory_ccp_karray.hpp"

#include "model/arena_insert.hpp"
#include "model/complex_hardware/common/arena_impl_ccp.hpp"

namespace vorlent {

CcpIdent make_karray(ModelArena& model, bool is_user_com, std::string_view name,
                     std::vector<size_t> shape,
                     const std::vector<std::pair<std::string, int32_t>>& fields,
                     HwComponentType backing) {
    return insert_and_stamp_ccp(
        model, Karray::make(model, is_user_com, name, std::move(shape), fields, backing));
}

}  // namespace vorlent
