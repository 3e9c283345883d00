#include "model/hw_component/update_event/ue_common.hpp"

namespace vorlent {

bool UpdatingEvent::is_joinable(const UpdatingEvent& other) const {
    const UeCommon& a = get_ue_common();
    const UeCommon& b = other.get_ue_common();
    return a.priority == b.priority && a.clk_mode == b.clk_mode && a.clk_src_i == b.clk_src_i;
}

}  // namespace vorlent
