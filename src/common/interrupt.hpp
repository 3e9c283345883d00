// Stopping a long call on the user's request (Ctrl-C). The core cannot see
// signals; the host (the Python layer) installs a check that says whether the
// running call should stop, and the walks of build_flow and emit ask it at a
// cheap interval: per module, per block, per batch of elements, per block of
// output bytes, and whenever a blocked write is interrupted.
//
// A stop travels as `Interrupted`, a type of its own, so that no handler of
// broken invariants mistakes it for one; elements taken out of their arenas
// are put back by their guards while it unwinds, as for a fatal error.
#pragma once

#include <cstdint>

namespace vorlent {

// Thrown when the installed check says stop. The host has already recorded
// why (for Python, the pending KeyboardInterrupt).
struct Interrupted {};

// True when the running call should stop. It runs on the calling thread and
// must be cheap; the host may run its signal handlers in it.
using InterruptCheck = bool (*)();

// Installs the check (null: calls are never stopped). Set once, at start-up,
// before any call that could ask it.
void set_interrupt_check(InterruptCheck check);

// Asks the installed check now; throws Interrupted when it says stop.
void check_interrupt();

// Asks once every INTERVAL ticks: for loops whose steps are cheap. One per
// loop, on the stack.
class InterruptPoll {
public:
    static constexpr uint32_t INTERVAL = 1024;

    void tick() {
        if (++count_ == INTERVAL) [[unlikely]] {
            count_ = 0;
            check_interrupt();
        }
    }

private:
    uint32_t count_ = 0;
};

}  // namespace vorlent
