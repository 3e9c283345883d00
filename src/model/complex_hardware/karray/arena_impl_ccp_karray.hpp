// The model's operations on one Karray named by its identity. Each takes the
// array out of its arena (the placeholder draws one global id), works on it
// and puts it back, on success and failure alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/complex_hardware/common/ccp_ident.hpp"
#include "model/complex_hardware/karray/kidx.hpp"
#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/int_constant.hpp"

namespace vorlent {

class ModelArena;

std::vector<size_t> karray_shape(ModelArena& model, const CcpIdent& karray_i);
// (name, width) of every field, in declaration order.
std::vector<std::pair<std::string, int32_t>> karray_fields(ModelArena& model,
                                                           const CcpIdent& karray_i);
// True for a REG-backed array.
bool karray_is_clocked(ModelArena& model, const CcpIdent& karray_i);
Result<int32_t> karray_field_width(ModelArena& model, const CcpIdent& karray_i,
                                   std::string_view field);
// The component of one element's field; coordinates and the field name are
// checked (`Value` errors) before the lookup.
Result<HcpIdent> karray_element_hcp(ModelArena& model, const CcpIdent& karray_i,
                                    const std::vector<size_t>& coords, std::string_view field);
// An int value becomes the constant "kconst_c" of the field's width (after
// the field is found), noted in `cuts` when it does not fit, drawing its id
// even when the reset is then refused (the refused call takes it out again,
// see ModelMark). A signal value that is a register of the field is
// refused before the array is taken (Karray::check_reset_not_own).
CheckResult karray_reset_field(ModelArena& model, const CcpIdent& karray_i, std::string_view field,
                               const SignalOrInt& value, ClockMode clk_mode, IntCuts& cuts);
// Element assignment: each (field index, value) written into the selected
// elements, in one assignment node. The write is checked (Karray::check_write)
// before the array is taken.
CheckResult karray_assign_hcps(ModelArena& model, const CcpIdent& karray_i,
                               const std::vector<KIdx>& sel,
                               const std::vector<std::pair<size_t, HcpIdent>>& sources,
                               bool clocked);

// The custom selectors of a write's selection `sel` (the parameter `param`
// of the method `where`), read against the array in place before it is
// taken: "{where}: {param}[d], a cus selector of dimension d, takes one
// 1-bit enable signal per index" and then "(N indices), got M signals" for
// a count off the dimension's size, or ", but enable i of M (counted from
// 0), "{name}", is W bits wide" for an enable that is no 1-bit condition
// (a wider one would write whenever any of its bits is 1).
CheckResult check_custom_enables(const ModelArena& model, const CcpIdent& karray_i,
                                 const std::vector<KIdx>& sel, std::string_view where,
                                 std::string_view param);

// A source of an element assignment: the field it drives by name, or none
// for the only field of a single-field array.
struct KarraySource {
    std::optional<std::string> field;
    SignalOrInt value;
};

// Element assignment by field name (the model's side of
// karray_assign_hcps), its custom enables checked first.
// Sources naming no field are skipped and their names returned; an int
// source becomes the constant "kconst_c" of its field's width (noted in
// `cuts` when it does not fit), made in the order of the sources once every
// source is matched and the write is checked (Karray::check_write), so a
// refusal makes none. `Type` error for a bare source on an array of several
// fields, `Value` error when no source matched.
Result<std::vector<std::string>> karray_assign_sources(ModelArena& model, const CcpIdent& karray_i,
                                                       const std::vector<KIdx>& sel,
                                                       const std::vector<KarraySource>& sources,
                                                       bool clocked, IntCuts& cuts);

}  // namespace vorlent
