// The Python class BackendVerilog: takes a model over from a ModelArena
// object, which keeps a new empty model, to write it out as Verilog.
#pragma once

#include <string_view>

#include "applications/py/runtime/class_registry.hpp"
#include "applications/py/runtime/method.hpp"
#include "backends/verilog/backend.hpp"

namespace vorlent::py {

// The backend owns the model it writes.
using PyBackendVerilog = BoundObject<BackendVerilog>;

struct BackendVerilogReceiver {
    using Model = BackendVerilog;
    static constexpr std::string_view class_name = "BackendVerilog";
    static constexpr std::string_view type_path =
        "vorlent::applications::py::backends::verilog::backend_py::PyBackendVerilog";
};

LazyClass& backend_verilog_class();

}  // namespace vorlent::py
