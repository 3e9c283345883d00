// Named, sized values to be written into a Karray.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "model/complex_hardware/karray/karray_meta.hpp"
#include "model/complex_hardware/karray/kidx.hpp"

namespace vorlent {

class Karray;

struct KView {
    std::vector<KarrayField> fields;  // (name, width) of each value
    std::vector<HcpIdent> hcps;       // the values, same order and length
    // Set for element assignment (values matched to fields by name, widths
    // not compared), clear for a view read from another array (matched by
    // name and width).
    bool is_from_sources = false;

    // The view of element assignment: for each (field index, value) in order,
    // that field's name and width. Repeated indexes are kept. An index at or
    // past the field count: `Value` "source field index {} out of range (have
    // {} fields)".
    static Result<KView> from_sources(const Karray& array,
                                      const std::vector<std::pair<size_t, HcpIdent>>& sources);
};

}  // namespace vorlent
