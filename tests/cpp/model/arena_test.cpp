#include "model/model_arena.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

namespace {

Reg reg_named(const char* name) {
    Reg r;
    r.ident = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, name);
    return r;
}

}  // namespace

TEST(ArenaHandleTest, IndexIsTestedBeforeGeneration) {
    ModelArena m;
    auto& regs = m.arena<Reg>();
    // Empty arena: even the null handle is out of range; so is a put-back.
    EXPECT_FATAL(regs.get(ArenaHandle::null()), "ArenaHandle index out of range");
    EXPECT_FATAL(regs.replace_back(ArenaHandle{0, 0}, reg_named("b")),
                 "ArenaHandle index out of range");

    regs.insert(reg_named("a"));
    EXPECT_FATAL(regs.get(ArenaHandle{1, 7}), "ArenaHandle index out of range");
    // The slot's generation is on the left, the handle's on the right.
    EXPECT_FATAL(regs.get(ArenaHandle::null()),
                 "assertion `left == right` failed: ArenaHandle generation mismatch\n"
                 "  left: 0\n right: 4294967295");
}

TEST(ArenaHandleTest, InsertStampsTheHandleIntoTheStoredElementWhichNeverMoves) {
    ModelArena m;
    auto& regs = m.arena<Reg>();
    std::vector<const Reg*> placed;
    for (size_t i = 0; i < 300; ++i) {
        const ArenaHandle h = regs.insert(reg_named(std::to_string(i).c_str()));
        EXPECT_EQ(h, (ArenaHandle{i, 0}));
        placed.push_back(&regs.get(h));
    }
    for (size_t i = 0; i < placed.size(); ++i) {
        EXPECT_EQ(&regs.get(ArenaHandle{i, 0}), placed[i]);
        EXPECT_EQ(placed[i]->ident.handle(), (ArenaHandle{i, 0}));
        EXPECT_EQ(placed[i]->ident.ident_base.rel_name(), std::to_string(i));
    }
    // Taken marks of slots on both sides of a word of marks, and the last.
    std::vector<Taken<Reg>> out;
    for (size_t i : {63, 64, 299})
        out.push_back(regs.take(ArenaHandle{i, 0}, placed[i]->ident.global_id()));
    for (size_t i = 0; i < placed.size(); ++i)
        EXPECT_EQ(regs.is_taken(i), i == 63 || i == 64 || i == 299) << i;
    const uint64_t id_62 = regs.get(ArenaHandle{62, 0}).ident.global_id();
    EXPECT_EQ(regs.get(ArenaHandle{62, 0}, id_62).ident.ident_base.rel_name(), "62");
    EXPECT_FATAL((void)regs.get(ArenaHandle{64, 0}, out[1]->ident.global_id()),
                 format("ArenaHandle element (global id {}) is already taken out of its arena",
                        out[1]->ident.global_id()));
    for (Taken<Reg>& t : out) t.put_back();
    for (size_t i = 0; i < placed.size(); ++i) EXPECT_FALSE(regs.is_taken(i)) << i;
}

TEST(ArenaTakeTest, TakeRefusesAnIdentityThatIsNotTheSlotsElement) {
    ModelArena m;
    const ArenaHandle h = m.arena<Reg>().insert(reg_named("a"));
    const HcpIdent id = m.arena<Reg>().get(h).ident;

    // An identity of another element that happens to share the slot index.
    HcpIdent other = HcpIdent::make(HwComponentType::Wire, Sensitivity::Combinational, true, "w");
    other.ident_base.set_arena_handle(h);
    // Reading in place makes the same checks as taking out.
    for (int way : {0, 1, 2}) {
        auto reach = [&](const HcpIdent& h) {
            if (way == 0) m.take<Reg>(h).put_back();
            if (way == 1) (void)m.checked_mut<Reg>(h);
            if (way == 2) (void)m.get<Reg>(h);
        };
        EXPECT_FATAL(reach(other),
                     format("ArenaHandle names global id {} but its slot holds global id {}",
                            other.global_id(), id.global_id()));
        auto first = m.take<Reg>(id);
        EXPECT_FATAL(reach(id),
                     format("ArenaHandle element (global id {}) is already taken out of its arena",
                            id.global_id()));
        first.put_back();
    }
    EXPECT_EQ(&m.checked_mut<Reg>(id), &m.arena<Reg>().get(h));
    // A handle that names no element: null, or of a generation the slot never had.
    HcpIdent null_handle = id;
    null_handle.ident_base.set_arena_handle(ArenaHandle{0, ArenaHandle::NULL_GENERATION});
    EXPECT_FATAL((void)m.get<Reg>(null_handle),
                 "assertion `left == right` failed: ArenaHandle generation mismatch\n"
                 "  left: 0\n right: 4294967295");
}

TEST(ArenaHandleTest, InsertStopsBeforeTheIndexLeavesItsRange) {
    ArenaGroup<Reg> regs(2);
    regs.insert(reg_named("a"));
    regs.insert(reg_named("b"));
    EXPECT_FATAL(regs.insert(reg_named("c")),
                 "arena is full: one kind of element has at most 2 slots");
    EXPECT_EQ(regs.size(), 2u);
    EXPECT_EQ(ArenaGroup<Reg>::MAX_SLOTS - 1, size_t(UINT32_MAX));
}
