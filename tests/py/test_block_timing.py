"""The timing table of docs/guide.md, one simulated case per claim.

Each case describes one block as the first element of a top-level sequence
whose second element counts in `done`. So the block is entered in cycle E,
the cycle at whose end the design first sees mrst low (R in verilog_sim),
and it ends in the cycle in which `done`'s step is entered: `done` shows two
cycles later. scripts/timing-pictures draws the guide's pictures from these
designs. Registers x, y, z are 8 bits and reset to 0; a and b are
1-bit inputs, 1 in the listed cycles (offsets from E) and 0 otherwise. A
column lists a register's values from cycle E + 1 on."""

import itertools

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

pytestmark = pytest.mark.filterwarnings("error")

E = R
CYCLES = E + 12


class Bench:
    """Builders of block descriptions: each returns a callable that
    describes the block when the enclosing block's body is described."""

    def __init__(self):
        self.d = d = Design()
        self.m = d.m
        self.x, self.y, self.z, self.done = (d.reg(n) for n in ("x", "y", "z", "done"))
        self.a, self.b = d.input("a"), d.input("b")
        self.names = (f"b{i}" for i in itertools.count())
        self.block_names = self.names

    def blk(self, kind, *args, body=(), **kwargs):
        def describe():
            fb = getattr(self.m, f"mk_flow_block_{kind}")(next(self.block_names), *args, **kwargs)
            self.d.block(fb, *body)
        return describe

    def seq(self, reg, *values):
        return self.blk("seq", body=[(reg, value) for value in values])

    def inc(self, reg):
        return self.blk("seq", body=[(reg, self.d.inc(reg))])

    def less(self, reg, bound):
        self.cond = self.m.mk_expression(next(self.names), v.LogicOp.RelationLe, reg, bound)
        return self.cond

    def arbiter(self, *leaves):
        """An arbiter whose leaf k requests while input `leaves[k]` is 1, at
        priority 5 (blocks bound to it register their own leaves later)."""
        self.arb = arb = self.m.mk_arb(next(self.names), v.ArbSamePriPolicy.AckOne)
        for wire in leaves:
            self.m.gen_basic_assign(self.m.arb_get_leaf_req_wire(arb, self.m.arb_add_leaf(arb, 5)), wire)
        return arb


def par(kind, *branches):
    return lambda t: t.blk(kind, body=[branch(t) for branch in branches])


def chain(*links):
    """A conditional chain of (kind, input or None, body) links."""
    def block(t):
        def describe():
            for kind, cond, body in links:
                t.blk(kind, *([getattr(t, cond)] if cond else []), body=[body(t)])()
        return describe
    return block


def loop(kind, cond, body=lambda t: t.inc(t.x)):
    return lambda t: t.blk(kind, cond(t), body=[body(t)])


