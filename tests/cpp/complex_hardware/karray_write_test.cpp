// Selections and their checks, and writing into a Karray: element assignment
// by static, dynamic and custom selection, and array-to-array assignment.
#include "karray_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct WriteModel : TracedModel {
    CcpIdent k;  // REG, shape [2, 3], fields a (4 bits) and b (1 bit)
    WriteModel() {
        k = make_karray(m, true, "arr", {2, 3}, {{"a", 4}, {"b", 1}}, HwComponentType::Reg);
    }
    const Karray& arr() const { return m.arena<Karray>().get(k.handle()); }
    HcpIdent el(size_t e, size_t f) const { return arr().elems[e * 2 + f]; }
    HcpIdent wire(const char* name, uint32_t width) { return make_wire(m, true, name, width); }
};

}  // namespace

TEST(KarraySelectTest, IndexBitsAndTheSelectionCheck) {
    for (const auto& [size, bits] : std::vector<std::pair<size_t, uint32_t>>{
             {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {8, 3}, {1025, 11}, {SIZE_MAX, 64}})
        EXPECT_EQ(index_bits(size), bits) << size;

    TracedModel t;
    const HcpIdent s = make_wire(t.m, true, "s", 2);
    const std::vector<size_t> shape{2, 3};
    EXPECT_EQ(check_kidx(shape, {KIdx::static_at(0)}),
              ErrorText::value(
                  "a Karray selection must index every dimension: got 1 indices for a 2-D Karray"));
    EXPECT_EQ(check_kidx(shape, {KIdx::static_at(1), KIdx::static_at(3)}),
              ErrorText::value("index 3 out of bounds for dimension 1 of size 3"));
    EXPECT_EQ(check_kidx(shape, {KIdx::static_at(1), KIdx::static_at(2)}), std::nullopt);
    // The first failing dimension is reported.
    EXPECT_EQ(check_kidx({2, 2}, {KIdx::static_at(5), KIdx::static_at(7)}),
              ErrorText::value("index 5 out of bounds for dimension 0 of size 2"));
    EXPECT_EQ(check_kidx(shape, {KIdx::dyn(s), KIdx::custom({s, s})}),
              ErrorText::value(
                  "custom write index for dimension 1 needs one enable bit per index (3), got 2"));
    // Dyn and Reduce are the walks' business.
    EXPECT_EQ(check_kidx(shape, {KIdx::reduce(), KIdx::custom({s, s, s})}), std::nullopt);

    EXPECT_EQ(check_index_width(0, 2, 1), std::nullopt);
}

TEST(KarrayWriteTest, WriteChecksComeInOrderAndMakeNothing) {
    WriteModel t;
    const CcpIdent w = make_karray(t.m, true, "w", {2}, {{"a", 4}}, HwComponentType::Wire);
    const HcpIdent s = t.wire("s", 2);
    const HcpIdent v = t.wire("v", 4);
    const uint64_t from = peek_global_id();
    const size_t nodes = t.module().basic_nodes.size();

    auto assign = [&](const CcpIdent& k, std::vector<KIdx> sel,
                      std::vector<std::pair<size_t, HcpIdent>> src,
                      bool clocked) { return karray_assign_hcps(t.m, k, sel, src, clocked); };
    EXPECT_EQ(assign(t.k, {KIdx::static_at(0), KIdx::static_at(0)}, {{2, v}}, true),
              ErrorText::value("source field index 2 out of range (have 2 fields)"));
    // Clocking first, then the selection, then the non-static rule.
    EXPECT_EQ(assign(w, {KIdx::static_at(9)}, {{0, v}}, true),
              ErrorText::type("`|=` (clocked assign) requires a reg-backed Karray"));
    EXPECT_EQ(assign(t.k, {KIdx::static_at(9)}, {{0, v}}, false),
              ErrorText::type("`*=` (combinational assign) requires a wire-backed Karray"));
    EXPECT_EQ(assign(t.k, {KIdx::static_at(9)}, {{0, v}}, true),
              ErrorText::value(
                  "a Karray selection must index every dimension: got 1 indices for a 2-D Karray"));
    EXPECT_EQ(
        assign(w, {KIdx::dyn(s)}, {{0, v}}, false),
        ErrorText::type("a dynamic (signal / custom-fn indexed) Karray write requires a reg-backed "
                        "Karray; a wire cannot hold its non-selected elements"));
    EXPECT_EQ(assign(w, {KIdx::custom({s, s})}, {{0, v}}, false),
              t.m.arena<Karray>().get(w.handle()).check_write_ok({KIdx::dyn(s)}, false));
    EXPECT_EQ(t.module().basic_nodes.size(), nodes);
    // Checked before the array is taken: only the take of the first, whose
    // field index the write refuses, drew an id.
    EXPECT_EQ(peek_global_id(), from + 1);
    EXPECT_EQ(made_since(t, from), std::vector<std::string>{});

    // A reduce selector passes these checks and is refused when the walk
    // reaches it, leaving what the walk made before, and no node.
    const uint64_t walk = peek_global_id();
    EXPECT_EQ(
        assign(t.k, {KIdx::dyn(s), KIdx::reduce()}, {{0, v}}, true),
        ErrorText::type("a reduce (read-side custom) index cannot be a write destination; on the "
                        "write side a custom fn is a per-index enable (fn(i) -> 1-bit)"));
    const std::string S(s.abs_name());
    EXPECT_EQ(made_since(t, walk), (std::vector<std::string>{S + "_EQ0", S + "_EQ0_C"}));
    EXPECT_EQ(t.module().basic_nodes.size(), nodes);

    // Named sources: a bare one on two fields is refused before any constant
    // is made; only unknown names, after the matching.
    const std::vector<KIdx> el{KIdx::static_at(1), KIdx::static_at(1)};
    const uint64_t named = peek_global_id();
    IntCuts cuts;
    EXPECT_EQ(karray_assign_sources(t.m, t.k, el, {{"a", WideInt::from_i64(5)}, {std::nullopt, s}},
                                    true, cuts)
                  .error(),
        ErrorText::type("a bare scalar source can only drive a single-field Karray; use a "
                        "{field_name: source} mapping"));
    EXPECT_EQ(made_since(t, named), std::vector<std::string>{});
    EXPECT_EQ(karray_assign_sources(t.m, t.k, el, {{"zz", s}}, true, cuts).error(),
              ErrorText::value("Karray assignment: no source matched any field"));
}

TEST(KarrayWriteTest, ADynamicIndexTooNarrowForItsDimensionMakesNothing) {
    TracedModel t;
    const CcpIdent k = make_karray(t.m, true, "arr", {3}, {{"a", 4}}, HwComponentType::Reg);
    const HcpIdent narrow = make_wire(t.m, true, "n1", 1);
    const HcpIdent v = make_wire(t.m, true, "v", 4);
    const uint64_t from = peek_global_id();
    EXPECT_EQ(
        karray_assign_hcps(t.m, k, {KIdx::dyn(narrow)}, {{0, v}}, true),
        ErrorText::value("dynamic index for dim 0 needs >= 2 bits to address 3 elements, got 1"));
    EXPECT_EQ(made_since(t, from), std::vector<std::string>{});
}
