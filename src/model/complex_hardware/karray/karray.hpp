// A multi-dimensional array whose elements are records of named, fixed-width
// fields; every field of every element is a register (a clocked array) or a
// wire (a combinational one) of its own. All element components are made
// when the array is made; reads and writes add selection logic and
// assignments around them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/interrupt.hpp"
#include "model/complex_hardware/common/ccp_base.hpp"
#include "model/complex_hardware/karray/karray_env.hpp"
#include "model/complex_hardware/karray/karray_meta.hpp"
#include "model/complex_hardware/karray/karray_view.hpp"
#include "model/complex_hardware/karray/kidx.hpp"
#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/asm_meta_helper/assign_meta.hpp"
#include "model/hw_component/common/hw_type.hpp"

namespace vorlent {

// Reads and writes walk an array one dimension per call level, so the
// number of dimensions is bounded: this many take a few tens of KiB of stack,
// safe on the smallest thread stacks, and no design needs more.
inline constexpr size_t KARRAY_MAX_DIMENSIONS = 64;

class Karray final : public CcpRecord {
public:
    HwComponentType backing = HwComponentType::Reg;  // REG or WIRE
    std::vector<size_t> shape;                       // outermost dimension first
    KarrayType ty;
    // E x F components, element-major: element e, field f at e * F + f.
    // Elements are numbered row-major (the last dimension varies fastest).
    std::vector<HcpIdent> elems;

    // Nothing to do: the hardware is made eagerly by the array's operations.
    void build(ModelArena& model) override;

    static Karray arena_default() { return placeholder_of<Karray>(CcpType::Karray); }

    // Checks the backing, the shape and the fields, then makes the element
    // components "{name}_E{e}_{field}" (system-made, stamped to the traced
    // module) element by element, field by field, and last the array's own
    // identity. Every refusal is fatal and comes before anything is made.
    static Karray make(ModelArena& model, bool is_user_com, std::string_view name,
                       std::vector<size_t> shape,
                       const std::vector<std::pair<std::string, int32_t>>& fields,
                       HwComponentType backing);

    size_t field_count() const { return ty.fields.size(); }
    bool is_clocked() const { return backing == HwComponentType::Reg; }

    // The component of one element's field. Out-of-range arguments are
    // fatal: callers check outside input first.
    HcpIdent element_hcp(const std::vector<size_t>& coords, size_t field) const;
    // The first field named `name`, or `Value` "Karray has no field ..."
    // listing every field.
    Result<size_t> field_index_checked(std::string_view name) const;
    // A reset value of the field that is one of its own registers, which
    // its element would reset to itself: `Value` "karray_reset_field: the
    // reset value ... is a register of field ... (element [..]), the field
    // being reset; ..."; nothing for any other value, and for a call that
    // reset_field refuses otherwise.
    CheckResult check_reset_not_own(std::string_view name, const HcpIdent& value) const;
    // Gives every register of the field the same reset value (REG arrays
    // only). Ctrl-C stops it and leaves every register as it was.
    CheckResult reset_field(std::string_view name, const HcpIdent& value, ClockMode clk_mode,
                            ModelArena& model) const;

    // Writing. `clocked` is the `|=` operator (REG arrays), its absence `*=`
    // (WIRE arrays).
    CheckResult check_write_ok(const std::vector<KIdx>& sel, bool clocked) const;
    // check_write_ok, then that no selected element's field among `fields`
    // is an input port that would override the write (check_not_input_port;
    // an index past the fields is left to the write). Reads the model only,
    // so a caller runs it before it makes anything.
    CheckResult check_write(const std::vector<KIdx>& sel, const std::vector<size_t>& fields,
                            bool clocked, const ModelArena& model) const;
    // The fields a write of a read view of `fields` sets: those equal to one
    // of them (name and width).
    std::vector<size_t> fields_matching(const std::vector<KarrayField>& fields) const;
    // One assignment node holding one assignment per written element field,
    // attached to the current scope, once the caller has run check_write.
    // Returns the destination fields that no value of a read view matched
    // (always none for element assignment). Ctrl-C stops it before the node
    // is made (see karray_write.cpp).
    Result<std::vector<std::string>> write(const std::vector<KIdx>& sel, const KView& view,
                                           bool clocked, ModelArena& model) const;

    // Reading: the value of one field, or of the given fields as a view, in
    // the selected element.
    Result<HcpIdent> read_one_field(const std::vector<KIdx>& sel, std::string_view field,
                                    KReadEnv& env) const;
    Result<KView> read_view(const std::vector<KIdx>& sel, const std::vector<size_t>& field_indices,
                            KReadEnv& env) const;

private:
    using SourcePairs = std::vector<std::pair<size_t, HcpIdent>>;

    size_t element_number(const std::vector<size_t>& coords) const;

    CheckResult write_dim(size_t d, std::vector<size_t>& coords,
                          const std::optional<HcpIdent>& cond, const std::vector<KIdx>& sel,
                          const SourcePairs& sources, std::vector<AssignMeta>& metas,
                          InterruptPoll& poll, ModelArena& model) const;
    void gen_element_asm_metas(const std::vector<size_t>& coords, const SourcePairs& sources,
                               const std::optional<HcpIdent>& cond, std::vector<AssignMeta>& metas,
                               ModelArena& model) const;

    Result<std::vector<HcpIdent>> read_field_hcps(const std::vector<KIdx>& sel,
                                                  const std::vector<size_t>& field_indices,
                                                  KReadEnv& env) const;
    Result<ReadNode> read_dim(size_t d, std::vector<size_t>& coords, const std::vector<KIdx>& sel,
                              const std::vector<size_t>& fields, KReadEnv& env) const;
    Result<std::vector<ReadNode>> read_dim_fanout(size_t d, std::vector<size_t>& coords,
                                                  const std::vector<KIdx>& sel,
                                                  const std::vector<size_t>& fields,
                                                  KReadEnv& env) const;
    ReadNode fold_mux_tree(size_t d, const HcpIdent& index, std::vector<ReadNode> nodes,
                           KReadEnv& env) const;
    Result<ReadNode> fold_reduce_tree(size_t d, std::vector<ReadNode> nodes, KReadEnv& env) const;
};

}  // namespace vorlent
