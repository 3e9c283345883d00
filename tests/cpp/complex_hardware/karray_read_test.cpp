// Reading from a Karray: the read's refusals come before any hardware. Reads
// and reductions are simulated, and their select functions run, from Python.
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
};

}  // namespace

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
