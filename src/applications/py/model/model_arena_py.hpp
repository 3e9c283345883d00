// The Python class ModelArena: one object owns one whole model. Its methods
// come in families, one file per family beside the model operations they
// reach; each family hands its table entries to the class (see
// arena_method_families.hpp).
#pragma once

#include <optional>
#include <string_view>

#include "applications/py/runtime/class_registry.hpp"
#include "applications/py/runtime/method.hpp"
#include "model/common/name_check.hpp"
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

// The text an element's kind puts before its name in its absolute name.
inline std::string_view element_display(HwComponentType t) { return hw_type_display(t); }
inline std::string_view element_display(FlowBlockType t) { return flow_block_type_display(t); }
inline std::string_view element_display(CcpType t) { return ccp_type_display(t); }
enum class ModuleKind : uint8_t { Module };
inline std::string_view element_display(ModuleKind) { return MODULE_DISPLAY; }
// For a kind whose absolute name is also the stem of a file name (a
// module's, "{name}.v"), the longest such stem.
template <class Kind>
std::optional<size_t> element_file_name_max(Kind) {
    return std::nullopt;
}
inline std::optional<size_t> element_file_name_max(ModuleKind) { return MODULE_NAME_MAX; }
// Whether the element's name is written into the Verilog, inside its
// generated name. A flow block's never is: only the condition-slice
// expression of the condition kinds takes it, and their methods check it
// there.
template <class Kind>
constexpr bool element_name_written(Kind) {
    return true;
}
constexpr bool element_name_written(FlowBlockType) { return false; }

namespace arena_detail {

template <class R>
struct AsResult {
    using type = Result<R>;
};
template <class T>
struct AsResult<Result<T>> {
    using type = Result<T>;
};

template <FixedString Sig, auto Kind, auto Fn>
struct NamedMaker;
template <FixedString Sig, auto Kind, class R, class... Args,
          R (*Fn)(ModelArena&, std::string_view, Args...)>
struct NamedMaker<Sig, Kind, Fn> {
    static typename AsResult<R>::type call(ModelArena& m, std::string_view name, Args... args) {
        const std::string_view display = element_display(Kind);
        if constexpr (element_name_written(Kind)) {
            if (auto err = check_element_name(Signature<Sig>::name, "name", name, display,
                                              element_file_name_max(Kind)))
                return *err;
        }
        // The ids the function draws before the element's own decide how
        // long its name is: it is judged as its identity is made.
        std::optional<WholeNames> whole;
        if (WholeNames::may_judge(display, name)) whole.emplace(display, name);
        return Fn(m, name, std::forward<Args>(args)...);
    }
};

}  // namespace arena_detail

// A method that makes an element of kind `Kind` named by its first argument,
// which is checked (check_element_name) before anything is made, but for
// its length: an element's own name that does not fit stops the factory
// with the name rule's fatal error, once its id is drawn (WholeNames).
template <FixedString Sig, auto Fn, auto Kind, Describes D = Describes::Nothing>
PyMethodDef arena_maker() {
    return arena_method<Sig, &arena_detail::NamedMaker<Sig, Kind, Fn>::call, D>();
}

}  // namespace vorlent::py
