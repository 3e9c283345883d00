#include "common/interrupt.hpp"

#include <atomic>

namespace vorlent {

namespace {
// Written once at start-up, read by every thread that runs a long call.
std::atomic<InterruptCheck> INSTALLED{nullptr};
}  // namespace

void set_interrupt_check(InterruptCheck check) {
    INSTALLED.store(check, std::memory_order_release);
}

void check_interrupt() {
    const InterruptCheck check = INSTALLED.load(std::memory_order_acquire);
    if (check && check()) throw Interrupted{};
}

}  // namespace vorlent
