"""Conditional, zero-delay, pick, loop and wait blocks, simulated cycle by
cycle (timing in verilog_sim). A condition tested without a state (cif,
cwhile, pick) is read in the cycle in which its block is entered."""

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

pytestmark = pytest.mark.filterwarnings("error")


def from_cycle(n, cycles):
    return [0] * n + [1] * (cycles - n)


@pytest.mark.parametrize("kind", ["cif", "sif"])
@pytest.mark.parametrize("a, b, x_seq", [
    (1, 0, [1]), (1, 1, [1]), (0, 1, [2, 3]), (0, 0, [4]),
    (0, 0, []),  # no else: the chain is left when nothing holds
])
def test_chain_runs_the_first_branch_that_holds(tmp_path, kind, a, b, x_seq):
    d = Design()
    x, done = d.reg("x"), d.reg("done")
    pa, pb = d.input("a"), d.input("b")

    def chain():
        d.block(getattr(d.m, f"mk_flow_block_{kind}")("i", pa), lambda: d.seq("s0", (x, 1)))
        d.block(d.m.mk_flow_block_cselif("ei", pb), lambda: d.seq("s1", (x, 2), (x, 3)))
        if x_seq:
            d.block(d.m.mk_flow_block_cselse("el"), lambda: d.seq("s2", (x, 4)))

    with d.behaviour():
        d.seq("outer", chain, (done, 1))
    got = d.run(tmp_path, d.probes(x=x, done=done), inputs={"a": lambda c: a, "b": lambda c: b}, cycles=10)
    # A sif spends one cycle in its condition state first; a cif goes
    # straight through in its start cycle.
    first = R + 2 + (kind == "sif")
    assert got["x"] == [0] * first + x_seq + [x_seq[-1] if x_seq else 0] * (10 - first - len(x_seq))
    assert got["done"] == from_cycle(first + len(x_seq), 10)


@pytest.mark.parametrize("a", [0, 1])
def test_parallel_block_waits_for_a_chain_branch(tmp_path, a):
    """The block after a parallel block starts when its slowest branch ends,
    also when a branch is a chain whose length depends on its condition."""
    d = Design()
    x, y, z, done = d.reg("x"), d.reg("y"), d.reg("z"), d.reg("done")
    pa = d.input("a")
    with d.behaviour():
        d.seq("outer", lambda: d.par(
            "p",
            lambda: d.block(d.m.mk_flow_block_cif("i", pa), lambda: d.seq("s0", (x, 1), (x, 2), (x, 3))),
            lambda: d.seq("s1", (y, 1), (y, 2), (y, 3)),
            lambda: d.block(d.m.mk_flow_block_sif("j", pa), lambda: d.seq("s2", (z, 1), (z, 2), (z, 3)))),
            (done, 1))
    got = d.run(tmp_path, d.probes(x=x, y=y, z=z, done=done), inputs={"a": lambda c: a}, cycles=11)
    assert got["y"] == [0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3]
    # With a = 1 the sif branch is the slowest: its state, then three steps.
    assert got["done"] == from_cycle(R + 2 + (4 if a else 3), 11)


def test_zstate_picks_the_case_of_its_selector(tmp_path):
    d = Design()
    x, y = d.reg("x"), d.reg("y")
    sel = d.input("sel", 2)

    def switch():
        d.block(d.m.mk_flow_block_zstate("zs", sel),
                lambda: d.block(d.m.mk_flow_block_zcase("c0", 0), (x, 10)),
                lambda: d.block(d.m.mk_flow_block_zcase("c1", 1), (x, 11), (y, 5)),
                lambda: d.block(d.m.mk_flow_block_zcase("c3", 3), (y, 6)))

    with d.behaviour():
        d.seq("s", switch, switch, switch, switch)
    picks = {R + 1: 0, R + 2: 1, R + 3: 3, R + 4: 2}
    got = d.run(tmp_path, d.probes(x=x, y=y), inputs={"sel": lambda c: picks.get(c, 0)}, cycles=9)
    assert got["x"] == [0, 0, 0, 0, 10, 11, 11, 11, 11]
    assert got["y"] == [0, 0, 0, 0, 0, 5, 6, 6, 6]


