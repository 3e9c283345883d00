"""A pipeline over a body whose end can follow its entry in the same cycle:
it enters the next pass one cycle after a pass ends. The pipeline is first in
a top-level sequence whose next step (incrementing r2) never starts. The
loops' restarts are compared with a cycle model in test_random_programs.py."""

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

ENTRY = R  # the cycle in which the sequence enters the pipeline
CYCLES = ENTRY + 10


def counted(entries):
    """A register incremented by a step that each of `entries` enters."""
    return [sum(t + 2 <= c for t in entries) for c in range(CYCLES)]


def chain(d, r1, a):
    d.block(d.m.mk_flow_block_cif("c", a), lambda: d.seq("t", (r1, d.inc(r1))))


BODIES = {
    # name: (describe(d, r0, r1, a), whether r0 counts the passes, a pass's length for a)
    "cif": (lambda d, r0, r1, a: chain(d, r1, a), False, lambda a: a),
    # The join reads the chain's end of the cycle, so its end follows its
    # entry at once even when the chain's branch runs.
    "par_auto": (lambda d, r0, r1, a: d.par("p", (r0, d.inc(r0)), lambda: chain(d, r1, a)), True, lambda a: 1),
    # Ends with its first branch end: the chain's (at once, or with the state).
    "par_no_sync": (lambda d, r0, r1, a: d.block(d.m.mk_flow_block_par_no_sync("p"), (r0, d.inc(r0)),
                                                  lambda: chain(d, r1, a)), True, lambda a: a),
}


@pytest.mark.parametrize("a", [0, 1])
@pytest.mark.parametrize("kind, body", [("pip", body) for body in BODIES])
def test_body_ending_at_once_restarts_one_cycle_after_a_pass(tmp_path, kind, body, a):
    describe, r0_counts, length = BODIES[body]
    d = Design()
    r0, r1, r2 = d.reg("r0"), d.reg("r1"), d.reg("r2")
    pa, pb = d.input("a"), d.input("b")
    with d.components():
        arb = d.m.mk_arb("arb", v.ArbSamePriPolicy.AckOne)
    with d.behaviour():
        # Its own leaf always requests: the body runs whenever the pipeline is ready.
        d.seq("s", lambda: d.block(d.m.mk_flow_block_pip("l", arb, 0, auto_req=True), lambda: describe(d, r0, r1, pa)),
              (r2, d.inc(r2)))
    got = d.run(tmp_path, d.probes(r0=r0, r1=r1, r2=r2), inputs={"a": lambda c: a, "b": lambda c: 0}, cycles=CYCLES)
    entries = list(range(ENTRY, CYCLES, length(a) + 1))
    assert got["r0"] == counted(entries if r0_counts else [])
    assert got["r1"] == counted(entries if a else [])
    assert got["r2"] == [0] * CYCLES
