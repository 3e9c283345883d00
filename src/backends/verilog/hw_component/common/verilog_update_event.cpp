#include "backends/verilog/hw_component/common/verilog_update_event.hpp"

#include "backends/verilog/hw_component/common/procedure_blk_vb.hpp"

namespace vorlent {

namespace {

std::string blanks(uint32_t n) { return std::string(n, ' '); }

void replace_all(std::string& text, std::string_view marker, std::string_view by) {
    for (size_t pos = text.find(marker); pos != std::string::npos;
         pos = text.find(marker, pos + by.size())) {
        text.replace(pos, marker.size(), by);
    }
}

// Takes the event out and builds the adapter of its kind around it.
template <class Adapter>
TakenUeVb hand_out(ModelArena& model, const UpdateEventIdent& ue) {
    return {std::in_place_type<Adapter>, model.take<typename Adapter::Record>(ue)};
}

}  // namespace

TakenUeVb take_ue_vb(ModelArena& model, const UpdateEventIdent& ue) {
    switch (ue.kind) {
        case UeType::Basic: return hand_out<UeBasicVb>(model, ue);
        case UeType::Grp: return hand_out<UeGrpVb>(model, ue);
        case UeType::Cond: return hand_out<UeCondVb>(model, ue);
        case UeType::Switch: return hand_out<UeSwitchVb>(model, ue);
        case UeType::Untype: break;
    }
    fatal("take_ue_vb: UeType::Untype");
}

namespace {

using Templates = std::span<const std::string>;

void write_event(const UeBasic& ue, Templates templates, uint32_t indent, ModelArena& model,
                 const VbDes& des, FileWriter& fw) {
    const std::string pad = blanks(indent);
    std::string des_range;
    if (des.width >= 2 && ue.des_start >= 0)
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
}

void write_event(const UeCond& ue, Templates templates, uint32_t indent, ModelArena& model,
                 const VbDes& des, FileWriter& fw) {
    const size_t k = ue.conds.size();
    const std::string pad = blanks(indent);
    for (size_t i = 0; i < k; ++i) {
        if (i >= ue.sub_stmts.size())
            fatal(format("UeCond::transpile: branch {} has no sub-event entry ({} conditions, {} "
                         "sub-events)",
                         i, k, ue.sub_stmts.size()));
        const std::optional<HcpIdent>& cond = ue.conds[i];
        if (i == 0) {
            if (cond)
                fw.write(format("{}if ({}) begin\n", pad,
                                fmt_operand(*cond, std::nullopt, model, des)));
            else
                fw.write(format("{}begin\n", pad));
        } else if (cond) {
            fw.write(format(" else if ({}) begin\n", fmt_operand(*cond, std::nullopt, model, des)));
        } else {
            fw.write(" else begin\n");
        }
        if (ue.sub_stmts[i]) transpile_ue(model, *ue.sub_stmts[i], templates, indent + 4, des, fw);
        // A following branch continues this line with its else header.
        fw.write(pad);
        fw.write(i + 1 < k ? "end" : "end\n");
    }
}

void write_event(const UeSwitch& ue, Templates templates, uint32_t indent, ModelArena& model,
                 const VbDes& des, FileWriter& fw) {
    const std::string pad0 = blanks(indent);
    const std::string pad1 = blanks(indent + 4);
    fw.write(format("{}case ({})\n", pad0, fmt_operand(ue.selector, std::nullopt, model, des)));
    for (size_t i = 0; i < ue.sub_stmts.size(); ++i) {
        if (i >= ue.sub_stmt_idxs.size()) fatal("assertion failed: idx < self.sub_stmt_idxs.len()");
        fw.write(format("{}{}: begin\n", pad1, ue.sub_stmt_idxs[i]));
        if (ue.sub_stmts[i]) transpile_ue(model, *ue.sub_stmts[i], templates, indent + 8, des, fw);
        fw.write(format("{}end\n", pad1));
    }
    fw.write(format("{}endcase\n", pad0));
}

void write_event(const UeGrp& ue, Templates templates, uint32_t indent, ModelArena& model,
                 const VbDes& des, FileWriter& fw) {
    for (const UpdateEventIdent& member : ue.events)
        transpile_ue(model, member, templates, indent, des, fw);
}

}  // namespace

// Writing reads the event and the events nested in it, never the event
// itself again: it is read in place, with the checks of a take.
void transpile_ue(ModelArena& model, const UpdateEventIdent& ue,
                  std::span<const std::string> templates, uint32_t indent, const VbDes& des,
                  FileWriter& fw) {
    switch (ue.kind) {
        case UeType::Basic:
            return write_event(model.checked_mut<UeBasic>(ue), templates, indent, model, des, fw);
        case UeType::Grp:
            return write_event(model.checked_mut<UeGrp>(ue), templates, indent, model, des, fw);
        case UeType::Cond:
            return write_event(model.checked_mut<UeCond>(ue), templates, indent, model, des, fw);
        case UeType::Switch:
            return write_event(model.checked_mut<UeSwitch>(ue), templates, indent, model, des, fw);
        case UeType::Untype: break;
    }
    fatal("take_ue_vb: UeType::Untype");
}

void UeBasicVb::transpile(Templates templates, uint32_t indent, ModelArena& model,
                          const VbDes& des, FileWriter& fw) {
    write_event(rec(), templates, indent, model, des, fw);
}
void UeCondVb::transpile(Templates templates, uint32_t indent, ModelArena& model,
                         const VbDes& des, FileWriter& fw) {
    write_event(rec(), templates, indent, model, des, fw);
}
void UeSwitchVb::transpile(Templates templates, uint32_t indent, ModelArena& model,
                           const VbDes& des, FileWriter& fw) {
    write_event(rec(), templates, indent, model, des, fw);
}
void UeGrpVb::transpile(Templates templates, uint32_t indent, ModelArena& model,
                        const VbDes& des, FileWriter& fw) {
    write_event(rec(), templates, indent, model, des, fw);
}

}  // namespace vorlent
