#include "model/hw_component/sp_reg/sp_reg_base.hpp"

namespace vorlent {

void refuse_sp_reg_do_asm(std::string_view kind) {
    fatal(format("{}::do_asm() is not supported; use build_update_event()", kind));
}

}  // namespace vorlent
