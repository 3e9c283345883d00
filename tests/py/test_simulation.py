"""Designs described from Python, built, emitted, simulated cycle by cycle
with Icarus Verilog and linted with Verilator.

Timing of every design below: `mrst` is released at the falling edge of
cycle R (=2). At the next rising edge the design's start fires the first
state of each top-level block, so that state is active in cycle R+1 and its
assignment shows in cycle R+2; each later step of a sequence one cycle later.
"""

import pytest

from vorlent import _vorlent as v
from verilog_sim import emit, lint, simulate

R = 2


class Design:
    def __init__(self, name="top"):
        self.m = v.ModelArena()
        self.top = self.m.mk_module(name)
        self.m.set_top_module(self.top)

    def reg(self, name, width=8, reset=0, module=None):
        module = module or self.top
        self.m.track_module_at_com_init(module)
        r = self.m.mk_reg(name, width)
        if reset is not None:
            self.m.set_reg_reset(r, self.m.mk_val(f"{name}_rst", width, reset))
        self.m.untrack_module_at_com_init(module)
        return r

    def seq(self, name, *steps):
        """A sequential block of (destination, source) assignments; a step
        may also be a callable that describes a nested block."""
        block = self.m.mk_flow_block_seq(name)
        self._fill(block, steps)

    def par(self, name, *branches, no_sync=False):
        block = (self.m.mk_flow_block_par_no_sync if no_sync else self.m.mk_flow_block_par_auto)(name)
        self._fill(block, branches)

    def _fill(self, block, items):
        self.m.initialize_flow_block(block)
        for item in items:
            if callable(item):
                item()
            else:
                self.m.gen_basic_assign(*item)
        self.m.finalize_flow_block(block)

    def behaviour(self, module, describe):
        self.m.track_module_at_flow_init(module)
        describe()
        self.m.finalize_flow_procedure()
        self.m.untrack_module_at_flow_init(module)

    def name(self, hcp):
        return self.m.hcp_verilog_name(hcp)

    def run(self, tmp_path, probes, **kw):
        self.m.build_flow()
        top_name, files = emit(self.m, self.top, tmp_path)
        lint(top_name, files)
        return simulate(top_name, files, tmp_path, probes, **kw)


def column(rows, label):
    return [row[label] for row in rows]


def test_sequence_assigns_one_step_per_cycle(tmp_path):
    d = Design()
    r = d.reg("r")
    d.behaviour(d.top, lambda: d.seq("s", (r, 5), (r, 6), (r, 7)))
    rows = d.run(tmp_path, {"r": f"dut.{d.name(r)}"}, cycles=10)
    # The reset holds r at 0 until the steps run in cycles R+2, R+3, R+4.
    assert column(rows, "r") == [0, 0, 0, 0, 5, 6, 7, 7, 7, 7]


def test_parallel_branches_start_together_and_the_slowest_ends_the_block(tmp_path):
    d = Design()
    a, b, c, done = d.reg("a"), d.reg("b"), d.reg("c"), d.reg("done")

    def body():
        d.par("p",
              (c, 3),                                   # the block's own state: 1 cycle
              lambda: d.seq("two", (a, 1), (a, 2)),     # 2 cycles: the exit
              lambda: d.seq("one", (b, 10)))            # 1 cycle
        d.m.gen_basic_assign(done, 1)                   # after the parallel block

    d.behaviour(d.top, lambda: d.seq("outer", body))
    rows = d.run(tmp_path, {k: f"dut.{d.name(h)}" for k, h in
                            {"a": a, "b": b, "c": c, "done": done}.items()}, cycles=9)
    assert column(rows, "c") == [0, 0, 0, 0, 3, 3, 3, 3, 3]
    assert column(rows, "b") == [0, 0, 0, 0, 10, 10, 10, 10, 10]
    assert column(rows, "a") == [0, 0, 0, 0, 1, 2, 2, 2, 2]
    # The outer sequence's next step waits for the two-cycle branch.
    assert column(rows, "done") == [0, 0, 0, 0, 0, 0, 1, 1, 1]


