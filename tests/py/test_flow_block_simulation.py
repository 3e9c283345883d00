"""Conditional, zero-delay, pick, loop and wait blocks described from Python,
built, simulated cycle by cycle with Icarus Verilog and linted with
Verilator.

Timing as in test_simulation: the design's start fires in cycle R (=2), a
state that waits for it is active in cycle R+1 and its assignment shows in
cycle R+2. A condition tested without a state (cif, cwhile, pick) is read in
the cycle in which its block is entered; input functions give a port's
value in each cycle."""

import pytest

from vorlent import _vorlent as v
from test_simulation import Design, R, column

pytestmark = pytest.mark.filterwarnings("error")


class Flow(Design):
    def input(self, name, width=1):
        self.m.track_module_at_com_init(self.top)
        w = self.m.mk_wire(name, width)
        self.m.mark_as_io(w, True, name)
        self.m.untrack_module_at_com_init(self.top)
        return w

    def expr(self, name, op, a, b):
        """An expression of the module being described (call it while its
        behaviour is described)."""
        return self.m.mk_expression(name, op, a, b)

    def block(self, block, *items):
        """Opens `block`, describes `items` (assignments or callables) in it
        and closes it."""
        self._fill(block, items)

    def probes(self, **regs):
        return {k: f"dut.{self.name(h)}" for k, h in regs.items()}


def inc(d, r):
    return d.expr(f"{d.name(r)}_inc", v.LogicOp.ArithPlus, r, 1)


# ---- conditional chain -------------------------------------------------------

@pytest.mark.parametrize("kind", ["cif", "sif"])
@pytest.mark.parametrize("a, b, x_seq", [
    (1, 0, [1]), (1, 1, [1]), (0, 1, [2, 3]), (0, 0, [4]),
])
def test_chain_runs_the_first_branch_that_holds(tmp_path, kind, a, b, x_seq):
    d = Flow()
    x, done = d.reg("x"), d.reg("done")
    pa, pb = d.input("a"), d.input("b")

    def chain():
        d.block(getattr(d.m, f"mk_flow_block_{kind}")("i", pa), lambda: d.seq("s0", (x, 1)))
        d.block(d.m.mk_flow_block_cselif("ei", pb), lambda: d.seq("s1", (x, 2), (x, 3)))
        d.block(d.m.mk_flow_block_cselse("el"), lambda: d.seq("s2", (x, 4)))
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", chain))
    rows = d.run(tmp_path, d.probes(x=x, done=done),
                 inputs={"a": lambda c: a, "b": lambda c: b}, cycles=10)
    # A sif spends one cycle in its condition state first.
    first = R + 2 + (kind == "sif")
    expected_x = [0] * first + x_seq + [x_seq[-1]] * (10 - first - len(x_seq))
    assert column(rows, "x") == expected_x
    done_at = first + len(x_seq)
    assert column(rows, "done") == [0] * done_at + [1] * (10 - done_at)


@pytest.mark.parametrize("kind", ["cif", "sif"])
def test_chain_without_else_is_left_when_nothing_holds(tmp_path, kind):
    d = Flow()
    x, done = d.reg("x"), d.reg("done")
    pa = d.input("a")

    def chain():
        d.block(getattr(d.m, f"mk_flow_block_{kind}")("i", pa), lambda: d.seq("s0", (x, 1), (x, 2)))
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", chain))
    rows = d.run(tmp_path, d.probes(x=x, done=done), inputs={"a": lambda c: 0}, cycles=8)
    assert column(rows, "x") == [0] * 8
    # cif: straight through in its start cycle; sif: after its condition state.
    done_at = R + 2 + (kind == "sif")
    assert column(rows, "done") == [0] * done_at + [1] * (8 - done_at)


@pytest.mark.parametrize("a", [0, 1])
def test_parallel_block_waits_for_a_chain_branch(tmp_path, a):
    """The block after a parallel block starts when its slowest branch ends,
    also when a branch is a chain whose length depends on its condition."""
    d = Flow()
    x, y, z, done = d.reg("x"), d.reg("y"), d.reg("z"), d.reg("done")
    pa = d.input("a")

    def body():
        d.par("p",
              lambda: d.block(d.m.mk_flow_block_cif("i", pa), lambda: d.seq("s0", (x, 1), (x, 2), (x, 3))),
              lambda: d.seq("s1", (y, 1), (y, 2), (y, 3)),
              lambda: d.block(d.m.mk_flow_block_sif("j", pa), lambda: d.seq("s2", (z, 1), (z, 2), (z, 3))))
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", body))
    rows = d.run(tmp_path, d.probes(x=x, y=y, z=z, done=done), inputs={"a": lambda c: a}, cycles=11)
    assert column(rows, "y") == [0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3]
    # With a = 1 the sif branch is the slowest: its state, then three steps.
    done_at = R + 2 + (4 if a else 3)
    assert column(rows, "done") == [0] * done_at + [1] * (11 - done_at)


# ---- zero-delay conditionals -------------------------------------------------

