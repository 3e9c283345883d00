#include "backends/verilog/backend.hpp"

#include <unistd.h>

#include "backends/common/glob_routing.hpp"
#include "backends/common/graph.hpp"
#include "backends/common/internal_routing.hpp"
#include "backends/verilog/module/module_vb.hpp"
#include "util/file/buffered_fd_writer.hpp"
#include "util/file/file_writer.hpp"

namespace vorlent {

void print_progress_line(std::string_view line) {
    // Straight to descriptor 1: no stream buffer of this process or of the
    // interpreter may hold the line back or interleave it. A failure to print
    // progress is not a failure of the emission.
    size_t written = 0;
    (void)write_fd_all(STDOUT_FILENO, line.data(), line.size(), written);
}

namespace {

// Behaviour described but never built: without build_flow the modules would
// be written without clock, reset and behaviour. A model made by hand, with
// no flow block and no assignment, has nothing to build.
CheckResult check_behaviour_built(ModelArena& model) {
    const ModuleIdent top_i = *model.top_module;
    if (model.arena<Module>().get(top_i.handle()).start_node) return std::nullopt;
    constexpr std::string_view missing =
        "call build_flow on the model before handing it to BackendVerilog";
    if (!model.flow_block_stack.empty()) {
        const FlowBlockIdent& block = model.flow_block_stack.back().block;
        return ErrorText::value(format(
            "BackendVerilog::emit: flow block \"{}\" (id {}) was never built; close it and {}",
            block.abs_name(), block.global_id(), missing));
    }
    DfsModuleIter it(top_i);
    while (auto module_i = it.next_module(model)) {
        const Module& module = model.arena<Module>().get(module_i->handle());
        if (module.flow_blocks.empty() && module.basic_nodes.empty()) continue;
        return ErrorText::value(format(
            "BackendVerilog::emit: the flow blocks and assignments of module \"{}\" (id {}) were "
            "never built; {}",
            module_i->abs_name(), module_i->global_id(), missing));
    }
    return std::nullopt;
}

}  // namespace

CheckResult BackendVerilog::emit(std::string_view output_dir, std::string_view top_file_name) {
    if (stage_ == Stage::Preparing)
        fatal(
            "BackendVerilog::emit \u2014 an earlier emit stopped while routing; the model is "
            "half-routed and cannot be emitted");
    if (output_dir.empty())
        return ErrorText::value(
            "BackendVerilog::emit: output_dir is empty; name the directory "
            "to write into (\".\" for the current one)");
    // The reads are gathered once, checked, then routed.
    std::vector<ModuleReads> reads;
    if (stage_ == Stage::Fresh && model_.top_module) {
        if (auto err = check_behaviour_built(model_)) return err;
        reads = gather_tree_reads(model_);
        if (auto err = check_tree_self_contained(model_, reads)) return err;
    }
    print_progress_line("[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
    if (stage_ == Stage::Fresh) {
        // Without a top module routing stops before it changes anything.
        if (model_.top_module) stage_ = Stage::Preparing;
        route_and_remap_io_model(model_, std::move(reads));
        // Internal routing is complete for every module before any port
        // chain is made: its reuse search would stop at the input-port wires,
        // which carry no source.
        route_glob_io_model(model_);
    }
    print_progress_line("[BackendVerilog] Phase 1: done\n");
    print_progress_line("[BackendVerilog] Phase 2: initialising HCP update pools\n");
    if (stage_ != Stage::Prepared) {
        phase_init();
        stage_ = Stage::Prepared;
    }
    print_progress_line("[BackendVerilog] Phase 2: done\n");
    phase_emit(output_dir, top_file_name);
    return std::nullopt;
}

void BackendVerilog::phase_init() {
    if (!model_.top_module) fatal("BackendVerilog::phase_init \u2014 no top module set on arena");
    init_module_vb(model_, *model_.top_module);
}

void BackendVerilog::phase_emit(std::string_view output_dir, std::string_view top_file_name) {
    print_progress_line(format("[BackendVerilog] Phase 3: emitting Verilog to '{}'\n", output_dir));
    if (!model_.top_module) fatal("BackendVerilog::phase_emit \u2014 no top module set on arena");
    const ModuleIdent top_i = *model_.top_module;
    DfsModuleIter it(top_i);
    while (auto module_i = it.next_module(model_)) {
        auto module = model_.take<Module>(*module_i);
        const std::string_view stem = *module_i == top_i ? top_file_name : module->ident.abs_name();
        const std::string path = format("{}/{}.v", output_dir, stem);
        print_progress_line(format("[BackendVerilog] Phase 3:   writing {}\n", path));
        FileWriter fw(path, open_output_file(path));
        gen_module_vb(*module, model_, fw);
        module.put_back();
        // Reports a failed write or close of this file.
        fw.finish();
    }
    print_progress_line("[BackendVerilog] Phase 3: done\n");
}

}  // namespace vorlent
