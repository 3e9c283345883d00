#include "applications/py/runtime/thread_bound.hpp"

#include "common/fatal.hpp"
#include "common/text.hpp"

namespace vorlent::py {

std::string debug_repr(ThreadId id) { return format("ThreadId({})", id.value); }

void ThreadBinding::fail_other_thread(std::string_view type_path) const {
    fatal_assert_cmp("==", format("{} is unsendable, but sent to another thread", type_path),
                     debug_repr(ThreadId::current()), debug_repr(owner));
}

BorrowGuard::BorrowGuard(ThreadBinding& binding, Borrow kind) : kind_(kind) {
    if (kind == Borrow::Exclusive) {
        if (binding.borrows != 0) {
            PyErr_SetString(PyExc_RuntimeError, "Already borrowed");
            return;
        }
        binding.borrows = -1;
    } else {
        if (binding.borrows < 0) {
            PyErr_SetString(PyExc_RuntimeError, "Already mutably borrowed");
            return;
        }
        ++binding.borrows;
    }
    binding_ = &binding;
}

BorrowGuard::~BorrowGuard() {
    if (!binding_) return;
    if (kind_ == Borrow::Exclusive)
        binding_->borrows = 0;
    else
        --binding_->borrows;
}

StepBorrow::StepBorrow(ThreadBinding& binding) : binding_(binding) {
    if (binding.borrows != 0)
        fatal("Already borrowed: a call on this object is still running and holds its model");
    binding.borrows = -1;
}

void report_dropped_on_other_thread(std::string_view type_path) {
    try {
        report_unraisable(
            PyExc_RuntimeError,
            format("{} is unsendable, but is being dropped on another thread", type_path));
    } catch (...) {
        // Out of memory while freeing: nothing is left to report it with.
    }
}

}  // namespace vorlent::py
