#include "backends/verilog/backend.hpp"

#include <unistd.h>

#include <charconv>
#include <optional>
#include <unordered_set>

#include "backends/common/glob_routing.hpp"
#include "backends/common/graph.hpp"
#include "backends/common/internal_routing.hpp"
#include "backends/verilog/module/module_vb.hpp"
#include "model/common/name_check.hpp"
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

// A memory write element marked as an input port in `module`: it writes its
// memory at the clock that build_flow makes.
std::optional<HcpIdent> input_port_write_element(const ModelArena& model, const Module& module) {
    for (const HcpIdent& h : module.hcps_of(HwComponentType::MemBlockIndexer))
        if (model.get<MemEle>(h).is_input_port()) return h;
    return std::nullopt;
}

// Behaviour described but never built, or a build that stopped half way:
// the modules would be written without clock, reset or behaviour. A model
// made by hand, with no flow block, no assignment and no memory written
// through an input port, has nothing to build.
CheckResult check_behaviour_built(ModelArena& model) {
    // Some modules may be built and others not, or a block half-made.
    if (model.flow_build == FlowBuild::Started)
        return ErrorText::value(
            "BackendVerilog::emit: build_flow stopped before it completed (a PanicException or "
            "an interrupt), so part of the design was never lowered and its files would lack "
            "behaviour; describe the design again in a new ModelArena and build it");
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
        if (const std::optional<HcpIdent> e = input_port_write_element(model, module))
            return ErrorText::value(format(
                "BackendVerilog::emit: the input port of memory write element \"{}\" of module "
                "\"{}\" (id {}) writes its memory at the clock that build_flow makes; {}",
                e->abs_name(), module_i->abs_name(), module_i->global_id(), missing));
        if (module.flow_blocks.empty() && module.basic_nodes.empty()) continue;
        return ErrorText::value(format(
            "BackendVerilog::emit: the flow blocks and assignments of module \"{}\" (id {}) were "
            "never built; {}",
            module_i->abs_name(), module_i->global_id(), missing));
    }
    return std::nullopt;
}

// A file name as a file system that ignores case compares it: ASCII letters
// in lower case, and the two letters beyond ASCII whose case folding is one
// (KELVIN SIGN and LATIN SMALL LETTER LONG S).
std::string folded_file_name(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name.substr(i, 3) == "\xE2\x84\xAA") {
            out.push_back('k');
            i += 2;
        } else if (name.substr(i, 2) == "\xC5\xBF") {
            out.push_back('s');
            i += 1;
        } else {
            const char c = name[i];
            out.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
        }
    }
    return out;
}

// The top module's file is "{output_dir}/{top_file_name}.v", beside one file
// per other module named after it: a name that is no plain file name would
// write elsewhere, and one that is another module's file name, also where
// case is ignored, would write over that file.
CheckResult check_top_file_name(ModelArena& model, std::string_view name) {
    const auto refuse = [&](std::string_view why) {
        return ErrorText::value(
            format("BackendVerilog::emit: top_file_name {} {}", quoted_name(name), why));
    };
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return refuse(
            "is not a plain file name (it must not be empty, \".\" or \"..\", nor hold \"/\" "
            "or a NUL byte): the top module's file is written into output_dir");
    // Verilator stops with an internal error on a file name holding ")" or
    // "}", and reads "$NAME", "$(NAME)" and "${NAME}" in one as environment
    // variables.
    if (name.find_first_of("\n\r`)}$") != std::string_view::npos)
        return refuse(
            "holds a line feed, a carriage return, a backtick, \")\", \"}\" or \"$\", which the "
            "Verilog tools and the command lines that run them cannot take in a file name");
    if (name.size() > MODULE_NAME_MAX)
        return refuse(format("is {} bytes long; with \".v\" it is over the {} bytes a file name "
                             "may have",
                             name.size(), FILE_NAME_MAX));
    if (!model.top_module) return std::nullopt;
    const ModuleIdent top_i = *model.top_module;
    const std::string folded = folded_file_name(name);
    DfsModuleIter it(top_i);
    while (auto module_i = it.next_module(model)) {
        if (*module_i == top_i || folded_file_name(module_i->abs_name()) != folded) continue;
        return refuse(format("is the file name of module \"{}\", which the top module's file "
                             "would overwrite (file names may ignore case)",
                             module_i->abs_name()));
    }
    return std::nullopt;
}

// The id a generated name ends with ("REG_count_7": 7), if `name` ends in
// "_" and digits at all.
std::optional<uint64_t> trailing_id(std::string_view name) {
    const size_t cut = name.rfind('_');
    if (cut == std::string_view::npos || cut + 1 == name.size()) return std::nullopt;
    uint64_t id = 0;
    const char* end = name.data() + name.size();
    const auto [at, err] = std::from_chars(name.data() + cut + 1, end, id);
    if (err != std::errc() || at != end) return std::nullopt;
    return id;
}

