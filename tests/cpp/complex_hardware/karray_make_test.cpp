// Making a Karray, and the operations that look at one or reach its components.
#include "karray_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

TEST(KarrayMakeTest, ConstructionRulesAreFatalAndComeBeforeAnyComponent) {
    TracedModel t;
    const uint64_t first = peek_global_id();
    struct Case {
        std::vector<size_t> shape;
        Fields fields;
        HwComponentType backing;
        std::string message;
    };
    const std::vector<Case> cases{
        {{2},
         {{"a", 1}},
         HwComponentType::MemBlock,
         "Karray 'k': backing must be Reg or Wire, got MemBlock"},
        {{},
         {{"a", 1}},
         HwComponentType::Reg,
         "Karray 'k': shape must have at least one dimension"},
        {{2, 0, 3},
         {{"a", 1}},
         HwComponentType::Reg,
         "Karray 'k': every dimension must be positive"},
        // Reads and writes recurse once per dimension.
        {std::vector<size_t>(65, 1),
         {{"a", 1}},
         HwComponentType::Reg,
         "Karray 'k': shape has 65 dimensions; at most 64 are supported"},
        {{2},
         {{"a", 3}, {"b", 0}},
         HwComponentType::Reg,
         "KarrayType: field 'b' width must be positive, got 0"},
        {{2}, {}, HwComponentType::Wire, "Karray 'k': element must have at least one field"},
        // A product of sizes that does not fit a component list would wrap
        // to a short list; it is refused instead.
        {{size_t(1) << 32, size_t(1) << 32},
         {{"a", 1}},
         HwComponentType::Reg,
         "Karray 'k': shape [4294967296, 4294967296] has more elements than can be stored"},
        {{size_t(1) << 62},
         {{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}, {"e", 1}},
         HwComponentType::Reg,
         "Karray 'k': shape [4611686018427387904] has more elements than can be stored"},
        // More components than arena handles address: refused at once, not
        // made one by one until memory runs out.
        {{size_t(1) << 31, 2},
         {{"a", 1}},
         HwComponentType::Reg,
         "Karray 'k': shape [2147483648, 2] has more elements than can be stored"},
    };
    for (const Case& c : cases)
        EXPECT_FATAL(make_karray(t.m, true, "k", c.shape, c.fields, c.backing), c.message);
    EXPECT_EQ(peek_global_id(), first) << "no refusal made anything";
    EXPECT_TRUE(t.module().ccps.empty());

    // A count that fits the component list but no memory asks for no room up
    // front: here its first component already fails, for want of a module.
    ModelArena untraced;
    EXPECT_FATAL(
        make_karray(untraced, true, "k", {(size_t(1) << 32) - 1}, {{"a", 1}}, HwComponentType::Reg),
        "module trace stack is empty");
}

TEST(KarrayMakeTest, ElementLookupChecksCoordinatesThenTheField) {
    TracedModel t;
    const CcpIdent k =
        make_karray(t.m, true, "arr", {2, 3}, {{"a", 4}, {"b", 1}}, HwComponentType::Reg);
    EXPECT_EQ(
        karray_element_hcp(t.m, k, {1}, "a").error(),
        ErrorText::value("a Karray coordinate must name every dimension: got 1 for a 2-D Karray"));
    EXPECT_EQ(karray_element_hcp(t.m, k, {2, 0}, "zz").error(),
              ErrorText::value("index 2 out of bounds for dimension 0 of size 2"));
    EXPECT_EQ(karray_element_hcp(t.m, k, {1, 3}, "a").error(),
              ErrorText::value("index 3 out of bounds for dimension 1 of size 3"));
    EXPECT_EQ(karray_element_hcp(t.m, k, {1, 2}, "c").error(),
              ErrorText::value("Karray has no field 'c' (fields: a, b)"));

    // The array method itself guards internal misuse.
    const Karray& arr = t.m.arena<Karray>().get(k.handle());
    EXPECT_FATAL(arr.element_hcp({0, 3}, 0),
                 "Karray: index 3 out of bounds for dimension of size 3");
    EXPECT_FATAL(arr.element_hcp({0, 0}, 2), "Karray: field index 2 out of range (have 2)");
    EXPECT_FALSE(t.m.arena<Karray>().is_taken(k.handle().index)) << "errors put the array back";
}

TEST(KarrayMakeTest, ArraysMayBeMadeWhileBehaviourIsDescribedButNotDuringTheBuild) {
    TracedModel t;
    pop_module_trace(t.m);
    track_module_at_flow_init(t.m, t.top);
    const CcpIdent k = make_karray(t.m, true, "late", {1}, {{"a", 1}}, HwComponentType::Wire);
    EXPECT_EQ(k.module_ident, t.top);

    push_module_trace(t.m, t.top, ModuleInitStage::FlowBlockBuild);
    EXPECT_FATAL(make_karray(t.m, true, "build", {1}, {{"a", 1}}, HwComponentType::Wire),
                 "stamp_ccp_to_parent_module: CCPs cannot be created during FlowBlockBuild");
    // Its components were made first, and parked for the module being built.
    EXPECT_EQ(t.m.pending_hcps.size(), 1u);
    EXPECT_EQ(t.module().ccps.size(), 1u);
}
