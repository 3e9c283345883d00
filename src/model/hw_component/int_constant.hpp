// The constant an int operand becomes: the caller passes an int where a
// signal is expected, and it is sized by the other side of its use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "common/wide_int.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

// Where a signal is expected the caller may pass an int instead.
using SignalOrInt = std::variant<HcpIdent, WideInt>;

// A user-made constant "{base_name}_c" of `width` bits holding `value`
// reduced modulo 2^width (a negative value as its two's-complement pattern).
// Up to 64 bits it is a plain constant, from 65 bits a wide one. Stamped to
// the traced module like the caller's own components.
inline HcpIdent make_const_val(ModelArena& model, std::string_view base_name, const WideInt& value,
                               int32_t width) {
    const std::string name = format("{}_c", base_name);
    ConstBits bits = const_bits_for_width(value, width);
    if (bits.wide)
        return make_val_vv(model, true, name, uint32_t(width),
                           VaryVal::from_limbs(std::move(bits.limbs), size_t(width)));
    return make_val(model, true, name, width, bits.value);
}

}  // namespace vorlent
