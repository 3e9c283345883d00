// The select logic that Karray reads and writes add around the element
// components. All of it is system-made and stamped to the traced module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/complex_hardware/karray/karray_env.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

// `index == i` for dimension size `n`: the constant "{S}_EQ{i}" of the
// dimension's index bits and the expression "{S}_EQ{i}_C", S the index
// signal's absolute name. Returns the expression.
HcpIdent binary_index_eq(ModelArena& model, const HcpIdent& index, size_t i, size_t n);

// The write condition narrowed by `enable`: the enable itself when there is
// no condition yet, else the expression "{enable}_WE", bit 0 of the condition
// AND bit 0 of the enable.
HcpIdent and_we(ModelArena& model, const std::optional<HcpIdent>& cond, const HcpIdent& enable);

// The select of mux-tree layer `layer`: "{S}_B{layer}" (that bit of the index
// signal) and its inverse "{S}_B{layer}_N", which is returned: 1 selects the
// left node of each pair.
HcpIdent bin_layer_select_left(ModelArena& model, const HcpIdent& index, uint32_t layer);

// Merges two nodes position by position (up to the shorter field list): a
// wire "{A}_D{d}L{layer}N{pair}F{pos}_DMUX" as wide as a's value carries a's
// value when `sel` is 1, b's otherwise. The result stands for a's coords then b's.
ReadNode mux_fields_pair(ModelArena& model, std::string_view array_name, size_t d, uint32_t layer,
                         size_t pair, const ReadNode& a, const ReadNode& b, const HcpIdent& sel);

// Each extra sets the first field of its name, or is appended when none has it.
void apply_extras(ReadNode& node, const NamedHcps& extras);

}  // namespace vorlent
