"""Loops and a pipeline over a body whose end can follow its entry in the same
cycle: it restarts one cycle after a pass ends, while the loop still counts
the pass, reads its condition and ends in that cycle. Each loop is first in a
top-level sequence whose next step increments r2 (its end, two cycles later)."""

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

ENTRY = R  # the cycle in which the sequence enters the loop
CYCLES = ENTRY + 10


def b_input(c):
    """The loops' condition: 1 in the loop's first two cycles."""
    return int(c < ENTRY + 2)


def passes(kind, length, n=2):
    """The cycles in which the passes are entered (each `length(k)` cycles
    long, the next entered one cycle after a pass ends) and the cycle in
    which the loop ends (None: not within the simulated cycles)."""
    entries, c = [], ENTRY
    if kind == "cwhile" and not b_input(c):
        return entries, c
    while c < CYCLES:
        entries.append(c)
        end = c + length(len(entries) - 1)
        if kind != "pip" and (len(entries) == n if kind == "counter_loop" else not b_input(end)):
            return entries, end
        c = end + 1
    return entries, None


def counted(entries):
    """A register incremented by a step that each of `entries` enters."""
    return [sum(t + 2 <= c for t in entries) for c in range(CYCLES)]


def chain(d, r1, a):
    d.block(d.m.mk_flow_block_cif("c", a), lambda: d.seq("t", (r1, d.inc(r1))))


BODIES = {
    # name: (describe(d, r0, r1, a, b), whether r0 counts the passes, pass k's
    # length for a, the inner passes that increment r1 given the outer ones)
    "cif": (lambda d, r0, r1, a, b: chain(d, r1, a), False, lambda a: lambda k: a,
            lambda a, outer: outer if a else []),
    # The join reads the chain's end of the cycle, so its end follows its
    # entry at once even when the chain's branch runs.
    "par_auto": (lambda d, r0, r1, a, b: d.par("p", (r0, d.inc(r0)), lambda: chain(d, r1, a)), True,
                 lambda a: lambda k: 1, lambda a, outer: outer if a else []),
    # Ends with its first branch end: the chain's (at once, or with the state).
    "par_no_sync": (lambda d, r0, r1, a, b: d.block(d.m.mk_flow_block_par_no_sync("p"), (r0, d.inc(r0)),
                                                     lambda: chain(d, r1, a)),
                    True, lambda a: lambda k: a, lambda a, outer: outer if a else []),
    # A cwhile on `a & b`: with a = 1 its first run takes two passes of one
    # cycle (b holds when they end), every later run none.
    "cwhile": (lambda d, r0, r1, a, b: d.block(d.m.mk_flow_block_cwhile(
                   "w", d.m.mk_expression("ab", v.LogicOp.BitwiseAnd, a, b)), lambda: d.seq("t", (r1, d.inc(r1)))),
               False, lambda a: lambda k: 2 * a * (k == 0), lambda a, outer: [outer[0], outer[0] + 1] if a else []),
}

LOOPS = {
    "counter_loop": lambda m, b, arb: m.mk_flow_block_counter_loop("l", 2),
    "cwhile": lambda m, b, arb: m.mk_flow_block_cwhile("l", b),
    "do_while": lambda m, b, arb: m.mk_flow_block_do_while("l", b),
    # Its own leaf always requests: the body runs whenever the pipeline is ready.
    "pip": lambda m, b, arb: m.mk_flow_block_pip("l", arb, 0, auto_req=True),
}

CASES = [(loop, body) for loop in LOOPS for body in ("cif", "par_auto", "par_no_sync")] + [("counter_loop", "cwhile")]


@pytest.mark.parametrize("a", [0, 1])
@pytest.mark.parametrize("kind, body", CASES)
def test_body_ending_at_once_restarts_one_cycle_after_a_pass(tmp_path, kind, body, a):
    describe, r0_counts, length, r1_entries = BODIES[body]
    d = Design()
    r0, r1, r2 = d.reg("r0"), d.reg("r1"), d.reg("r2")
    pa, pb = d.input("a"), d.input("b")
    with d.components():
        arb = d.m.mk_arb("arb", v.ArbSamePriPolicy.AckOne) if kind == "pip" else None
    with d.behaviour():
        d.seq("s", lambda: d.block(LOOPS[kind](d.m, pb, arb), lambda: describe(d, r0, r1, pa, pb)),
              (r2, d.inc(r2)))
    got = d.run(tmp_path, d.probes(r0=r0, r1=r1, r2=r2), inputs={"a": lambda c: a, "b": b_input}, cycles=CYCLES)
    entries, end = passes(kind, length(a))
    assert got["r0"] == counted(entries if r0_counts else [])
    assert got["r1"] == counted(r1_entries(a, entries))
    assert got["r2"] == counted([end] if end is not None else [])
