// Writing into a Karray: the checks, the matching of values to fields, and
// the walk over the dimensions that makes one assignment per selected
// element field, each under the conjunction of its dimensions' conditions.
#include <algorithm>

#include "common/interrupt.hpp"

#include "model/complex_hardware/karray/karray.hpp"
#include "model/complex_hardware/karray/karray_hw_build.hpp"
#include "model/controller/asm_mode.hpp"
#include "model/flow_block/common/flow_block_stack.hpp"
#include "model/hw_component/arena_impl_asm.hpp"
#include "model/hw_component/arena_impl_hcp.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"

namespace vorlent {

CheckResult Karray::check_write_ok(const std::vector<KIdx>& sel, bool clocked) const {
    if (clocked && backing != HwComponentType::Reg)
        return ErrorText::type("`|=` (clocked assign) requires a reg-backed Karray");
    if (!clocked && backing == HwComponentType::Reg)
        return ErrorText::type("`*=` (combinational assign) requires a wire-backed Karray");
    if (auto err = check_kidx(shape, sel)) return err;
    const bool all_static =
        std::all_of(sel.begin(), sel.end(), [](const KIdx& k) { return k.is_static(); });
    if (!all_static && backing != HwComponentType::Reg)
        return ErrorText::type(
            "a dynamic (signal / custom-fn indexed) Karray write requires a reg-backed Karray; a "
            "wire cannot hold its non-selected elements");
    return std::nullopt;
}

std::vector<size_t> Karray::fields_matching(const std::vector<KarrayField>& fields) const {
    std::vector<size_t> out;
    for (size_t d = 0; d < ty.fields.size(); ++d)
        if (std::find(fields.begin(), fields.end(), ty.fields[d]) != fields.end()) out.push_back(d);
    return out;
}

CheckResult Karray::check_write(const std::vector<KIdx>& sel, const std::vector<size_t>& fields,
                                bool clocked, const ModelArena& model) const {
    if (auto err = check_write_ok(sel, clocked)) return err;
    // A dynamic write of a large array need not walk it when no register
    // of the model is an input port.
    if (backing == HwComponentType::Reg && !model.input_port_regs) return std::nullopt;
    // Every element a selector may write: a static one's, else each index of
    // its dimension (a reduce selector's too: the write refuses it later).
    std::vector<size_t> lo(shape.size()), hi(shape);
    for (size_t d = 0; d < shape.size(); ++d)
        if (const auto* s = std::get_if<KIdx::Static>(&sel[d].v)) {
            lo[d] = s->index;
            hi[d] = s->index + 1;
        }
    std::vector<size_t> at = lo;
    for (;;) {
        for (size_t f : fields)
            if (f < ty.fields.size())
                if (auto err = check_not_input_port(model, element_hcp(at, f))) return err;
        size_t d = shape.size();
        while (d > 0 && ++at[d - 1] == hi[d - 1]) {
            at[d - 1] = lo[d - 1];
            --d;
        }
        if (d == 0) return std::nullopt;
    }
}

Result<std::vector<std::string>> Karray::write(const std::vector<KIdx>& sel, const KView& view,
                                               bool clocked, ModelArena& model) const {
    if (auto err = check_write_ok(sel, clocked)) return *err;

    // Pairs of (destination field, view entry).
    std::vector<std::pair<size_t, size_t>> pairs;
    std::vector<std::string> skipped;
    if (view.is_from_sources) {
        for (size_t s = 0; s < view.fields.size(); ++s) {
            const auto it =
                std::find_if(ty.fields.begin(), ty.fields.end(),
                             [&](const KarrayField& f) { return f.name == view.fields[s].name; });
            if (it != ty.fields.end()) pairs.emplace_back(size_t(it - ty.fields.begin()), s);
        }
    } else {
        for (size_t d = 0; d < ty.fields.size(); ++d) {
            const auto it = std::find(view.fields.begin(), view.fields.end(), ty.fields[d]);
            if (it != view.fields.end())
                pairs.emplace_back(d, size_t(it - view.fields.begin()));
            else
                skipped.push_back(ty.fields[d].name);
        }
    }
    if (pairs.empty())
        return ErrorText::value(
            "Karray assignment: no destination field matches a source field by name+width");

    SourcePairs sources;
    sources.reserve(pairs.size());
    for (const auto& [d, s] : pairs) sources.emplace_back(d, view.hcps[s]);

    // A dynamic write of a large array takes seconds: Ctrl-C stops it
    // (Interrupted) before the node links what it made into the model, which
    // holds components and their unlinked events only, so the caller's mark
    // takes it out again. A wire-backed write is one element, whose walk marks
    // the wires written, which no mark undoes: it is asked before that walk.
    InterruptPoll poll;
    if (!is_clocked()) check_interrupt();
    std::vector<size_t> coords;
    coords.reserve(shape.size());
    std::vector<AssignMeta> metas;
    if (auto err = write_dim(0, coords, std::nullopt, sel, sources, metas, poll, model))
        return *err;
    if (is_clocked()) {
        check_interrupt();
        // Only now, when it no longer stops, the write notes its priority in
        // the registers it writes (see check_input_mark).
        const int32_t priority = get_asm_pri_val();
        for (const AssignMeta& meta : metas)
            model.checked_mut<Reg>(meta.des).note_asm_pri(priority);
    }

    if (!metas.empty()) {
        const std::string name =
            format("{}_{}", ident.abs_name(), view.is_from_sources ? "elem_asm" : "karr_asm");
        const NcpIdent node = make_asm_node_many(model, name, std::move(metas));
        attach_basic_node_to_current_scope(model, node);
    }
    return skipped;
}

CheckResult Karray::write_dim(size_t d, std::vector<size_t>& coords,
                              const std::optional<HcpIdent>& cond, const std::vector<KIdx>& sel,
                              const SourcePairs& sources, std::vector<AssignMeta>& metas,
                              InterruptPoll& poll, ModelArena& model) const {
    if (d == shape.size()) {
        poll.tick();
        gen_element_asm_metas(coords, sources, cond, metas, model);
        return std::nullopt;
    }
    const size_t n = shape[d];
    auto visit = [&](size_t i, const std::optional<HcpIdent>& c) {
        coords.push_back(i);
        CheckResult err = write_dim(d + 1, coords, c, sel, sources, metas, poll, model);
        coords.pop_back();
        return err;
    };
    const KIdx& k = sel[d];
    if (const auto* s = std::get_if<KIdx::Static>(&k.v)) return visit(s->index, cond);
    if (const auto* dyn = std::get_if<KIdx::Dyn>(&k.v)) {
        const int32_t width = get_hcp_assign(model, dyn->signal).get_des_slice().size();
        if (auto err = check_index_width(d, n, width)) return err;
        for (size_t i = 0; i < n; ++i) {
            const HcpIdent eq = binary_index_eq(model, dyn->signal, i, n);
            if (auto err = visit(i, and_we(model, cond, eq))) return err;
        }
        return std::nullopt;
    }
    if (const auto* cus = std::get_if<KIdx::Custom>(&k.v)) {
        for (size_t i = 0; i < n; ++i)
            if (auto err = visit(i, and_we(model, cond, cus->enables[i]))) return err;
        return std::nullopt;
    }
    return ErrorText::type(
        "a reduce (read-side custom) index cannot be a write destination; on the write side a "
        "custom fn is a per-index enable (fn(i) -> 1-bit)");
}

void Karray::gen_element_asm_metas(const std::vector<size_t>& coords, const SourcePairs& sources,
                                   const std::optional<HcpIdent>& cond,
                                   std::vector<AssignMeta>& metas, ModelArena& model) const {
    for (const auto& [f, src] : sources) {
        const HcpIdent dst = element_hcp(coords, f);
        const Slice range = get_hcp_assign(model, src).get_des_slice();
        // No warning here: the array's caller reports nothing about widths.
        const SanitizedAsmSrc fitted = sanitize_asm_src(model, dst, src, std::nullopt, range);
        auto taken = take_hcp(model, dst);
        AssignMeta meta = taken->gen_asm_meta(fitted.src, std::nullopt, fitted.src_range.start,
                                              fitted.src_range.stop, model);
        taken.put_back();
        if (cond) meta.pending_pre_cond = *cond;
        metas.push_back(std::move(meta));
    }
}

}  // namespace vorlent