@pytest.mark.parametrize("a, b, default, xyz, done_at", [
    (1, 0, True, (1, 0, 0), R + 3),
    (0, 1, True, (0, 2, 0), R + 4),
])
def test_pick_starts_every_pif_that_holds_else_the_default(tmp_path, capfd, a, b, default, xyz, done_at):
    d = Design()
    x, y, z, done = d.reg("x"), d.reg("y"), d.reg("z"), d.reg("done")
    pa, pb = d.input("a"), d.input("b")

    def branches():
        d.block(d.m.mk_flow_block_pif("pa", pa), lambda: d.seq("sa", (x, 1)))
        if default:
            d.block(d.m.mk_flow_block_pidef("pd"), lambda: d.seq("sd", (z, 1)))
        d.block(d.m.mk_flow_block_pif("pb", pb), lambda: d.seq("sb", (y, 1), (y, 2)))

    with d.behaviour():
        d.seq("outer", lambda: d.block(d.m.mk_flow_block_pick("pk"), branches), (done, 1))
    got = d.run(tmp_path, d.probes(x=x, y=y, z=z, done=done), inputs={"a": lambda c: a, "b": lambda c: b},
                cycles=8)
    assert "[vorlent][warn] pick block 'pk': exit is NOT auto-synchronized; the matching branch drives " \
           "the exit signal\n" in capfd.readouterr().err
    assert (got["x"][-1], got["y"][-1], got["z"][-1]) == xyz
    assert got["done"] == from_cycle(done_at, 8)


@pytest.mark.parametrize("passes", [1, 3])
def test_counter_loop_inside_a_while_loop_runs_all_passes_each_time(tmp_path, passes):
    d = Design()
    i, k = d.reg("i"), d.reg("k")
    with d.behaviour():
        lt = d.m.mk_expression("lt", v.LogicOp.RelationLe, i, 3)
        d.block(d.m.mk_flow_block_cwhile("w", lt), lambda: d.seq(
            "s", (i, d.inc(i)),
            lambda: d.block(d.m.mk_flow_block_counter_loop("cl", passes), lambda: d.seq("b", (k, d.inc(k))))))
    got = d.run(tmp_path, d.probes(i=i, k=k), cycles=R + 2 + 3 * (passes + 1) + 2)
    # Each pass of the while loop: i's step, then `passes` counted steps.
    assert got["i"][-1] == 3
    assert got["k"][-1] == 3 * passes
    assert got["k"][R + 2:][:3 * (passes + 1)] == [p * passes + n for p in range(3) for n in range(passes + 1)]


def test_waits_hold_the_sequence(tmp_path):
    d = Design()
    x, pa = d.reg("x"), d.input("a")
    with d.behaviour():
        d.seq("s", (x, 1), lambda: d.block(d.m.mk_flow_block_scwait("wc", pa)),
              (x, 2), lambda: d.block(d.m.mk_flow_block_sywait("wy", 3)), (x, 3))
    got = d.run(tmp_path, d.probes(x=x), inputs={"a": lambda c: int(c == 7)}, cycles=16)
    # x = 1 shows in R+2; the wait ends in the cycle a is 1 (7); x = 2's
    # state follows, then three cycles of waiting, then x = 3's state.
    assert got["x"] == [0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3]


def test_scwait_on_one_bit_of_a_wider_signal(tmp_path):
    d = Design()
    x, pa = d.reg("x"), d.input("a", 4)
    with d.behaviour():
        d.seq("s", lambda: d.block(d.m.mk_flow_block_scwait("wc", pa, v.Slice(start=2, stop=3))), (x, 1))
    # Bits other than bit 2 do not end the wait.
    got = d.run(tmp_path, d.probes(x=x), inputs={"a": lambda c: {5: 0b1011, 6: 0b0100}.get(c, 0)}, cycles=9)
    assert got["x"] == [0] * 8 + [1]
