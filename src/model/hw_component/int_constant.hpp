// The constant an int operand becomes: the caller passes an int where a
// signal is expected, and it is sized by the other side of its use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "common/wide_int.hpp"
#include "model/hw_component/arena_factory_hcp.hpp"

namespace vorlent {

// Where a signal is expected the caller may pass an int instead.
using SignalOrInt = std::variant<HcpIdent, WideInt>;

// An int that the constant made of it does not hold whole (see
// fits_width): the caller is told after the call what was kept.
struct IntCut {
    WideInt value;
    int32_t width;
    HcpIdent constant;
};
using IntCuts = std::vector<IntCut>;

// Adds `value` to `cuts` unless `constant`, `width` bits wide, holds it.
inline void note_int_cut(IntCuts& cuts, const WideInt& value, int32_t width,
                         const HcpIdent& constant) {
    if (!fits_width(value, width)) cuts.push_back(IntCut{value, width, constant});
}

// A user-made constant "{base_name}_c" of `width` bits holding `value`
// reduced modulo 2^width (a negative value as its two's-complement pattern),
// noted in `cuts` when that loses bits. Up to 64 bits it is a plain
// constant, from 65 bits a wide one. Stamped to the traced module like the
// caller's own components.
inline HcpIdent make_const_val(ModelArena& model, std::string_view base_name, const WideInt& value,
                               int32_t width, IntCuts& cuts) {
    const std::string name = format("{}_c", base_name);
    ConstBits bits = const_bits_for_width(value, width);
    const HcpIdent made =
        bits.wide ? make_val_vv(model, true, name, uint32_t(width),
                                VaryVal::from_limbs(std::move(bits.limbs), size_t(width)))
                  : make_val(model, true, name, width, bits.value);
    note_int_cut(cuts, value, width, made);
    return made;
}

}  // namespace vorlent