def test_sub_module_reads_a_parent_register_through_its_ports(tmp_path):
    d = Design()
    pr = d.reg("pr")
    d.m.track_module_at_com_init(d.top)
    child = d.m.mk_module("child")
    d.m.track_module_at_com_init(child)
    cr = d.m.mk_reg("cr", 8)
    d.m.set_reg_reset(cr, d.m.mk_val("cr_rst", 8, 0))
    d.m.untrack_module_at_com_init(child)
    d.m.untrack_module_at_com_init(d.top)

    d.behaviour(d.top, lambda: d.seq("s", (pr, 9)))
    # The child's first step sees pr before the parent's step lands; the
    # second sees its new value.
    d.behaviour(child, lambda: d.seq("c", (cr, pr), (cr, pr)))
    inst = d.m.module_verilog_name(child)
    rows = d.run(tmp_path, {"pr": f"dut.{d.name(pr)}", "cr": f"dut.{inst}.{d.name(cr)}"}, cycles=8)
    assert column(rows, "pr") == [0, 0, 0, 0, 9, 9, 9, 9]
    assert column(rows, "cr") == [0, 0, 0, 0, 0, 9, 9, 9]


def test_named_input_and_output_ports(tmp_path):
    d = Design()
    o = d.reg("o")
    d.m.track_module_at_com_init(d.top)
    x = d.m.mk_wire("x", 8)
    d.m.mark_as_io(x, True, "din")
    d.m.mark_as_io(o, False, "dout")
    d.m.untrack_module_at_com_init(d.top)
    d.behaviour(d.top, lambda: d.seq("s", (o, x), (o, x)))
    rows = d.run(tmp_path, {"port:dout": None, "x": f"dut.{d.name(x)}"},
                 inputs={"din": lambda c: 3 * c + 1}, cycles=8)
    # The wire follows the input port; each step samples it at its edge.
    assert column(rows, "x") == [3 * c + 1 for c in range(8)]
    assert column(rows, "port:dout") == [0, 0, 0, 0, 3 * (R + 1) + 1, 3 * (R + 2) + 1,
                                         3 * (R + 2) + 1, 3 * (R + 2) + 1]


def test_loose_assignments_run_every_cycle(tmp_path):
    d = Design()
    cnt = d.reg("cnt")
    d.m.track_module_at_flow_init(d.top)
    d.m.gen_basic_assign(cnt, d.m.mk_expression("inc", v.LogicOp.ArithPlus, cnt, 1))
    d.m.untrack_module_at_flow_init(d.top)
    rows = d.run(tmp_path, {"cnt": f"dut.{d.name(cnt)}"}, cycles=7)
    # Held at 0 by the reset, then counting from the first edge after it.
    assert column(rows, "cnt") == [0, 0, 0, 1, 2, 3, 4]


def test_example_counter_counts_then_raises_done(tmp_path):
    import runpy
    import sys
    from pathlib import Path

    example = Path(__file__).resolve().parents[2] / "examples" / "counter.py"
    argv = sys.argv
    sys.argv = [str(example), str(tmp_path)]
    try:
        runpy.run_path(str(example), run_name="__main__")
    finally:
        sys.argv = argv
    # The example names the top file counter.v; lint and simulate it as is.
    files = [str(tmp_path / "counter.v")]
    lint(_module_name(files[0]), files)
    rows = simulate(_module_name(files[0]), files, tmp_path,
                    {"port:count_o": None, "port:done_o": None}, cycles=10)
    assert column(rows, "port:count_o") == [0, 0, 0, 0, 1, 2, 3, 4, 4, 4]
    assert column(rows, "port:done_o") == [0, 0, 0, 0, 0, 0, 0, 0, 1, 1]


def _module_name(path):
    with open(path) as f:
        for line in f:
            if line.startswith("module "):
                return line.split()[1].split("(")[0]
    raise AssertionError("no module header")


def test_wide_constants_and_a_memory_written_then_read(tmp_path):
    d = Design()
    wide = d.reg("wide", width=100)
    out = d.reg("out")
    d.m.track_module_at_com_init(d.top)
    idx = d.m.mk_reg("idx", 4)
    d.m.set_reg_reset(idx, d.m.mk_val("idx_rst", 4, 3))
    mem = d.m.mk_mem_blk("mem", 8, 4)
    wr = d.m.mk_mem_ele("wr", mem, idx, 8, False)
    rd = d.m.mk_mem_ele("rd", mem, idx, 8, True)
    d.m.untrack_module_at_com_init(d.top)
    big = 2**99 + 2**64 + 5
    d.behaviour(d.top, lambda: d.seq("s", (wide, big), (wr, 42), (out, rd)))
    rows = d.run(tmp_path, {"wide": f"dut.{d.name(wide)}", "out": f"dut.{d.name(out)}",
                            "cell": f"dut.{d.name(mem)}[3]"}, cycles=9)
    assert column(rows, "wide") == [0, 0, 0, 0, big, big, big, big, big]
    assert column(rows, "cell") == [None] * 5 + [42] * 4
    assert column(rows, "out") == [0] * 6 + [42] * 3
