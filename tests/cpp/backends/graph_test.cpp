#include "backends/common/graph.hpp"
#include "model/module/arena_impl_module.hpp"
#include "test_support.hpp"

using namespace vorlent;

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
        top = mk_module(m, "top");
        track_module_at_com_init(m, top);
        c1 = mk_module(m, "c1");
        track_module_at_com_init(m, c1);
        d = mk_module(m, "d");
        track_module_at_com_init(m, d);
        e = mk_module(m, "e");
        track_module_at_com_init(m, e);
        untrack_module_at_com_init(m, e);
        untrack_module_at_com_init(m, d);
        untrack_module_at_com_init(m, c1);
        c2 = mk_module(m, "c2");
        track_module_at_com_init(m, c2);
        untrack_module_at_com_init(m, c2);
        untrack_module_at_com_init(m, top);
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

HcpIdent component_of(const ModuleIdent& owner) {
    HcpIdent h = HcpIdent::make(HwComponentType::Reg, SENS_CLOCKED, true, "r");
    h.module_ident = owner;
    return h;
}

}  // namespace

TEST(DfsModuleIterTest, PreOrderWithChildrenInListOrder) {
    Tree t;
    EXPECT_EQ(walk(t.m, t.top), (Path{t.top, t.c1, t.d, t.e, t.c2}));
    EXPECT_EQ(walk(t.m, t.c1), (Path{t.c1, t.d, t.e}));
    EXPECT_EQ(walk(t.m, t.c2), (Path{t.c2}));
    // Every module is back in its slot.
    for (size_t i = 0; i < t.m.arena<Module>().size(); ++i) EXPECT_FALSE(t.m.arena<Module>().is_taken(i));
}

TEST(ModulePathTest, PathToTheRootOfAComponentsTree) {
    Tree t;
    EXPECT_EQ(find_module_path_to_top_from_hcp(t.m, component_of(t.top)), (Path{t.top}));
    EXPECT_EQ(find_module_path_to_top_from_hcp(t.m, component_of(t.d)), (Path{t.d, t.c1, t.top}));
    EXPECT_EQ(find_module_path_to_top_from_hcp(t.m, component_of(t.e)), (Path{t.e, t.d, t.c1, t.top}));
}

TEST(ModulePathTest, CommonAncestorPaths) {
    Tree t;
    auto check = [&](const ModuleIdent& a, const ModuleIdent& b, const Path& pa, const Path& pb) {
        const CommonAncestorPaths p = find_common_ancestor_module_paths(t.m, a, b);
        EXPECT_EQ(p.path_a, pa);
        EXPECT_EQ(p.path_b, pb);
    };
    check(t.c1, t.c1, {t.c1}, {t.c1});
    check(t.c1, t.c2, {t.c1, t.top}, {t.c2, t.top});     // siblings
    check(t.e, t.c2, {t.e, t.d, t.c1, t.top}, {t.c2, t.top});  // unequal depths
    check(t.d, t.top, {t.d, t.c1, t.top}, {t.top});      // grandparent
    check(t.top, t.e, {t.top}, {t.e, t.d, t.c1, t.top});  // ancestor first
}

TEST(ModulePathTest, ModulesOfTwoTreesShareNoAncestor) {
    Tree t;
    const ModuleIdent r2 = mk_module(t.m, "r2");
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, t.top, r2),
                 format("find_common_ancestor_module_paths: modules \"{}\" (id {}) and \"{}\" (id {}) "
                        "share no common ancestor \u2014 they are in different module trees",
                        t.top.abs_name(), t.top.global_id(), r2.abs_name(), r2.global_id()));
    // The arguments are named, not the roots the climb reached.
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, r2, t.d),
                 format("find_common_ancestor_module_paths: modules \"{}\" (id {}) and \"{}\" (id {}) "
                        "share no common ancestor \u2014 they are in different module trees",
                        r2.abs_name(), r2.global_id(), t.d.abs_name(), t.d.global_id()));
}

TEST(ModulePathTest, DepthWithoutParentIsAnInconsistentTree) {
    Tree t;
    ModuleIdent orphan = t.c2;
    orphan.master_module_handle = ArenaHandle::null();
    const std::string expected = format(
        "assertion `left != right` failed: get_parent_module_ident: module \"{}\" (id {}) is a top "
        "module and has no parent \u2014 module tree / depth_level is inconsistent\n"
        "  left: ArenaHandle { index: 0, generation: 4294967295 }\n"
        " right: ArenaHandle { index: 0, generation: 4294967295 }",
        orphan.abs_name(), orphan.global_id());
    EXPECT_FATAL(get_parent_module_ident(t.m, orphan), expected);
    EXPECT_FATAL(find_module_path_to_top_from_hcp(t.m, component_of(orphan)), expected);
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, orphan, t.c1), expected);
    EXPECT_EQ(get_parent_module_ident(t.m, t.c2), t.top);
}

TEST(ModuleTreeCycleTest, AModuleReachedTwiceStopsTheWalk) {
    Tree t;
    const std::string twice = "DfsModuleIter: module \"{}\" (id {}) is reached twice \u2014 the module "
                              "tree has a cycle or lists the module under two parents";
    {
        // d under both c1 and c2.
        auto c2 = t.m.take<Module>(t.c2);
        c2->sub_modules.push_back(t.d);
        c2.put_back();
        EXPECT_FATAL(walk(t.m, t.top), format(twice, t.d.abs_name(), t.d.global_id()));
    }
    Tree u;
    {
        // e lists itself.
        auto e = u.m.take<Module>(u.e);
        e->sub_modules.push_back(u.e);
        e.put_back();
        EXPECT_FATAL(walk(u.m, u.top), format(twice, u.e.abs_name(), u.e.global_id()));
        for (size_t i = 0; i < u.m.arena<Module>().size(); ++i) EXPECT_FALSE(u.m.arena<Module>().is_taken(i));
    }
}

TEST(ModuleTreeCycleTest, ParentLinksInACircleStopTheClimb) {
    Tree t;
    // d claims to sit below e, and e below d: the climb never reaches depth 0.
    ModuleIdent d = t.d, e = t.e;
    d.master_module_handle = e.handle();
    d.depth_level = 9;
    e.depth_level = 10;
    {
        auto stored_d = t.m.take<Module>(t.d);
        stored_d->ident = d;
        stored_d.put_back();
        auto stored_e = t.m.take<Module>(t.e);
        stored_e->ident = e;
        stored_e.put_back();
    }
    const std::string expected =
        format("module tree: the parent links above module \"{}\" (id {}) form a cycle", e.abs_name(),
               e.global_id());
    EXPECT_FATAL(find_module_path_to_top_from_hcp(t.m, component_of(e)), expected);
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, e, t.c2), expected);
}