// Port names are written as mark_as_io was given them, and routing makes
// every port of the tree a port of the top module: each must differ from
// the other ports and from every name the top module declares (its own
// name, its components, its sub-modules' instances and their output
// wires). Those names are generated and end in their element's global id,
// so they differ among themselves, and a port name meets one only if it
// ends in that id: the walk compares the ids the identities hold, and reads
// a name (a step into the name store) only where an id matches.
CheckResult check_top_module_names(const ModelArena& model) {
    const ModuleIdent top_i = *model.top_module;
    const Module& top = model.get<Module>(top_i);
    const auto refuse = [&](std::string_view port, std::string_view other) {
        return ErrorText::value(format(
            "BackendVerilog::emit: io_name {} given to mark_as_io is declared twice in the top "
            "module \"{}\": by a port and by {}; give each port a name of its own",
            quoted_name(port), top_i.abs_name(), other));
    };
    const auto port_name = [&](const HcpIdent& h) -> const std::optional<std::string>& {
        return model.get<IoWire>(h).port_name;
    };
    std::unordered_set<std::string_view> ports;
    std::unordered_set<uint64_t> ids;  // the ids port names end in
    for (const HcpIdent& h : top.hcps_of(HwComponentType::IoWire)) {
        const std::optional<std::string>& port = port_name(h);
        if (!port) continue;
        if (!ports.insert(*port).second) return refuse(*port, "another port");
        if (const auto id = trailing_id(*port)) ids.insert(*id);
    }
    if (ids.empty()) return std::nullopt;
    const auto is_port = [&](const IdentBase& named) {
        return ids.contains(named.global_id()) && ports.contains(named.abs_name());
    };
    if (is_port(top_i.ident_base)) return refuse(top_i.abs_name(), "the module's own name");
    for (size_t k = 0; k < HW_COMPONENT_TYPE_COUNT; ++k)
        for (const HcpIdent& h : top.hcps_of(HwComponentType(k)))
            if (is_port(h.ident_base) && (h.hw_type != HwComponentType::IoWire || !port_name(h)))
                return refuse(h.abs_name(), "a component");
    for (const ModuleIdent& sub_i : top.sub_modules) {
        if (is_port(sub_i.ident_base)) return refuse(sub_i.abs_name(), "a sub-module instance");
        // The outputs of an instance are wires of the top module.
        for (const HcpIdent& h : model.get<Module>(sub_i).hcps_of(HwComponentType::IoWire))
            if (is_port(h.ident_base) && !model.get<IoWire>(h).is_input)
                return refuse(h.abs_name(), "a sub-module's output wire");
    }
    return std::nullopt;
}

}  // namespace

CheckResult BackendVerilog::emit(std::string_view output_dir, std::string_view top_file_name) {
    if (stage_ == Stage::Routing)
        fatal(
            "BackendVerilog::emit \u2014 an earlier emit stopped while routing; the model is "
            "half-routed and cannot be emitted");
    if (output_dir.empty())
        return ErrorText::value(
            "BackendVerilog::emit: output_dir is empty; name the directory "
            "to write into (\".\" for the current one)");
    if (!model_.top_module)
        return ErrorText::value(
            "BackendVerilog::emit: the model has no top module; call set_top_module, then "
            "build_flow, on the model before handing it to BackendVerilog");
    // A stopped build first: its module tree may be the very fault that
    // stopped it, which the walks below would stop on.
    const bool fresh = stage_ == Stage::Fresh;
    if (fresh)
        if (auto err = check_behaviour_built(model_)) return err;
    if (auto err = check_top_file_name(model_, top_file_name)) return err;
    // The tree and its reads are gathered once, checked, then routed.
    std::optional<ModuleTree> tree;
    std::vector<ModuleReads> reads;
    if (fresh) {
        tree.emplace(model_, *model_.top_module);
        reads = gather_tree_reads(model_, *tree);
        if (auto err = check_tree_self_contained(model_, *tree, reads)) return err;
    }
    print_progress_line("[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
    if (stage_ == Stage::Fresh) {
        stage_ = Stage::Routing;
        route_and_remap_io_model(model_, *tree, std::move(reads));
        // Internal routing is complete for every module before any port
        // chain is made: its reuse search would stop at the input-port wires,
        // which carry no source.
        route_glob_io_model(model_, *tree);
        stage_ = Stage::Routed;
    }
    print_progress_line("[BackendVerilog] Phase 1: done\n");
    print_progress_line("[BackendVerilog] Phase 2: initialising HCP update pools\n");
    if (stage_ != Stage::Prepared) {
        // Stable sorts: a phase 2 that stopped half way is simply run again.
        phase_init();
        stage_ = Stage::Prepared;
    }
    print_progress_line("[BackendVerilog] Phase 2: done\n");
    if (auto err = check_top_module_names(model_)) return err;
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
        OutputFile out(path);
        FileWriter fw(path, out.take_fd());
        gen_module_vb(*module, model_, fw);
        module.put_back();
        // Reports a failed write or close of this file; only a whole file
        // takes its name.
        fw.finish();
        out.commit();
    }
    print_progress_line("[BackendVerilog] Phase 3: done\n");
}

}  // namespace vorlent
