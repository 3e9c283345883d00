#include <unordered_set>

#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/update_event/update_event_ident.hpp"
#include "model/model_arena.hpp"
#include "model/nodes/arena_factory_node.hpp"
#include "model/nodes/ncp_ident.hpp"
#include "test_support.hpp"

using namespace vorlent;

TEST(IdentifierTest, NameRuleKeepsAbsoluteNamesToTheLimit) {
    // A derived name too long for its absolute name is cut to fit; the id,
    // drawn first, still ends it.
    uint64_t id = peek_global_id();
    const HcpIdent cut = HcpIdent::make(HwComponentType::Wire, Sensitivity::Combinational, true,
                                        std::string(300, 'x'));
    const std::string kept(256 - format("WIRE__{}", id).size(), 'x');
    EXPECT_EQ(cut.abs_name(), format("WIRE_{}_{}", kept, id));
    EXPECT_EQ(cut.ident_base.rel_name(), kept);

    // An absolute name of exactly 256 bytes is kept whole.
    id = peek_global_id();
    const std::string fits(256 - format("REG__{}", id).size(), 'a');
    const HcpIdent h = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, fits);
    EXPECT_EQ(h.abs_name(), format("REG_{}_{}", fits, id));

    // A name set as it stands is refused past the limit, counted in bytes.
    std::string rel;
    for (int i = 0; i < 129; ++i) rel += "\xC3\xA9";
    IdentBase base = h.ident_base;
    EXPECT_FATAL(base.set_rel_name(rel), format("name exceeds MAX_NAME_LEN (256): \"{}\"", rel));
}

// The caller's own name is judged by the id its identity takes, not the
// next id when the call began: ids drawn before it may give that id a digit
// more. Only identities of the element's kind named from the name are
// judged, until the element's own is made; other names are cut.
TEST(IdentifierTest, WholeNamesJudgesTheOwnNameByTheIdItTakes) {
    const auto make = [](HwComponentType t, const std::string& name) {
        return HcpIdent::make(t, Sensitivity::Combinational, true, name);
    };
    // Draws ids until the next is `before` ids short of a power of ten, which it returns.
    const auto near_a_power_of_ten = [](uint64_t before) {
        uint64_t ten = 10;
        while (ten <= peek_global_id() + before) ten *= 10;
        while (peek_global_id() + before < ten) next_global_id();
        return ten;
    };
    uint64_t ten = near_a_power_of_ten(2);
    const std::string name(256 - format("EXPR__{}", ten - 1).size(), 'n');
    {
        const WholeNames own("EXPR", name);
        // Another kind, and the element's kind under a derived name while the
        // element's own would fit: cut.
        EXPECT_EQ(make(HwComponentType::Val, name + "_c").abs_name().size(), 256u);
        EXPECT_EQ(make(HwComponentType::Expression, name + "_t").abs_name().size(), 256u);
        // The element's own takes `ten`, a digit more than the ids before it.
        EXPECT_FATAL(make(HwComponentType::Expression, name),
                     format("name exceeds MAX_NAME_LEN (256): \"EXPR_{}_{}\"", name, ten));
        // So does a derived one now (a folded tree's nodes, "{name}_t").
        EXPECT_FATAL(make(HwComponentType::Expression, name + "_t"),
                     format("name exceeds MAX_NAME_LEN (256): \"EXPR_{}_t_{}\"", name, ten + 1));
    }
    ten = near_a_power_of_ten(1);
    const std::string fits(256 - format("EXPR__{}", ten - 1).size(), 'f');
    const WholeNames own("EXPR", fits);
    EXPECT_EQ(make(HwComponentType::Expression, fits).abs_name(),
              format("EXPR_{}_{}", fits, ten - 1));
    // Made after the element's own, a derived name is cut again.
    EXPECT_EQ(make(HwComponentType::Expression, fits + "_t").abs_name().size(), 256u);
}

TEST(IdentifierTest, EqualityUsesIdAndAbsoluteNameWhileHashUsesIdAlone) {
    HcpIdent a = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, "x");
    HcpIdent b = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, "x");
    EXPECT_NE(a, b);

    // The same identity before and after insertion: handles differ, bases equal.
    HcpIdent placed = a;
    placed.ident_base.set_arena_handle(ArenaHandle{4, 0});
    EXPECT_EQ(placed.ident_base, a.ident_base);
    EXPECT_EQ(placed, a);

    // Stamped with a module: no longer equal, still hashes alike.
    HcpIdent stamped = a;
    stamped.set_module_handle(ArenaHandle{0, 0});
    EXPECT_NE(stamped, a);
    EXPECT_EQ(HcpIdentHash{}(stamped), HcpIdentHash{}(a));

    // The relative name does not take part; the absolute name does.
    IdentBase renamed = a.ident_base;
    renamed.set_rel_name("other");
    EXPECT_EQ(renamed, a.ident_base);
    EXPECT_EQ(renamed.abs_name(), a.abs_name());
    renamed.set_abs_name("REG_other");
    EXPECT_NE(renamed, a.ident_base);

    std::unordered_set<HcpIdent, HcpIdentHash> set{a, b, placed};
    EXPECT_EQ(set.size(), 2u);
}

TEST(IdentifierTest, NamesLiveInTheCurrentStoreOrInACountedBlockOfTheirOwn) {
    NameStore store;
    HcpIdent in_store;
    {
        const NameStoreScope scope(&store);
        in_store = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, "s");
        // A placeholder of a taken element keeps its names to itself.
        ModelArena m;
        const ArenaHandle h = m.arena<Reg>().insert(Reg(in_store, 1));
        EXPECT_EQ(m.arena<Reg>().get(h).ident.ident_base.store_names(),
                  in_store.ident_base.store_names());
        const NcpIdent node = make_asm_node(m, false, "n", AssignMeta{});
        auto taken = m.take<AsmNode>(node);
        EXPECT_EQ(m.arena<AsmNode>().get(node.handle()).ident.ident_base.store_names(), nullptr);
        taken.put_back();
    }
    EXPECT_EQ(current_name_store(), nullptr);
    const HcpIdent own = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, "o");
    EXPECT_EQ(own.ident_base.store_names(), nullptr);
    ASSERT_NE(in_store.ident_base.store_names(), nullptr);

    // Detached, a copy keeps its names in a block of its own.
    HcpIdent detached = in_store;
    detached.ident_base.detach_names();
    EXPECT_EQ(detached.ident_base.store_names(), nullptr);
    EXPECT_EQ((std::tuple{detached.abs_name(), detached.ident_base.rel_name()}),
              (std::tuple{in_store.abs_name(), std::string_view("s")}));
    EXPECT_EQ(detached, in_store);
}
