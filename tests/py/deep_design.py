"""`python deep_design.py WHAT N STACK_KIB OUT_DIR` builds and emits one design
of N levels or items of one nesting kind (run as a child, so a crash shows as
a signal). WHAT is a key of SHAPES (blocks nested N deep, or N blocks in one
chain or container), "modules" (each a sub-module of the one before, whose
behaviour reads its parent's register), "modules_wide" (N sub-modules of the
top, each reading the register of the one before), "karray" (N dimensions),
"karray_reads" (N reads of one array), "karray_dyn" (an array of N elements
read through a signal) or "select" (N arrays, each read through a select fn
reading the next). STACK_KIB > 0: on a thread with that stack. The last
lines printed are the seconds build_flow and emit took, then "emitted", or
the exception raised. bench/scaling.py times every kind at several sizes."""
import sys
import threading
import time

from vorlent import _vorlent as v

# The steps of level (or item) i: a block kind with its arguments opens that
# block inside the last one still open, "=" assigns r in it, "/" closes it.
# A shape is (steps before the levels, the steps of level i, steps after
# them); what is still open at the end is closed innermost first. "c" stands
# for the 1-bit condition, "sel" for a selector wide enough for a zcase per
# level, "arb" for an arbiter.
SHAPES = {
    # Nested: each level opens blocks that the next level nests in.
    "seq": ([], lambda i: [("seq",), "="], []),
    "par": ([], lambda i: [("par_auto",), "="], []),
    "par_no_sync": ([], lambda i: [("par_no_sync",), "="], []),
    "cif": ([], lambda i: [("cif", "c"), ("seq",), "="], []),
    "pick": ([], lambda i: [("pick",), ("pif", "c"), ("seq",), "="], []),
    "zif": ([], lambda i: [("zif", "c"), "="], []),
    # a zif; a zif branch then the zelse nesting on; a zstate's zcase
    "zero_delay": ([], lambda i: [[("zif", "c"), "="], [("zif", "c"), "=", "/", ("zelse",), "="],
                                  [("zstate", "sel"), ("zcase", 1), "="]][i % 3], []),
    "blocks": ([], lambda i: [[], [("cif", "c")], [("cwhile", "c")], [("pick",), ("pif", "c")],
                              [("counter_loop", 2)]][i % 5] + [("seq",), "="], []),
    # Loops take one body block: the innermost level gets a seq.
    "loops": ([], lambda i: [("counter_loop", 2)], [("seq",), "="]),
    "cwhile": ([], lambda i: [("cwhile", "c")], [("seq",), "="]),
    "swhile": ([], lambda i: [("swhile", "c")], [("seq",), "="]),
    "do_while": ([], lambda i: [("do_while", "c")], [("seq",), "="]),
    "scwait": ([], lambda i: [("seq",), ("scwait", "c"), "/", "="], []),
    "sywait": ([], lambda i: [("seq",), ("sywait", 2), "/", "="], []),
    # Wide: each item closes what it opened, inside one block or chain.
    "seq_long": ([("seq",)], lambda i: ["="], []),
    "par_wide": ([("par_auto",)], lambda i: [("seq",), "=", "/"], []),
    "par_no_sync_wide": ([("par_no_sync",)], lambda i: [("seq",), "=", "/"], []),
    "cif_chain": ([("seq",)], lambda i: [("cselif" if i else "cif", "c"), ("seq",), "=", "/", "/"],
                  [("cselse",), ("seq",), "="]),
    "zif_chain": ([("seq",)], lambda i: [("zelif" if i else "zif", "c"), "=", "/"], [("zelse",), "="]),
    "zcase_wide": ([("seq",), ("zstate", "sel")], lambda i: [("zcase", i), "=", "/"], []),
    "pick_wide": ([("seq",), ("pick",)], lambda i: [("pif", "c"), ("seq",), "=", "/", "/"], []),
    "loops_seq": ([("seq",)], lambda i: [("counter_loop", 2), ("seq",), "=", "/", "/"], []),
    "scwait_seq": ([("seq",)], lambda i: [("scwait", "c"), "/", "="], []),
    "sywait_seq": ([("seq",)], lambda i: [("sywait", 2), "/", "="], []),
    # An arbiter's leaves: its mask terms grow with the square of their number.
    "zync_wide": ([("par_auto",)], lambda i: [("zync", "arb"), "=", "/"], []),
}
MODULE_SHAPES = ("modules", "modules_wide")
KARRAY_SHAPES = ("karray", "karray_reads", "karray_dyn", "select")
KINDS = tuple(SHAPES) + MODULE_SHAPES + KARRAY_SHAPES


