// Reading from a Karray: static selection, multiplexer trees for dynamic
// dimensions, reductions through the environment's select functions.
#include "karray_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

struct ReadModel : TracedModel {
    CcpIdent k;
    std::optional<Taken<Karray>> holder;

    Karray& make(std::vector<size_t> shape, Fields fields = {{"a", 4}}) {
        k = make_karray(m, true, "arr", std::move(shape), fields, HwComponentType::Reg);
        return out_of_slot(m, k, holder);
    }
    std::string A() const { return std::string(k.abs_name()); }
    // The event that drives a mux wire: sel ? left : right.
    struct Mux {
        HcpIdent sel, left, right;
        friend bool operator==(const Mux&, const Mux&) = default;
    };
    Mux mux_of(const HcpIdent& wire) const {
        const auto& pool = get_hcp_assign(m, wire).get_update_pool().events;
        EXPECT_EQ(pool.size(), 1u);
        const UeCond& c = m.arena<UeCond>().get(pool.at(0).handle());
        EXPECT_EQ(c.conds.size(), 2u);
        EXPECT_FALSE(c.conds.at(1).has_value());
        auto src = [&](size_t i) {
            return m.arena<UeBasic>().get(c.sub_stmts.at(i)->handle()).src;
        };
        return Mux{*c.conds.at(0), src(0), src(1)};
    }
};

}  // namespace

TEST(KarrayReadTest, StaticReadReturnsTheElementComponentsAndMakesNothing) {
    ReadModel t;
    Karray& k = t.make({2, 3}, {{"a", 4}, {"b", 1}});
    TestEnv env(t.m);
    const uint64_t from = peek_global_id();
    auto v = k.read_one_field({KIdx::static_at(1), KIdx::static_at(0)}, "b", env);
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(v.value(), k.elems[3 * 2 + 1]);
    EXPECT_EQ(peek_global_id(), from);
    EXPECT_EQ(env.steps, 0);
}

TEST(KarrayReadTest, ReadErrorsComeBeforeAnyHardware) {
    ReadModel t;
    Karray& k = t.make({2, 3});
    const HcpIdent s1 = make_wire(t.m, true, "s1", 1);
    TestEnv env(t.m);
    const uint64_t from = peek_global_id();
    auto err = [&](std::vector<KIdx> sel, std::string_view field) {
        auto r = k.read_one_field(sel, field, env);
        EXPECT_FALSE(r.ok());
        return r.ok() ? ErrorText{} : r.error();
    };
    // The field comes first, and its message lists no fields.
    EXPECT_EQ(err({KIdx::static_at(7)}, "zz"), ErrorText::value("Karray has no field 'zz'"));
    // A width failure on the inner dimension: the first branch reaches it first.
    EXPECT_EQ(
        err({KIdx::dyn(s1), KIdx::dyn(s1)}, "a"),
        ErrorText::value("dynamic index for dim 1 needs >= 2 bits to address 3 elements, got 1"));
    EXPECT_EQ(err({KIdx::dyn(s1), KIdx::custom({s1, s1, s1})}, "a"),
              ErrorText::value(
                  "a custom write-enable index cannot select a read; on the read side a custom "
                  "fn is a reduce select (fn(a, b, level) -> pick-a)"));
    EXPECT_EQ(made_since(t, from), std::vector<std::string>{});
}

TEST(KarrayReadTest, ASizeOneDimensionStillNeedsAOneBitIndex) {
    ReadModel t;
    Karray& k = t.make({3, 1}, {{"a", 4}, {"b", 2}});
    TestEnv env(t.m);
    const HcpIdent none = make_wire(t.m, true, "none", 0);
    auto r = k.read_one_field({KIdx::static_at(0), KIdx::dyn(none)}, "a", env);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(
        r.error(),
        ErrorText::value("dynamic index for dim 1 needs >= 1 bits to address 1 elements, got 0"));
}

TEST(KarrayReadTest, ReduceAsksTheSelectFunctionForEveryPairBetweenSteps) {
    // Which pairs the select function sees is pinned from Python; here what
    // is built from its picks and extras.
    ReadModel t;
    Karray& k = t.make({4}, {{"a", 4}, {"b", 1}});
    const HcpIdent pick = make_wire(t.m, true, "pick", 1);
    const HcpIdent best = make_wire(t.m, true, "best", 3);
    const std::string A = t.A();
    std::vector<NamedHcps> seen_a;
    TestEnv env(t.m);
    env.fns = {[&](const NamedHcps& a, const std::vector<size_t>&, const NamedHcps&,
                   const std::vector<size_t>&, uint32_t) -> Result<ReducePick> {
        seen_a.push_back(a);
        // A select function may make hardware of its own: the model is free.
        const HcpIdent p = make_wire(env.m, true, format("p{}", seen_a.size()), 1);
        return ReducePick{p, {{"best", best}, {"b", pick}}};
    }};
    const uint64_t from = peek_global_id();
    auto v = k.read_one_field({KIdx::reduce()}, "a", env);
    ASSERT_TRUE(v.ok());
    // Layer 1 sees the merged nodes: b replaced by the extra, best appended.
    ASSERT_EQ(seen_a.size(), 3u);
    EXPECT_EQ(seen_a[2], (NamedHcps{{"a", t.module().system_hcps[size_t(HwComponentType::Wire)][0]},
                                    {"b", pick},
                                    {"best", best}}));

    EXPECT_EQ(made_since(t, from),
              (std::vector<std::string>{"p1", A + "_D0L0N0F0_DMUX", A + "_D0L0N0F1_DMUX", "p2",
                                        A + "_D0L0N1F0_DMUX", A + "_D0L0N1F1_DMUX", "p3",
                                        A + "_D0L1N0F0_DMUX", A + "_D0L1N0F1_DMUX",
                                        A + "_D0L1N0F2_DMUX"}));
    const auto& wires = t.module().system_hcps[size_t(HwComponentType::Wire)];
    EXPECT_EQ(v.value(), wires[4]);
    const auto& users = t.module().user_hcps[size_t(HwComponentType::Wire)];
    EXPECT_EQ(t.mux_of(wires[0]), (ReadModel::Mux{users[2], k.elems[0], k.elems[2]}));
    EXPECT_EQ(t.mux_of(wires[4]), (ReadModel::Mux{users[4], wires[0], wires[2]}));
    // The extra on both sides at the same position is carried through a mux of its own.
    EXPECT_EQ(t.mux_of(wires[6]), (ReadModel::Mux{users[4], best, best}));
}

TEST(KarrayReadTest, ASelectFunctionFailureEndsTheReadAndKeepsWhatWasMade) {
    ReadModel t;
    Karray& k = t.make({3});
    const HcpIdent p = make_wire(t.m, true, "p", 1);
    int calls = 0;
    TestEnv env(t.m, {[&](auto&, auto&, auto&, auto&, uint32_t level) -> Result<ReducePick> {
                    ++calls;
                    if (level == 1) throw KEnvFailure{};
                    return ReducePick{p, {}};
                }});
    const uint64_t from = peek_global_id();
    EXPECT_THROW(k.read_one_field({KIdx::reduce()}, "a", env), KEnvFailure);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(made_since(t, from), (std::vector<std::string>{t.A() + "_D0L0N0F0_DMUX"}));
}
