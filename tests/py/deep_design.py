"""`python deep_design.py WHAT DEPTH STACK_KIB OUT_DIR` builds and emits one
deeply nested design (run as a child, so a crash shows as a signal). WHAT:
"blocks" (every nesting kind in turn), "par", "loops" (counter loops, each the
body of the one before), "zero_delay" (one nested event tree), "modules" (each
a sub-module of the one before, whose behaviour reads its parent's register),
"karray" (DEPTH dimensions) or "select" (DEPTH arrays, each read through a
select fn reading the next). STACK_KIB > 0: on a thread with that stack. The
last lines printed are the seconds build_flow and emit took together, then
"emitted", or the exception raised."""
import sys
import threading
import time

from vorlent import _vorlent as v


def nest_blocks(m, depth, what, r, c, sel):
    """Opens `depth` levels of blocks, one inside the other, then closes them."""
    opened = []
    for i in range(depth):
        if what == "zero_delay":  # a zif; a zif branch then the zelse nesting on; a zstate's zcase
            heads = [[("zif", c)], [("zif", c), ("zelse",)], [("zstate", sel), ("zcase", 1)]][i % 3]
        elif what == "blocks":
            heads = [[], [("cif", c)], [("cwhile", c)], [("pick",), ("pif", c)], [("counter_loop", 2)]][i % 5]
            heads = heads + [("seq",)]
        elif what == "loops":
            heads = [("counter_loop", 2)]
        else:  # a par holds the assignment beside the par nested in it
            heads = [("par_auto",)]
        for kind, *args in heads:
            block = getattr(m, f"mk_flow_block_{kind}")(f"{kind}{i}", *args)
            m.initialize_flow_block(block)
            opened.append(block)
            if kind == "zif" and len(heads) == 2:
                m.gen_basic_assign(r, i % 256)
                m.finalize_flow_block(block)
        if what != "loops":
            m.gen_basic_assign(r, i % 256)
    if what == "loops":  # the innermost body
        seq = m.mk_flow_block_seq("body")
        m.initialize_flow_block(seq)
        m.gen_basic_assign(r, 1)
        m.finalize_flow_block(seq)
    for block in reversed(opened):
        m.finalize_flow_block(block)


def design(what, depth):
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    r, c, sel = m.mk_reg("r", 8), m.mk_reg("c", 1), m.mk_reg("sel", 2)
    m.mark_as_io(r, False, "r_o")
    chain, regs = [top], [r]
    if what == "modules":
        for i in range(depth):
            chain.append(m.mk_module(f"m{i}"))
            m.track_module_at_com_init(chain[-1])
            regs.append(m.mk_reg("r", 8))
    for module in reversed(chain):
        m.untrack_module_at_com_init(module)
    # Each sub-module's behaviour reads its parent's register, and the clock
    # and reset of the top: signals routed through every level.
    for module, parent_r, own_r in zip(chain[1:], regs, regs[1:]):
        m.track_module_at_flow_init(module)
        seq = m.mk_flow_block_seq("s")
        m.initialize_flow_block(seq)
        m.gen_basic_assign(own_r, m.mk_expression("e", v.LogicOp.ArithPlus, parent_r, 1))
        m.finalize_flow_block(seq)
        m.finalize_flow_procedure()
        m.untrack_module_at_flow_init(module)
    m.track_module_at_flow_init(top)
    if what == "karray":
        k = m.mk_karray("k", [1] * depth, [("a", 8)], v.HwComponentType.REG)
        everywhere = [("static", [0], [])] * depth
        m.karray_assign_hcps(k, everywhere, [("a", r)], True)
        m.gen_basic_assign(r, m.karray_read_field_hcp(k, everywhere, [], "a"))
    elif what == "select":
        arrays = [m.mk_karray(f"k{i}", [2], [("a", 1)], v.HwComponentType.REG) for i in range(depth)]

        def read(i):
            def select(a_fields, a_coords, b_fields, b_coords, level):
                return (a_fields[0][1] if i + 1 == depth else read(i + 1)), []
            return m.karray_read_field_hcp(arrays[i], [("reduce", [], [])], [select], "a")

        m.gen_basic_assign(r, read(0))
    elif what != "modules":
        nest_blocks(m, depth, what, r, c, sel)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    return m


def run(what, depth, out_dir):
    try:
        m = design(what, depth)
        start = time.perf_counter()
        m.build_flow()
        v.BackendVerilog(m).emit(out_dir, "top")
        print(time.perf_counter() - start)
        print("emitted")
    except BaseException as e:  # noqa: BLE001 - PanicException
        print(f"{type(e).__name__}: {e}")


if __name__ == "__main__":
    what, depth, stack_kib, out_dir = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    if stack_kib:
        threading.stack_size(stack_kib * 1024)
        t = threading.Thread(target=run, args=(what, depth, out_dir))
        t.start()
        t.join()
    else:
        run(what, depth, out_dir)