def describe_shape(m, what, n, r, signals):
    before, level, after = SHAPES[what]
    opened = []

    def run(steps, i):
        for step in steps:
            if step == "=":
                m.gen_basic_assign(r, i % 256)
            elif step == "/":
                m.finalize_flow_block(opened.pop())
            else:
                kind, *args = step
                args = [signals.get(a, a) if isinstance(a, str) else a for a in args]
                block = getattr(m, f"mk_flow_block_{kind}")(f"{kind}{i}", *args)
                m.initialize_flow_block(block)
                opened.append(block)

    run(before, n)
    for i in range(n):
        run(level(i), i)
    run(after, n)
    for block in reversed(opened):
        m.finalize_flow_block(block)


def describe_karray(m, what, n, r, sel):
    if what == "karray":
        k = m.mk_karray("k", [1] * n, [("a", 8)], v.HwComponentType.REG)
        everywhere = [("static", [0], [])] * n
        m.karray_assign_hcps(k, everywhere, [("a", r)], True)
        m.gen_basic_assign(r, m.karray_read_field_hcp(k, everywhere, [], "a"))
    elif what == "karray_reads":  # in a seq of n steps, each reading one element
        k = m.mk_karray("k", [16], [("a", 8)], v.HwComponentType.REG)
        seq = m.mk_flow_block_seq("reads")
        m.initialize_flow_block(seq)
        for i in range(n):
            m.gen_basic_assign(r, m.karray_read_field_hcp(k, [("static", [i % 16], [])], [], "a"))
        m.finalize_flow_block(seq)
    elif what == "karray_dyn":
        k = m.mk_karray("k", [n], [("a", 8)], v.HwComponentType.REG)
        m.gen_basic_assign(r, m.karray_read_field_hcp(k, [("dyn", [], [sel])], [], "a"))
    else:  # select
        arrays = [m.mk_karray(f"k{i}", [2], [("a", 1)], v.HwComponentType.REG) for i in range(n)]

        def read(i):
            def select(a_fields, a_coords, b_fields, b_coords, level):
                return (a_fields[0][1] if i + 1 == n else read(i + 1)), []
            return m.karray_read_field_hcp(arrays[i], [("reduce", [], [])], [select], "a")

        m.gen_basic_assign(r, read(0))


def design(what, n):
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    r, c, sel = m.mk_reg("r", 8), m.mk_reg("c", 1), m.mk_reg("sel", 16)
    arb = m.mk_arb("arb", v.ArbSamePriPolicy.AckOne)
    m.mark_as_io(r, False, "r_o")
    subs, regs = [], [r]
    for i in range(n if what in MODULE_SHAPES else 0):
        subs.append(m.mk_module(f"m{i}"))
        m.track_module_at_com_init(subs[-1])
        regs.append(m.mk_reg("r", 8))
        if what == "modules_wide":
            m.untrack_module_at_com_init(subs[-1])
    for module in reversed(subs if what == "modules" else []):
        m.untrack_module_at_com_init(module)
    m.untrack_module_at_com_init(top)
    # Each sub-module's behaviour reads its parent's register (in the wide
    # tree, the register of the sibling before it, through the top), and the
    # clock and reset of the top: signals routed through every level.
    parents = regs if what == "modules" else regs[:1] + regs[1:-1]
    for module, parent_r, own_r in zip(subs, parents, regs[1:]):
        m.track_module_at_flow_init(module)
        seq = m.mk_flow_block_seq("s")
        m.initialize_flow_block(seq)
        m.gen_basic_assign(own_r, m.mk_expression("e", v.LogicOp.ArithPlus, parent_r, 1))
        m.finalize_flow_block(seq)
        m.finalize_flow_procedure()
        m.untrack_module_at_flow_init(module)
    m.track_module_at_flow_init(top)
    if what in KARRAY_SHAPES:
        describe_karray(m, what, n, r, sel)
    elif what in SHAPES:
        describe_shape(m, what, n, r, {"c": c, "sel": sel, "arb": arb})
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    return m


def run(what, n, out_dir):
    try:
        m = design(what, n)
        start = time.perf_counter()
        m.build_flow()
        built = time.perf_counter()
        v.BackendVerilog(m).emit(out_dir, "top")
        print(built - start, time.perf_counter() - built)
        print("emitted")
    except BaseException as e:  # noqa: BLE001 - PanicException
        print(f"{type(e).__name__}: {e}")


if __name__ == "__main__":
    what, n, stack_kib, out_dir = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    if stack_kib:
        threading.stack_size(stack_kib * 1024)
        t = threading.Thread(target=run, args=(what, n, out_dir))
        t.start()
        t.join()
    else:
        run(what, n, out_dir)
