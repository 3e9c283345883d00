#include "model/controller/asm_mode.hpp"

namespace vorlent {

namespace {
thread_local int32_t CUR_PRIORITY = DEFAULT_UE_PRI_USER;
thread_local AsmNodePriorityMode CUR_MODE = AsmNodePriorityMode::Auto;
}  // namespace

int32_t get_asm_pri_val() { return CUR_PRIORITY; }
AsmNodePriorityMode get_asm_pri_mode_value() { return CUR_MODE; }

std::string_view get_asm_pri_mode() {
    return CUR_MODE == AsmNodePriorityMode::Auto ? "Auto" : "Manual";
}

void set_asm_pri_to_auto() {
    CUR_MODE = AsmNodePriorityMode::Auto;
    CUR_PRIORITY = DEFAULT_UE_PRI_USER;
}

void set_asm_pri_to_manual(int32_t priority) {
    CUR_MODE = AsmNodePriorityMode::Manual;
    CUR_PRIORITY = priority;
}

}  // namespace vorlent
