#include "model/hw_component/mem_ele.hpp"

#include "model/controller/asm_mode.hpp"

namespace vorlent {

int32_t MemEle::get_priority() const { return get_asm_pri_val(); }

}  // namespace vorlent
