// Takes kept for the global id they draw.
//
// Taking a control node, flow block or complex component out of its arena
// leaves a placeholder whose fresh identity draws the next global id, and
// every name made afterwards carries the ids drawn before it. Many short
// steps (reading a field, pushing onto a list, stamping an identity) could
// run on the element in place, where nothing is drawn, but every design's
// names were settled with these takes in them: dropping, merging or
// reordering one renames everything made after it. Such steps go through
// draw_id_by_take, so the call says why the take is there.
#pragma once

#include <type_traits>

namespace vorlent {

// Runs `step` on the element held by `taken` (a Taken<T> or a TakenAny),
// puts the element back and returns a copy of what `step` returned. If
// `step` stops with a fatal error, the guard puts the element back as it
// unwinds.
template <class TakenElement, class Step>
auto draw_id_by_take(TakenElement taken, Step&& step) {
    using Out = std::decay_t<decltype(step(*taken))>;
    if constexpr (std::is_void_v<Out>) {
        step(*taken);
        taken.put_back();
    } else {
        Out out = step(*taken);
        taken.put_back();
        return out;
    }
}

}  // namespace vorlent
