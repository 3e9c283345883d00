// The model of a PerStep call. Such a call (a Karray read that runs Python
// select functions) holds no borrow across itself, so those functions may
// call methods of the same object; it reaches the model only through
// `with_model`, one step at a time, and holds nothing into the model between
// steps.
#pragma once

#include <string_view>
#include <utility>

#include "applications/py/runtime/thread_bound.hpp"

namespace vorlent::py {

template <class Model>
class ModelLease {
public:
    ModelLease(BoundState<Model>& state, std::string_view type_path)
        : state_(state), type_path_(type_path) {}

    // Runs `step` on the model: checks the thread, holds the object
    // exclusively for the step (fatal "Already borrowed: ..." when a call
    // holds it), and releases it when the step ends, on every path.
    template <class F>
    decltype(auto) with_model(F&& step) const {
        state_.binding.check_thread(type_path_);
        StepBorrow borrow(state_.binding);
        return std::forward<F>(step)(*state_.model);
    }

private:
    BoundState<Model>& state_;
    std::string_view type_path_;
};

}  // namespace vorlent::py
