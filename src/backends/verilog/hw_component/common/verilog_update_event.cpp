#include "backends/verilog/hw_component/common/verilog_update_event.hpp"

#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"
#include "model/model_arena.hpp"

namespace vorlent {

namespace {

std::string blanks(uint32_t n) { return std::string(n, ' '); }

void replace_all(std::string& text, std::string_view marker, std::string_view by) {
    for (size_t pos = text.find(marker); pos != std::string::npos;
         pos = text.find(marker, pos + by.size())) {
        text.replace(pos, marker.size(), by);
    }
}

std::optional<UeVbNext> write_step(const UeBasic& ue, size_t&,
                                   std::span<const std::string> templates, uint32_t indent,
                                   ModelArena& model, const VbDes& des, FileWriter& fw) {
    const std::string pad = blanks(indent);
    std::string des_range;
    if (des.word_width >= 2 && ue.des_start >= 0)
        des_range = format("[{}:{}]", int64_t(ue.des_stop) - 1, ue.des_start);
    const std::string src = fmt_operand(ue.src, Slice{ue.src_start, ue.src_stop}, model, des);
    for (const std::string& tmpl : templates) {
        std::string line = tmpl;
        replace_all(line, "{DES_SLICE}", des_range);
        replace_all(line, "{SRC}", src);
        fw.write(pad);
        fw.write(line);
        fw.write("\n");
    }
    return std::nullopt;
}

// `cursor` counts the branches opened; each call first closes the one
// before it.
std::optional<UeVbNext> write_step(const UeCond& ue, size_t& cursor, std::span<const std::string>,
                                   uint32_t indent, ModelArena& model, const VbDes& des,
                                   FileWriter& fw) {
    const size_t k = ue.conds.size();
    const std::string pad = blanks(indent);
    while (true) {
        if (cursor > 0) {
            // A following branch continues this line with its else header.
            fw.write(pad);
            fw.write(cursor < k ? "end" : "end\n");
        }
        if (cursor == k) return std::nullopt;
        const size_t i = cursor++;
        if (i >= ue.sub_stmts.size())
            fatal(
                format("UeCond::transpile: branch {} has no sub-event entry ({} conditions, {} "
                       "sub-events)",
                       i, k, ue.sub_stmts.size()));
        const OptIdent<HcpIdent>& cond = ue.conds[i];
        if (i == 0) {
            if (cond)
                fw.write(
                    format("{}if ({}) begin\n", pad, fmt_operand(*cond, std::nullopt, model, des)));
            else
                fw.write(format("{}begin\n", pad));
        } else if (cond) {
            fw.write(format(" else if ({}) begin\n", fmt_operand(*cond, std::nullopt, model, des)));
        } else {
            fw.write(" else begin\n");
        }
        if (ue.sub_stmts[i]) return UeVbNext{*ue.sub_stmts[i], indent + 4};
    }
}

// `cursor` counts the items opened; each call first closes the one before it.
std::optional<UeVbNext> write_step(const UeSwitch& ue, size_t& cursor, std::span<const std::string>,
                                   uint32_t indent, ModelArena& model, const VbDes& des,
                                   FileWriter& fw) {
    const std::string pad0 = blanks(indent);
    const std::string pad1 = blanks(indent + 4);
    if (cursor == 0)
        fw.write(format("{}case ({})\n", pad0, fmt_operand(ue.selector, std::nullopt, model, des)));
    while (true) {
        if (cursor > 0) fw.write(format("{}end\n", pad1));
        if (cursor == ue.sub_stmts.size()) {
            fw.write(format("{}endcase\n", pad0));
            return std::nullopt;
        }
        const size_t i = cursor++;
        if (i >= ue.sub_stmt_idxs.size()) fatal("assertion failed: idx < self.sub_stmt_idxs.len()");
        fw.write(format("{}{}: begin\n", pad1, ue.sub_stmt_idxs[i]));
        if (ue.sub_stmts[i]) return UeVbNext{*ue.sub_stmts[i], indent + 8};
    }
}

std::optional<UeVbNext> write_step(const UeGrp& ue, size_t& cursor, std::span<const std::string>,
                                   uint32_t indent, ModelArena&, const VbDes&, FileWriter&) {
    const std::vector<UpdateEventIdent>& members = ue.events;
    if (cursor == members.size()) return std::nullopt;
    return UeVbNext{members[cursor++], indent};
}

// One step of the event `ue`, read in place.
std::optional<UeVbNext> step_in_place(ModelArena& model, const UpdateEventIdent& ue, size_t& cursor,
                                      std::span<const std::string> templates, uint32_t indent,
                                      const VbDes& des, FileWriter& fw) {
    return visit_kind(
        ue.kind,
        [&]<class T>(std::type_identity<T>) {
            return write_step(model.checked_mut<T>(ue), cursor, templates, indent, model, des, fw);
        },
        []() -> std::optional<UeVbNext> { fatal("take_ue_vb: UeType::Untype"); });
}

}  // namespace

TakenUeVb take_ue_vb(ModelArena& model, const UpdateEventIdent& ue) {
    return visit_kind(
        ue.kind, [&]<class T>(std::type_identity<T>) { return TakenUeVb::take<T>(model, ue); },
        []() -> TakenUeVb { fatal("take_ue_vb: UeType::Untype"); });
}

void transpile_ue(ModelArena& model, const UpdateEventIdent& ue,
                  std::span<const std::string> templates, uint32_t indent, const VbDes& des,
                  FileWriter& fw) {
    // The events being written, innermost last, each with its place.
    struct Writing {
        UpdateEventIdent ue;
        uint32_t indent;
        size_t cursor = 0;
    };
    size_t cursor = 0;
    auto first = step_in_place(model, ue, cursor, templates, indent, des, fw);
    if (!first) return;  // a leaf, the common case
    std::vector<Writing> stack;
    stack.push_back(Writing{ue, indent, cursor});
    stack.push_back(Writing{first->ue, first->indent});
    while (!stack.empty()) {
        Writing& top = stack.back();
        if (auto next = step_in_place(model, top.ue, top.cursor, templates, top.indent, des, fw)) {
            stack.push_back(Writing{next->ue, next->indent});
            continue;
        }
        stack.pop_back();
    }
}

template <class T>
std::optional<UeVbNext> UeVb<T>::transpile_step(size_t& cursor,
                                                std::span<const std::string> templates,
                                                uint32_t indent, ModelArena& model,
                                                const VbDes& des, FileWriter& fw) {
    return write_step(this->rec(), cursor, templates, indent, model, des, fw);
}

template class UeVb<UeBasic>;
template class UeVb<UeCond>;
template class UeVb<UeSwitch>;
template class UeVb<UeGrp>;

}  // namespace vorlent