CASES = {
    # id: (block, pulses, ends in E + n or None for never, columns); the guide says why
    "seq": (lambda t: t.seq(t.x, 1, 2, 3), {}, 3, {"x": [0, 1, 2, 3]}),
    "par_auto-fixed": (par("par_auto", lambda t: (t.z, 1), lambda t: t.seq(t.x, 1, 2, 3), lambda t: t.seq(t.y, 1)),
                       {}, 3, {"x": [0, 1, 2, 3], "y": [0, 1], "z": [0, 1]}),
    "par_auto-waits": (par("par_auto", lambda t: t.blk("scwait", t.a), lambda t: t.seq(t.x, 1, 2)),
                       {"a": [5]}, 5, {"x": [0, 1, 2]}),
    "par_auto-slowest": (par("par_auto", lambda t: t.blk("scwait", t.a), lambda t: t.seq(t.x, 1, 2)),
                         {"a": [1]}, 2, {}),
    "par_no_sync-fixed": (par("par_no_sync", lambda t: t.seq(t.x, 1, 2, 3), lambda t: t.seq(t.y, 1)),
                          {}, 3, {"x": [0, 1, 2, 3], "y": [0, 1]}),
    "par_no_sync-first": (par("par_no_sync", lambda t: t.blk("scwait", t.a), lambda t: t.seq(t.x, 1, 2, 3)),
                          {"a": [1]}, 1, {"x": [0, 1, 2, 3]}),
    # Looped: the seq left running by the first pass ends the second in 3.
    "par_no_sync-left": (lambda t: t.blk("counter_loop", 2, body=[t.blk("seq", body=[par(
        "par_no_sync", lambda t: t.blk("scwait", t.a), lambda t: t.seq(t.x, 1, 2, 3))(t), t.inc(t.y)])]),
                         {"a": [1]}, 4, {"y": [0, 0, 1, 1, 2]}),
    # Looped: the cif skips in 0 and ends the first pass at once; the par's own
    # step, left running, ends in 1, the cycle of the second entry, and ends
    # nothing then (no end at once): the second pass ends with its own steps, in 2.
    "par_no_sync-rejoin": (lambda t: t.blk("counter_loop", 2, body=[par(
        "par_no_sync", lambda t: (t.y, t.d.inc(t.y)), lambda t: t.blk("cif", t.b, body=[t.inc(t.x)]))(t)]),
                           {"b": [1]}, 2, {"x": [0, 0, 1], "y": [0, 1, 2]}),
    "cif-read": (chain(("cif", "a", lambda t: t.seq(t.x, 1, 2))), {"a": [0]}, 2, {"x": [0, 1, 2]}),
    "cif-skip": (chain(("cif", "a", lambda t: t.seq(t.x, 1, 2))), {"a": [1]}, 0, {"x": [0, 0]}),
    "cselif": (chain(("cif", "a", lambda t: t.seq(t.x, 1)), ("cselif", "b", lambda t: t.seq(t.x, 2, 3)),
                     ("cselse", None, lambda t: t.seq(t.x, 4))), {"b": [0]}, 2, {"x": [0, 2, 3]}),
    "cselse": (chain(("cif", "a", lambda t: t.seq(t.x, 1)), ("cselse", None, lambda t: t.seq(t.x, 4))),
               {"a": [1]}, 1, {"x": [0, 4]}),
    "sif-read": (chain(("sif", "a", lambda t: t.seq(t.x, 1, 2))), {"a": [1]}, 3, {"x": [0, 0, 1, 2]}),
    "sif-skip": (chain(("sif", "a", lambda t: t.seq(t.x, 1, 2))), {"a": [0]}, 1, {"x": [0, 0, 0]}),
    "zif": (chain(("zif", "a", lambda t: (t.x, 1)), ("zelif", "b", lambda t: (t.x, 2)),
                  ("zelse", None, lambda t: (t.x, 3))), {"a": [0], "b": [1]}, 1, {"x": [0, 2, 2]}),
    "zelse": (chain(("zif", "a", lambda t: (t.x, 1)), ("zelse", None, lambda t: (t.x, 3))),
              {"a": [0, 2]}, 1, {"x": [0, 3, 3]}),
    "zstate": (lambda t: t.blk("zstate", t.a, body=[t.blk("zcase", 0, body=[(t.x, 10)]),
                                                    t.blk("zcase", 1, body=[(t.x, 11)])]),
               {"a": [1]}, 1, {"x": [0, 11]}),
    "cwhile": (loop("cwhile", lambda t: t.less(t.x, 2)), {}, 3, {"x": [0, 1, 2, 3, 3]}),
    "cwhile-read": (loop("cwhile", lambda t: t.a), {"a": [0]}, 1, {"x": [0, 1, 1]}),
    "cwhile-skip": (loop("cwhile", lambda t: t.a), {"a": [1]}, 0, {"x": [0, 0]}),
    "swhile": (loop("swhile", lambda t: t.less(t.x, 2)), {}, 5, {"x": [0, 0, 1, 1, 2, 2]}),
    "swhile-skip": (loop("swhile", lambda t: t.a), {"a": [0]}, 1, {"x": [0, 0, 0]}),
    "do_while": (loop("do_while", lambda t: t.less(t.x, 2)), {}, 3, {"x": [0, 1, 2, 3, 3]}),
    "do_while-once": (loop("do_while", lambda t: t.a), {"a": [0]}, 1, {"x": [0, 1, 1]}),
    "counter_loop": (lambda t: t.blk("counter_loop", 3, body=[t.inc(t.x)]), {}, 3, {"x": [0, 1, 2, 3, 3]}),
    "counter_loop-2step": (lambda t: t.blk("counter_loop", 2, body=[t.seq(t.x, 1, 2)]), {}, 4,
                           {"x": [0, 1, 2, 1, 2]}),
    "sywait": (lambda t: t.blk("sywait", 3), {}, 3, {}),
    "sywait-1": (lambda t: t.blk("sywait", 1), {}, 1, {}),
    "scwait": (lambda t: t.blk("scwait", t.a), {"a": [0, 4]}, 4, {}),
    "scwait-1": (lambda t: t.blk("scwait", t.a), {"a": [1]}, 1, {}),
    "pick": (lambda t: t.blk("pick", body=[t.blk("pif", t.a, body=[t.seq(t.x, 1, 2, 3)]),
                                           t.blk("pif", t.b, body=[t.seq(t.y, 1)]),
                                           t.blk("pidef", body=[t.seq(t.z, 1)])]),
             {"a": [0], "b": [0]}, 1, {"x": [0, 1, 2, 3], "y": [0, 1], "z": [0, 0], "done": [0, 0, 1, 1, 2]}),
    "pidef": (lambda t: t.blk("pick", body=[t.blk("pif", t.a, body=[t.seq(t.x, 1)]),
                                            t.blk("pidef", body=[t.seq(t.z, 1, 2)])]),
              {"a": [1]}, 2, {"x": [0, 0, 0], "z": [0, 1, 2]}),
    "pick-none": (lambda t: t.blk("pick", body=[t.blk("pif", t.a, body=[t.seq(t.x, 1)])]), {}, 0, {"x": [0, 0]}),
    "pip": (lambda t: t.blk("pip", t.arbiter(t.a), body=[t.inc(t.x)]), {"a": [2, 3, 6]}, None,
            {"x": [0, 0, 0, 1, 2, 2, 2, 3, 3]}),
    "pip-auto_req": (lambda t: t.blk("pip", t.arbiter(), auto_req=True, body=[t.seq(t.x, 1, 2)]), {}, None,
                     {"x": [0, 1, 2, 1, 2, 1]}),
    "zync": (lambda t: t.blk("zync", t.arbiter(t.b), 1, body=[(t.x, 1)]), {"b": [0, 1, 2, 3]}, 4,
             {"x": [0, 0, 0, 0, 1]}),
    "zync-auto_ack": (lambda t: t.blk("zync", t.arbiter(), auto_ack=True, body=[(t.x, 1)]), {}, 1, {"x": [0, 1]}),
}


