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

HcpIdent component_of(const ModuleIdent& owner) {
    HcpIdent h = HcpIdent::make(HwComponentType::Reg, Sensitivity::Clocked, true, "r");
    h.set_module_handle(owner.handle());
    return h;
}

}  // namespace

TEST(DfsModuleIterTest, PreOrderWithChildrenInListOrder) {
    Tree t;
    EXPECT_EQ(walk(t.m, t.top), (Path{t.top, t.c1, t.d, t.e, t.c2}));
    EXPECT_EQ(walk(t.m, t.c1), (Path{t.c1, t.d, t.e}));
    EXPECT_TRUE(none_taken<Module>(t.m));
}

TEST(ModulePathTest, PathsToTheRootAndToTheCommonAncestor) {
    Tree t;
    EXPECT_EQ(find_module_path_to_top_from_hcp(t.m, component_of(t.top)), (Path{t.top}));
    EXPECT_EQ(find_module_path_to_top_from_hcp(t.m, component_of(t.e)),
              (Path{t.e, t.d, t.c1, t.top}));

    auto check = [&](const ModuleIdent& a, const ModuleIdent& b, const Path& pa, const Path& pb) {
        const CommonAncestorPaths p = find_common_ancestor_module_paths(t.m, a, b);
        EXPECT_EQ(p.path_a, pa);
        EXPECT_EQ(p.path_b, pb);
    };
    check(t.c1, t.c1, {t.c1}, {t.c1});
    check(t.c1, t.c2, {t.c1, t.top}, {t.c2, t.top});           // siblings
    check(t.e, t.c2, {t.e, t.d, t.c1, t.top}, {t.c2, t.top});  // unequal depths
    check(t.d, t.top, {t.d, t.c1, t.top}, {t.top});            // grandparent
    check(t.top, t.e, {t.top}, {t.e, t.d, t.c1, t.top});       // ancestor first
}

TEST(ModulePathTest, ModulesOfTwoTreesShareNoAncestor) {
    Tree t;
    const ModuleIdent r2 = make_module(t.m, "r2");
    auto refusal = [](const ModuleIdent& a, const ModuleIdent& b) {
        return format(
            "find_common_ancestor_module_paths: modules \"{}\" (id {}) and \"{}\" (id {}) share "
            "no common ancestor \u2014 they are in different module trees",
            a.abs_name(), a.global_id(), b.abs_name(), b.global_id());
    };
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, t.top, r2), refusal(t.top, r2));
    // The arguments are named, not the roots the climb reached.
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, r2, t.d), refusal(r2, t.d));
}

TEST(ModulePathTest, DepthWithoutParentIsAnInconsistentTree) {
    Tree t;
    ModuleIdent orphan = t.c2;
    orphan.master_module_handle = ArenaHandle::null();
    {
        auto stored = t.m.take<Module>(t.c2);
        stored->ident = orphan;
        stored.put_back();
    }
    const std::string expected = format(
        "assertion `left != right` failed: get_parent_module_ident: module \"{}\" (id {}) is a top "
        "module and has no parent \u2014 module tree / depth_level is inconsistent\n"
        "  left: ArenaHandle { index: 0, generation: 4294967295 }\n"
        " right: ArenaHandle { index: 0, generation: 4294967295 }",
        orphan.abs_name(), orphan.global_id());
    EXPECT_FATAL(find_module_path_to_top_from_hcp(t.m, component_of(orphan)), expected);
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, orphan, t.c1), expected);
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

TEST(ModuleTreeCycleTest, ParentLinksInACircleStopTheClimb) {
    Tree t;
    // d claims to sit below e, and e below d: the climb never reaches depth 0.
    ModuleIdent d = t.d, e = t.e;
    d.master_module_handle = e.handle();
    d.depth_level = 9;
    e.depth_level = 10;
    for (const auto& [stored_as, changed] : {std::pair{t.d, d}, std::pair{t.e, e}}) {
        auto stored = t.m.take<Module>(stored_as);
        stored->ident = changed;
        stored.put_back();
    }
    const std::string expected =
        format("module tree: the parent links above module \"{}\" (id {}) form a cycle",
               e.abs_name(), e.global_id());
    EXPECT_FATAL(find_module_path_to_top_from_hcp(t.m, component_of(e)), expected);
    EXPECT_FATAL(find_common_ancestor_module_paths(t.m, e, t.c2), expected);
}
