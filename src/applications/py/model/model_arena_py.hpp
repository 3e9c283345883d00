// The Python class ModelArena: one object owns one whole model. Its methods
// come in families, one file per family beside the model operations they
// reach; each family hands its table entries to the class (see
// arena_method_families.hpp).
#pragma once

#include <string_view>

#include "applications/py/runtime/class_registry.hpp"
#include "applications/py/runtime/method.hpp"
#include "model/model_arena.hpp"
#include "model/model_mark.hpp"
#include "model/module/build_flow.hpp"

namespace vorlent::py {

using PyModelArena = BoundObject<ModelArena>;

struct ModelArenaReceiver {
    using Model = ModelArena;
    static constexpr std::string_view class_name = "ModelArena";
    static constexpr std::string_view type_path =
        "vorlent::applications::py::model::model_arena::PyModelArena";
    // A call that fails takes the components it made out again.
    using CallMark = ModelMark;
    // Behaviour is described until build_flow has run.
    static CheckResult check_describing(const ModelArena& model, std::string_view method) {
        return check_flow_not_built(model, method);
    }
};

LazyClass& model_arena_class();

// A method that holds the model exclusively for the whole call. One that
// describes behaviour (Describes::Behaviour) is refused once build_flow has
// run.
template <FixedString Sig, auto Fn, Describes D = Describes::Nothing>
PyMethodDef arena_method() {
    return method_def<ModelArenaReceiver, Sig, Fn, Borrow::Exclusive, D>();
}

// A read-only method that holds the model shared; its function takes a
// `const ModelArena&`.
template <FixedString Sig, auto Fn>
PyMethodDef arena_method_shared() {
    return method_def<ModelArenaReceiver, Sig, Fn, Borrow::Shared>();
}

// A method that holds nothing across the call and borrows the model per
// step; its function takes a `const ModelLease<ModelArena>&`.
template <FixedString Sig, auto Fn, Describes D = Describes::Nothing>
PyMethodDef arena_method_per_step() {
    return method_def<ModelArenaReceiver, Sig, Fn, Borrow::PerStep, D>();
}

}  // namespace vorlent::py