def test_zif_chain_assigns_in_the_cycle_of_its_step(tmp_path):
    d = Flow()
    x, y = d.reg("x"), d.reg("y")
    pa, pb = d.input("a"), d.input("b")

    def zchain():
        d.block(d.m.mk_flow_block_zif("zi", pa), (x, 1), (y, 1))
        d.block(d.m.mk_flow_block_zelif("ze", pb), (x, 2))
        d.block(d.m.mk_flow_block_zelse("zl"), (x, 3))

    # Three steps of one cycle each; the zif chain is the second and third.
    d.behaviour(d.top, lambda: d.seq("s", (x, 9), zchain, zchain))
    a = {R + 2: 0, R + 3: 1}
    b = {R + 2: 1, R + 3: 1}
    rows = d.run(tmp_path, d.probes(x=x, y=y),
                 inputs={"a": lambda c: a.get(c, 0), "b": lambda c: b.get(c, 0)}, cycles=8)
    # Step 2 runs in cycle R+2 with a=0, b=1; step 3 in R+3 with a=1.
    assert column(rows, "x") == [0, 0, 0, 0, 9, 2, 1, 1]
    assert column(rows, "y") == [0, 0, 0, 0, 0, 0, 1, 1]


def test_top_level_zif_assigns_every_cycle(tmp_path):
    d = Flow()
    x = d.reg("x")
    pa = d.input("a")

    def zchain():
        d.block(d.m.mk_flow_block_zif("zi", pa), (x, 1))
        d.block(d.m.mk_flow_block_zelse("zl"), (x, 2))

    d.behaviour(d.top, zchain)
    rows = d.run(tmp_path, d.probes(x=x), inputs={"a": lambda c: c % 2}, cycles=8)
    # Held by the reset, then the value chosen by a in the cycle before.
    assert column(rows, "x") == [0, 0, 0, 2, 1, 2, 1, 2]


def test_zstate_picks_the_case_of_its_selector(tmp_path):
    d = Flow()
    x, y = d.reg("x"), d.reg("y")
    sel = d.input("sel", 2)

    def switch():
        def cases():
            d.block(d.m.mk_flow_block_zcase("c0", 0), (x, 10))
            d.block(d.m.mk_flow_block_zcase("c1", 1), (x, 11), (y, 5))
            d.block(d.m.mk_flow_block_zcase("c3", 3), (y, 6))
        d.block(d.m.mk_flow_block_zstate("zs", sel), cases)

    d.behaviour(d.top, lambda: d.seq("s", switch, switch, switch, switch))
    picks = {R + 1: 0, R + 2: 1, R + 3: 3, R + 4: 2}
    rows = d.run(tmp_path, d.probes(x=x, y=y), inputs={"sel": lambda c: picks.get(c, 0)}, cycles=9)
    assert column(rows, "x") == [0, 0, 0, 0, 10, 11, 11, 11, 11]
    assert column(rows, "y") == [0, 0, 0, 0, 0, 5, 6, 6, 6]


# ---- pick --------------------------------------------------------------------

@pytest.mark.parametrize("a, b, xyz, done_at", [
    (1, 0, (1, 0, 0), R + 3),
    (0, 1, (0, 2, 0), R + 4),
    (1, 1, (1, 2, 0), R + 3),   # both start; the first to end leaves the block
    (0, 0, (0, 0, 1), R + 3),   # the default
])
def test_pick_starts_every_pif_that_holds_else_the_default(tmp_path, capfd, a, b, xyz, done_at):
    d = Flow()
    x, y, z, done = d.reg("x"), d.reg("y"), d.reg("z"), d.reg("done")
    pa, pb = d.input("a"), d.input("b")

    def pick():
        def branches():
            d.block(d.m.mk_flow_block_pif("pa", pa), lambda: d.seq("sa", (x, 1)))
            d.block(d.m.mk_flow_block_pidef("pd"), lambda: d.seq("sd", (z, 1)))
            d.block(d.m.mk_flow_block_pif("pb", pb), lambda: d.seq("sb", (y, 1), (y, 2)))
        d.block(d.m.mk_flow_block_pick("pk"), branches)
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", pick))
    rows = d.run(tmp_path, d.probes(x=x, y=y, z=z, done=done),
                 inputs={"a": lambda c: a, "b": lambda c: b}, cycles=8)
    assert "[vorlent][warn] pick block 'pk': exit is NOT auto-synchronized; the matching branch drives " \
           "the exit signal\n" in capfd.readouterr().err
    assert (rows[-1]["x"], rows[-1]["y"], rows[-1]["z"]) == xyz
    assert column(rows, "done") == [0] * done_at + [1] * (8 - done_at)


def test_pick_without_default_is_left_when_no_pif_holds(tmp_path):
    d = Flow()
    x, done = d.reg("x"), d.reg("done")
    pa = d.input("a")

    def pick():
        d.block(d.m.mk_flow_block_pick("pk"),
                lambda: d.block(d.m.mk_flow_block_pif("pa", pa), lambda: d.seq("sa", (x, 1), (x, 2))))
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", pick))
    rows = d.run(tmp_path, d.probes(x=x, done=done), inputs={"a": lambda c: 0}, cycles=6)
    assert column(rows, "x") == [0] * 6
    assert column(rows, "done") == [0, 0, 0, 0, 1, 1]


