// What a Karray read needs from outside: access to the model, one step at a
// time, and a decision for each pair of a reduction. The read holds no access
// to the model between steps, so a select function may call the model itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/fatal.hpp"
#include "common/interrupt.hpp"
#include "model/complex_hardware/karray/kidx.hpp"

namespace vorlent {

class ModelArena;

using NamedHcps = std::vector<std::pair<std::string, HcpIdent>>;

// A partial read: the value of each field read so far (then any fields a
// select function added), and the indices of the reducing dimension that the
// node stands for.
struct ReadNode {
    NamedHcps fields;
    std::vector<size_t> coords;
};

// Thrown by reduce_select for a failure the environment reported and keeps
// itself (for the Python environment, the exception a select function
// raised). The read stops where it is, between steps; what it made stays, and
// the environment's owner raises the failure.
struct KEnvFailure {};

// One pair of a reduction decided: `pick` is 1 when the first candidate wins;
// `extras` are named values to set on (or add to) the merged node.
struct ReducePick {
    HcpIdent pick;
    NamedHcps extras;
};

// A step run with the model lent to it; a reference to a callable that lives
// on the caller's stack.
class ArenaStep {
public:
    template <class F>
    explicit ArenaStep(F& f)
        : obj_(&f), call_([](void* o, ModelArena& m) { (*static_cast<F*>(o))(m); }) {}
    void operator()(ModelArena& m) const { call_(obj_, m); }

private:
    void* obj_;
    void (*call_)(void*, ModelArena&);
};

class KReadEnv {
public:
    virtual ~KReadEnv() = default;

    // Runs the step with the model; the model is lent for this step only.
    virtual void with_arena(ArenaStep step) = 0;

    // Decides one pair of the reduction of dimension `dim` at tree layer
    // `level`. Called between steps, never inside one. An error text ends the
    // read like any check of the read; a failure kept here throws KEnvFailure.
    virtual Result<ReducePick> reduce_select(size_t dim, const NamedHcps& a_fields,
                                             const std::vector<size_t>& a_coords,
                                             const NamedHcps& b_fields,
                                             const std::vector<size_t>& b_coords,
                                             uint32_t level) = 0;

    // with_arena for a step that returns a value. A read of a large array
    // takes millions of steps: between two of them, while the model is lent
    // to nobody, Ctrl-C stops it (Interrupted).
    template <class F>
    auto run(F&& step) {
        poll_.tick();
        using R = std::invoke_result_t<F&, ModelArena&>;
        if constexpr (std::is_void_v<R>) {
            auto body = [&](ModelArena& m) { step(m); };
            with_arena(ArenaStep(body));
        } else {
            std::optional<R> out;
            auto body = [&](ModelArena& m) { out.emplace(step(m)); };
            with_arena(ArenaStep(body));
            if (!out) fatal("KReadEnv::with_arena returned without running its step");
            return std::move(*out);
        }
    }

private:
    InterruptPoll poll_;
};

}  // namespace vorlent