def build(case, block_names=None):
    """The case's design; `block_names` names its blocks in place of b0, b1, ..."""
    t = Bench()
    if block_names:
        t.block_names = block_names
    with t.d.behaviour():
        t.d.seq("outer", CASES[case][0](t), (t.done, t.d.inc(t.done)))
    return t


@pytest.mark.parametrize("case", CASES)
def test_block_timing(tmp_path, capfd, case):
    check_timing(tmp_path, capfd, case, build(case))


def check_timing(tmp_path, capfd, case, t):
    """Simulates the design `t` of the case and checks its table row."""
    _, pulses, end, columns = CASES[case]
    got = t.d.run(tmp_path, t.d.probes(x=t.x, y=t.y, z=t.z, done=t.done), cycles=CYCLES,
                  inputs={name: (lambda on: lambda c: int(c - E in on))(pulses.get(name, ())) for name in "ab"})
    capfd.readouterr()  # the pick's build warns
    assert (got["done"].index(1) - 2 - E if 1 in got["done"] else None) == end
    for reg, values in columns.items():
        assert got[reg][E + 1:E + 1 + len(values)] == values, reg


def test_top_level_zero_delay_block_assigns_in_every_cycle(tmp_path):
    """Outside any block, a zero-delay block is like a loose assignment: it
    reads and assigns in every cycle, from cycle E on."""
    t = Bench()
    with t.d.behaviour():
        chain(("zif", "a", lambda t: (t.x, t.d.inc(t.x))))(t)()
    got = t.d.run(tmp_path, t.d.probes(x=t.x), inputs={"a": lambda c: int(c != E + 2)}, cycles=E + 6)
    assert got["x"][E:] == [0, 1, 2, 2, 3, 4]
