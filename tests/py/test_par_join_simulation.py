"""How a par_no_sync ends when its branches have no fixed latency (as loop
bodies: test_loop_restart_simulation.py)."""

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design, comb_loops

ENTRY = R  # the cycle in which the design's start enters the first block


def from_cycle(n, cycles, value=1):
    return [0] * n + [value] * (cycles - n)


def passes_trace(entries, cycles):
    """A register incremented by the one-cycle state of each pass, the
    passes entered in the cycles `entries`."""
    return [sum(t + 2 <= c for t in entries) for c in range(cycles)]


@pytest.mark.parametrize("a, r2_from", [(0, ENTRY + 2), (1, ENTRY + 3)])
def test_no_sync_block_ends_once_at_its_first_branch_end(tmp_path, a, r2_from):
    """The chain ends first (at once with a = 0, after its state with a = 1);
    the three-step branch's later end does not start the successor again."""
    d = Design()
    r0, r1, r2 = d.reg("r0"), d.reg("r1"), d.reg("r2")
    pa = d.input("a")
    with d.behaviour():
        d.seq("s", lambda: d.block(d.m.mk_flow_block_par_no_sync("p"),
                                   lambda: d.block(d.m.mk_flow_block_cif("c", pa), lambda: d.seq("b", (r0, 1))),
                                   lambda: d.seq("t", (r1, 1), (r1, 2), (r1, 3))),
              (r2, d.inc(r2)))
    got = d.run(tmp_path, d.probes(r0=r0, r1=r1, r2=r2), inputs={"a": lambda c: a}, cycles=10)
    assert got["r0"] == from_cycle(ENTRY + 2, 10, a)
    assert got["r1"] == [0, 0, 0, 0, 1, 2, 3, 3, 3, 3]
    assert got["r2"] == from_cycle(r2_from, 10)


@pytest.mark.parametrize("a, r1", [
    # The three-step branch is entered again while it runs: its steps
    # overlap, one increment a cycle until the last of them ends.
    (1, [0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5]),
    (0, [0, 0, 0, 0, 10, 20, 30, 30, 30, 30, 30]),
])
def test_no_sync_block_entered_again_while_a_branch_runs(tmp_path, a, r1):
    """A counter loop of three passes over `par_no_sync { r0 = r0 + 1 ; cif
    (a) { three steps } cselse { one step } }`. Each pass ends with its first
    branch end; a branch left running by an earlier pass is not stopped, and
    its ends after the loop has left do not end the block again."""
    d = Design()
    r0, r1_reg, r2 = d.reg("r0"), d.reg("r1"), d.reg("r2")
    pa = d.input("a")

    def chain():
        inc, ten = d.inc(r1_reg), d.m.mk_expression("r1_ten", v.LogicOp.ArithPlus, r1_reg, 10)
        d.block(d.m.mk_flow_block_cif("c", pa), lambda: d.seq("t", (r1_reg, inc), (r1_reg, inc), (r1_reg, inc)))
        d.block(d.m.mk_flow_block_cselse("e"), lambda: d.seq("o", (r1_reg, ten)))

    body = lambda: d.block(d.m.mk_flow_block_par_no_sync("p"), (r0, d.inc(r0)), chain)
    with d.behaviour():
        d.seq("s", lambda: d.block(d.m.mk_flow_block_counter_loop("l", 3), body), (r2, d.inc(r2)))
    got = d.run(tmp_path, d.probes(r0=r0, r1=r1_reg, r2=r2), inputs={"a": lambda c: a}, cycles=11)
    assert got["r0"] == passes_trace([ENTRY, ENTRY + 1, ENTRY + 2], 11)
    assert got["r1"] == r1
    assert got["r2"] == from_cycle(ENTRY + 5, 11)


def test_comb_loop_check_finds_a_loop_through_an_always_block(tmp_path):
    f = tmp_path / "m.v"
    f.write_text("module m(input a);\nreg w;\nwire x;\nwire y = 1'b0;\n"
                 "always @(*) begin\n    w <= y;\n    if (x) begin\n        w <= a;\n    end\nend\n"
                 "assign x = w & a;\nendmodule\n")
    assert comb_loops([str(f)]) == [["w", "x"]]