# ---- loops -------------------------------------------------------------------

def counting_loop(d, make_loop, op, bound):
    """`i` counts up in a two-step body (i = i + 1, t = i) while `i op bound`
    holds; then `done` is set."""
    i, t, done = d.reg("i"), d.reg("t"), d.reg("done")

    def body():
        cond = d.expr("cond", op, i, bound)
        d.block(make_loop(cond), lambda: d.seq("b", (i, inc(d, i)), (t, i)))
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", body))
    return i, done


LT_3 = (v.LogicOp.RelationLe, 3)
NEVER = (v.LogicOp.RelationEq, 99)


@pytest.mark.parametrize("kind, cond, i_col, done_at", [
    # The condition is read in the entry cycle, then at each body end.
    ("cwhile", LT_3, [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 3], R + 8),
    ("cwhile", NEVER, [0] * 15, R + 2),
    # One state per test: entry, then after each body end.
    ("swhile", LT_3, [0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3], R + 12),
    ("swhile", NEVER, [0] * 15, R + 3),
    # The body first, the test at its end.
    ("do_while", LT_3, [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 3], R + 8),
    ("do_while", NEVER, [0, 0, 0, 0] + [1] * 11, R + 4),
])
def test_while_loops(tmp_path, kind, cond, i_col, done_at):
    d = Flow()
    i, done = counting_loop(d, lambda c: getattr(d.m, f"mk_flow_block_{kind}")("w", c), *cond)
    rows = d.run(tmp_path, d.probes(i=i, done=done), cycles=15)
    assert column(rows, "i") == i_col
    assert column(rows, "done") == [0] * done_at + [1] * (15 - done_at)


def test_counter_loop_runs_its_passes_then_leaves(tmp_path):
    d = Flow()
    k, done = d.reg("k"), d.reg("done")

    def body():
        d.block(d.m.mk_flow_block_counter_loop("cl", 3), lambda: d.seq("b", (k, inc(d, k))))
        d.m.gen_basic_assign(done, 1)

    d.behaviour(d.top, lambda: d.seq("outer", body))
    rows = d.run(tmp_path, d.probes(k=k, done=done), cycles=9)
    # One pass per cycle: the body restarts in the cycle it ends.
    assert column(rows, "k") == [0, 0, 0, 0, 1, 2, 3, 3, 3]
    assert column(rows, "done") == [0] * (R + 5) + [1] * (9 - R - 5)


@pytest.mark.parametrize("passes", [1, 3])
def test_counter_loop_inside_a_while_loop_runs_all_passes_each_time(tmp_path, passes):
    d = Flow()
    i, k = d.reg("i"), d.reg("k")

    def body():
        d.m.gen_basic_assign(i, inc(d, i))
        d.block(d.m.mk_flow_block_counter_loop("cl", passes), lambda: d.seq("b", (k, inc(d, k))))

    def loop():
        lt = d.expr("lt", v.LogicOp.RelationLe, i, 3)
        d.block(d.m.mk_flow_block_cwhile("w", lt), lambda: d.seq("s", body))

    d.behaviour(d.top, loop)
    rows = d.run(tmp_path, d.probes(i=i, k=k), cycles=R + 2 + 3 * (passes + 1) + 2)
    # Each pass of the while loop: i's step, then `passes` counted steps.
    assert rows[-1]["i"] == 3
    assert rows[-1]["k"] == 3 * passes
    ks = column(rows, "k")[R + 2:]
    assert ks[:3 * (passes + 1)] == [p * passes + n for p in range(3) for n in range(passes + 1)]


# ---- waits -------------------------------------------------------------------

def test_waits_hold_the_sequence(tmp_path):
    d = Flow()
    x = d.reg("x")
    pa = d.input("a")
    d.behaviour(d.top, lambda: d.seq(
        "s", (x, 1),
        lambda: d.block(d.m.mk_flow_block_scwait("wc", pa)),
        (x, 2),
        lambda: d.block(d.m.mk_flow_block_sywait("wy", 3)),
        (x, 3)))
    rows = d.run(tmp_path, d.probes(x=x), inputs={"a": lambda c: int(c == 7)}, cycles=16)
    # x = 1 shows in R+2; the wait ends in the cycle a is 1 (7); x = 2's
    # state follows, then three cycles of waiting, then x = 3's state.
    assert column(rows, "x") == [0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3]


def test_scwait_on_one_bit_of_a_wider_signal(tmp_path):
    d = Flow()
    x = d.reg("x")
    pa = d.input("a", 4)
    d.behaviour(d.top, lambda: d.seq(
        "s", lambda: d.block(d.m.mk_flow_block_scwait("wc", pa, v.Slice(start=2, stop=3))), (x, 1)))
    # Bits other than bit 2 do not end the wait.
    rows = d.run(tmp_path, d.probes(x=x), inputs={"a": lambda c: {5: 0b1011, 6: 0b0100}.get(c, 0)}, cycles=9)
    assert column(rows, "x") == [0] * 8 + [1]
