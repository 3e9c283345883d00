// Objects that own a model are bound to the thread that made them, and one
// call at a time holds them: exclusively for calls that change the model,
// shared for the few that only read it. A call on the same object while
// another is still running can only come from Python code that the first
// call ran (a warnings handler, an __index__, a callback). A call that runs
// Python callbacks which may use the object themselves holds nothing across
// the call: each of its model steps holds the object exclusively for that
// step alone (PerStep, see model_lease.hpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "applications/py/runtime/py_error.hpp"

namespace vorlent::py {

struct ThreadId {
    unsigned long value = 0;
    static ThreadId current() { return ThreadId{PyThread_get_thread_ident()}; }
    friend bool operator==(const ThreadId&, const ThreadId&) = default;
};
// "ThreadId(140234)"
std::string debug_repr(ThreadId id);

enum class Borrow : uint8_t { Exclusive, Shared, PerStep };

// The owning thread and the borrow count of one object.
struct ThreadBinding {
    ThreadId owner = ThreadId::current();
    Py_ssize_t borrows = 0;  // 0 free, -1 held exclusively, n > 0 held shared by n calls
    uint64_t changing_calls = 0;  // calls that may change the model, counted as they begin

    // Stops with the failed equality assertion of the two thread ids when
    // called from another thread; `type_path` names the object's type. Every
    // method call runs it, so the message is made only when it fails.
    void check_thread(std::string_view type_path) const {
        if (!on_owner_thread()) [[unlikely]]
            fail_other_thread(type_path);
    }
    bool on_owner_thread() const { return owner == ThreadId::current(); }

private:
    [[noreturn]] void fail_other_thread(std::string_view type_path) const;
};

// Holds a borrow for one scope. `held()` is false, with RuntimeError
// "Already borrowed" / "Already mutably borrowed" set, when it could not be taken.
class BorrowGuard {
public:
    BorrowGuard(ThreadBinding& binding, Borrow kind);
    ~BorrowGuard();
    BorrowGuard(const BorrowGuard&) = delete;
    BorrowGuard& operator=(const BorrowGuard&) = delete;
    bool held() const { return binding_ != nullptr; }

private:
    ThreadBinding* binding_ = nullptr;
    Borrow kind_;
};

// Holds the object exclusively for one model step of a PerStep call. The step
// runs inside that call, so finding the object held means a call on it is
// still running below this one, which the step cannot wait for: fatal,
// "Already borrowed: ...".
class StepBorrow {
public:
    explicit StepBorrow(ThreadBinding& binding);
    ~StepBorrow() { binding_.borrows = 0; }
    StepBorrow(const StepBorrow&) = delete;
    StepBorrow& operator=(const StepBorrow&) = delete;

private:
    ThreadBinding& binding_;
};

// What a model-owning Python object carries after its header.
template <class Model>
struct BoundState {
    ThreadBinding binding;
    std::unique_ptr<Model> model;
};

// Frees the state of a model-owning object. On a thread other than its
// owner's the model is not freed (it stays allocated for the rest of the
// process) and a RuntimeError is reported through the unraisable hook.
template <class Model>
void drop_bound_state(BoundState<Model>& state, std::string_view type_path);

void report_dropped_on_other_thread(std::string_view type_path);

template <class Model>
void drop_bound_state(BoundState<Model>& state, std::string_view type_path) {
    if (!state.binding.on_owner_thread()) {
        (void)state.model.release();
        report_dropped_on_other_thread(type_path);
    }
    state.~BoundState();
}

}  // namespace vorlent::py
