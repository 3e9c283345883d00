// The Verilog backend: it owns a built model and writes it as Verilog, one
// file per module of the top module's tree.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "common/error_text.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

class BackendVerilog {
public:
    // Takes the model over and leaves an empty one in its place (a moved-from
    // model would still name its top module).
    explicit BackendVerilog(ModelArena&& model) : model_(std::exchange(model, ModelArena{})) {}

    // Phase 1 routes every cross-module read and every port through IO wires,
    // phase 2 sorts the update pools, phase 3 writes "{output_dir}/{stem}.v"
    // for each module (stem: `top_file_name` for the top module, else the
    // module's absolute name). Progress lines go to standard output.
    //
    // Phases 1 and 2 change the model and run until they complete once; a
    // later call writes the same design again, to the directory it is given.
    // If a call stops (a fatal error, an interrupt) inside phase 1, the model
    // is left half-routed and every later call refuses it; phase 2 and the
    // files are simply made again. Each file is written under a temporary
    // name and renamed when whole, so a call that stops leaves no partial
    // file under a module's name.
    //
    // Refused with an error text before anything is printed or changed: an
    // empty `output_dir` (the files would land in the filesystem root), a
    // model with no top module (nothing to start the tree from), a
    // `top_file_name` that is no plain file name or another module's file
    // name; on the first call, a model whose build_flow stopped before it
    // completed, one whose flow blocks or assignments build_flow never
    // lowered, and what the top module's tree would lose to a module outside
    // it (check_tree_self_contained): a read of its signals, its flow blocks,
    // a port on it, an assignment into it. Refused after routing, before any
    // file is written: a port name given twice, or equal to another name the
    // top module declares.
    CheckResult emit(std::string_view output_dir, std::string_view top_file_name);

    // Phase 2: the pools of the top module's tree, parents before children.
    void phase_init();
    // Phase 3.
    void phase_emit(std::string_view output_dir, std::string_view top_file_name);

    ModelArena& model() { return model_; }
    const ModelArena& model() const { return model_; }

private:
    enum class Stage : uint8_t { Fresh, Routing, Routed, Prepared };

    ModelArena model_;
    Stage stage_ = Stage::Fresh;
};

// Writes one progress line (its text already ends in "\n") to the process's
// standard output, in one piece, unbuffered.
void print_progress_line(std::string_view line);

inline NameStore* name_store_of(const BackendVerilog& backend) {
    return backend.model().name_store();
}

}  // namespace vorlent
