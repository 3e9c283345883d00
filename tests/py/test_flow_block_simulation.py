"""A pick's default, simulated cycle by cycle (timing in verilog_sim).
Chains, zero-delay blocks, loops and waits at random are compared with a
cycle model in test_random_programs.py, each block kind in a sequence in
test_block_timing.py."""

import pytest

from verilog_sim import R, Design

pytestmark = pytest.mark.filterwarnings("error")


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
    assert got["done"] == [0] * done_at + [1] * (8 - done_at)

