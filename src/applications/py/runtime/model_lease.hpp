// The model of a PerStep call. Such a call (a Karray read that runs Python
// select functions) holds no borrow across itself, so those functions may
// call methods of the same object; it reaches the model only through
// `with_model`, one step at a time, and holds nothing into the model between
// steps.
#pragma once

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "applications/py/runtime/thread_bound.hpp"
#include "model/common/identifier.hpp"

namespace vorlent::py {

// Per-step calls nest through the Python functions they run: a select
// function that reads another Karray runs the next call, whose select
// function may read again, each level about 3 KiB of C stack deep (a 512 KiB
// thread overflows at some 165 levels), some 13 KiB under AddressSanitizer.
// The interpreter's recursion limit stops that only where the stack is
// large, so each thread's nesting is capped here: 16 levels take about
// 60 KiB (240 KiB under the sanitizer), and no design nests its select
// functions that deep.
class PerStepNesting {
public:
    static constexpr int MAX_DEPTH = 16;

    // Stops with NestingTooDeep, naming `method`, past MAX_DEPTH.
    explicit PerStepNesting(std::string_view method) {
        if (depth_ == MAX_DEPTH) throw NestingTooDeep{method, MAX_DEPTH};
        ++depth_;
    }
    ~PerStepNesting() { --depth_; }
    PerStepNesting(const PerStepNesting&) = delete;
    PerStepNesting& operator=(const PerStepNesting&) = delete;

private:
    static inline thread_local int depth_ = 0;
};

template <class Model>
class ModelLease {
public:
    ModelLease(BoundState<Model>& state, std::string_view type_path)
        : state_(state), type_path_(type_path) {}

    // Runs `step` on the model: checks the thread, holds the object
    // exclusively for the step (fatal "Already borrowed: ..." when a call
    // holds it) with the model's name store current, and releases it when
    // the step ends, on every path.
    template <class F>
    decltype(auto) with_model(F&& step) const {
        state_.binding.check_thread(type_path_);
        StepBorrow borrow(state_.binding);
        const NameStoreScope names(kept_store());
        return std::forward<F>(step)(*state_.model);
    }

    // The name store of the model the object holds now, kept for the rest
    // of the call: a select function may move the model away and free it
    // before the call ends, while the call still holds identities named
    // there.
    NameStore* kept_store() const {
        if (kept_stores_.empty() || kept_stores_.back() != state_.model->name_store_shared())
            kept_stores_.push_back(state_.model->name_store_shared());
        return kept_stores_.back().get();
    }

    // The name store of the model the object has held for the whole call,
    // or none once a step found another model there. The identities the
    // call hands to Python carry it, so another model refuses them by name;
    // ones named in a model moved away carry none.
    NameStore* sole_store() const {
        NameStore* now = kept_store();
        return kept_stores_.size() == 1 ? now : nullptr;
    }

private:
    mutable std::vector<std::shared_ptr<NameStore>> kept_stores_;
    BoundState<Model>& state_;
    std::string_view type_path_;
};

}  // namespace vorlent::py
