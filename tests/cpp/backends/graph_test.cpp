#include "backends/common/graph.hpp"
#include "backends/vb_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

using Path = std::vector<ModuleIdent>;

// top
// ├── c1
// │   └── d
// │       └── e
// └── c2
struct Tree {
    ModelArena m;
    ModuleIdent top, c1, d, e, c2;

    Tree() {
        top = described_module(m, "top", [&] {
            c1 = described_module(m, "c1", [&] {
                d = described_module(m, "d", [&] { e = described_module(m, "e"); });
            });
            c2 = described_module(m, "c2");
        });
    }
};

Path walk(ModelArena& m, const ModuleIdent& start) {
    Path out;
    DfsModuleIter it(start);
    while (auto next = it.next_module(m)) out.push_back(*next);
    // The walk stays over.
    EXPECT_FALSE(it.next_module(m).has_value());
    return out;
}

}  // namespace

TEST(DfsModuleIterTest, PreOrderWithChildrenInListOrder) {
    Tree t;
    EXPECT_EQ(walk(t.m, t.top), (Path{t.top, t.c1, t.d, t.e, t.c2}));
    EXPECT_EQ(walk(t.m, t.c1), (Path{t.c1, t.d, t.e}));
    EXPECT_TRUE(none_taken<Module>(t.m));
}

TEST(ModuleTreeTest, PlacesFollowTheSubModuleListsNotTheRecordedLinks) {
    Tree t;
    // f is made while c1 is tracked alone (its recorded depth is 1, as c1's);
    // g is made under a root of its own but listed under c2.
    track_module_at_com_init(t.m, t.c1);
    const ModuleIdent f = described_module(t.m, "f");
    untrack_module_at_com_init(t.m, t.c1);
    const ModuleIdent r2 = make_module(t.m, "r2");
    track_module_at_com_init(t.m, r2);
    const ModuleIdent g = make_module(t.m, "g");
    untrack_module_at_com_init(t.m, r2);
    track_module_at_com_init(t.m, t.c2);
    track_module_at_com_init(t.m, g);
    untrack_module_at_com_init(t.m, g);
    untrack_module_at_com_init(t.m, t.c2);
    ASSERT_EQ(f.depth_level, t.c1.depth_level);
    ASSERT_EQ(g.master_module_handle, r2.handle());

    const ModuleTree tree(t.m, t.top);
    EXPECT_EQ(tree.modules(), (Path{t.top, t.c1, t.d, t.e, f, t.c2, g}));
    EXPECT_FALSE(tree.contains(r2.handle()));
    EXPECT_EQ(tree.path_to_top(t.e), (Path{t.e, t.d, t.c1, t.top}));
    EXPECT_EQ(tree.path_to_top(f), (Path{f, t.c1, t.top}));
    EXPECT_EQ(tree.path_to_top(g), (Path{g, t.c2, t.top}));
    EXPECT_EQ((std::vector<uint32_t>{tree.depth(t.top), tree.depth(f), tree.depth(g)}),
              (std::vector<uint32_t>{0, 2, 2}));
    // A top module with a parent is the root of its tree.
    const ModuleTree below(t.m, t.c1);
    EXPECT_EQ(below.path_to_top(t.e), (Path{t.e, t.d, t.c1}));
    EXPECT_EQ(below.parent(f), t.c1);
    EXPECT_FATAL(below.parent(t.c1),
                 format("ModuleTree: module \"{}\" (id {}) is the top module and has no parent",
                        t.c1.abs_name(), t.c1.global_id()));
    EXPECT_FATAL(below.depth(t.c2),
                 format("ModuleTree: the module of slot {} is not in the top module's tree",
                        t.c2.handle().index));
}

TEST(ModuleTreeCycleTest, AModuleReachedTwiceStopsTheWalk) {
    const std::string twice =
        "DfsModuleIter: module \"{}\" (id {}) is reached twice \u2014 the module "
        "tree has a cycle or lists the module under two parents";
    // d under both c1 and c2, and e listing itself.
    for (bool self_listed : {false, true}) {
        Tree t;
        const ModuleIdent parent = self_listed ? t.e : t.c2, child = self_listed ? t.e : t.d;
        {
            auto p = t.m.take<Module>(parent);
            p->sub_modules.push_back(child);
            p.put_back();
        }
        EXPECT_FATAL(walk(t.m, t.top), format(twice, child.abs_name(), child.global_id()));
        EXPECT_TRUE(none_taken<Module>(t.m));
    }
}
