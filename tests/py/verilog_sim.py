"""Scaffolding of the simulation tests: a design described through the model,
emitted, linted with Verilator and driven cycle by cycle under Icarus.

Timing: `mrst` is held (set in the initial block: the design passes its
inputs through `always @(*)` blocks, which need not see a declaration's
initial value) until the falling clock edge of cycle R. At the next
rising edge the design's start fires the first state of each top-level
block, so that state is active in cycle R+1 and its assignment shows in
cycle R+2, each later step of a sequence one cycle later. Inputs are applied
at each falling edge and sampled one time unit later: a combinational result
shows in the row of the cycle whose inputs made it, a register in the row
after the rising edge that wrote it."""

import graphlib
import os
import re
import shutil
import subprocess
from contextlib import contextmanager
from pathlib import Path

import pytest

from vorlent import _vorlent as v
from model_helpers import missing

R = 2


class Design:
    """A model with a top module; `run()` builds, emits, lints and simulates."""

    def __init__(self):
        self.m = v.ModelArena()
        self.top = self.m.mk_module("top")
        self.m.set_top_module(self.top)

    @contextmanager
    def components(self, module=None):
        module = module or self.top
        self.m.track_module_at_com_init(module)
        yield self.m
        self.m.untrack_module_at_com_init(module)

    @contextmanager
    def behaviour(self, module=None):
        module = module or self.top
        self.m.track_module_at_flow_init(module)
        yield self.m
        self.m.finalize_flow_procedure()
        self.m.untrack_module_at_flow_init(module)

    def reg(self, name, width=8, reset=0, module=None):
        """A register with a reset value, made in a component phase of its own
        (inside another module's phase it would become that one's sub-module)."""
        with self.components(module):
            r = self.m.mk_reg(name, width)
            self.m.set_reg_reset(r, self.m.mk_val(f"{name}_rst", width, reset))
        return r

    def input(self, name, width=1):
        """A wire of the top module driven by the testbench through port `name`."""
        with self.components():
            w = self.m.mk_wire(name, width)
            self.m.mark_as_io(w, True, name)
        return w

    def inc(self, r):
        return self.m.mk_expression(f"{self.m.hcp_verilog_name(r)}_inc", v.LogicOp.ArithPlus, r, 1)

    def block(self, block, *items):
        """Describes `items` (assignment pairs, or callables) in `block`."""
        self.m.initialize_flow_block(block)
        for item in items:
            item() if callable(item) else self.m.gen_basic_assign(*item)
        self.m.finalize_flow_block(block)

    def seq(self, name, *steps):
        self.block(self.m.mk_flow_block_seq(name), *steps)

    def par(self, name, *branches):
        self.block(self.m.mk_flow_block_par_auto(name), *branches)

    def probe(self, hcp):
        return "dut." + self.m.hcp_verilog_name(hcp)

    def probes(self, **hcps):
        return {label: self.probe(h) for label, h in hcps.items()}

    def run(self, tmp_path, probes, **kw):
        self.m.build_flow()
        top_name = self.m.module_verilog_name(self.top)
        v.BackendVerilog(self.m).emit(str(tmp_path), top_name)
        files = sorted(str(tmp_path / f) for f in os.listdir(tmp_path) if f.endswith(".v"))
        lint(top_name, files)
        return simulate(top_name, files, tmp_path, probes, **kw)


def require_tool(name):
    """Skips without the tool; under CI (CI=true) a missing tool fails."""
    if shutil.which(name) is None:
        missing(name)


def run_tool(args, **kwargs):
    """subprocess.run of a Verilog tool. Under the sanitizers the interpreter
    runs with their runtime preloaded; the tools are not ours to check (and
    run several times slower with it), so they run without."""
    env = {k: val for k, val in os.environ.items() if k != "LD_PRELOAD"}
    return subprocess.run(args, env=env, **kwargs)


def simulate(top_name, files, out_dir, probes, inputs=None, cycles=12, timeout=120):
    """Runs the design for `cycles` clock cycles. `inputs` maps an input port
    to a function of the cycle giving its value. `probes` maps a label to a
    Verilog expression (hierarchical names under `dut`), or a label
    "port:NAME" to None for an output port. Returns label -> one value per
    cycle (None for x/z). A run longer than `timeout` seconds raises
    subprocess.TimeoutExpired (a combinational loop never settles)."""
    require_tool("iverilog")
    inputs = inputs or {}
    outputs = {label: label.split(":", 1)[1] for label in probes if label.startswith("port:")}
    decls = [f"reg [63:0] {n};" for n in inputs] + [f"wire [63:0] {n};" for n in outputs.values()]
    conns = [f".{n}({n})" for n in ["clk", "mrst", *inputs, *outputs.values()]]
    drive = "\n".join(f"    {name} = {cycle_table(fn, cycles)};" for name, fn in inputs.items())
    shows = " ".join(f"{label}=%0d" for label in probes)
    exprs = ", ".join(outputs.get(label, probes[label]) for label in probes)
    tb = f"""`timescale 1ns/1ps
module tb;
reg clk = 0;
reg mrst;
integer cyc;
{chr(10).join(decls)}
{top_name} dut({", ".join(conns)});
always #5 clk = ~clk;
initial begin
  mrst = 1;
  for (cyc = 0; cyc < {cycles}; cyc = cyc + 1) begin
    @(negedge clk);
    if (cyc == {R}) mrst = 0;
{drive}
    #1 $display("cycle=%0d {shows}", cyc, {exprs});
  end
  $finish;
end
endmodule
"""
    (out_dir / "tb.v").write_text(tb)
    binary = str(out_dir / "sim")
    run_tool(["iverilog", "-g2005", "-o", binary, str(out_dir / "tb.v"), *files], check=True,
             capture_output=True, text=True)
    run = run_tool(["vvp", "-n", binary], check=True, capture_output=True, text=True, timeout=timeout)
    rows = [dict(item.split("=", 1) for item in line.split()[1:])
            for line in run.stdout.splitlines() if line.startswith("cycle=")]
    assert len(rows) == cycles, run.stdout
    # %0d prints x or z when every bit is, X or Z when only some are.
    return {label: [None if set(row[label]) & set("xXzZ") else int(row[label]) for row in rows]
            for label in probes}


def cycle_table(fn, cycles):
    """A Verilog conditional chain giving fn(cycle) for the current cycle."""
    expr = str(fn(cycles - 1))
    for c in reversed(range(cycles - 1)):
        expr = f"(cyc == {c}) ? {fn(c)} : {expr}"
    return expr


def lint(top_name, files):
    """Verilator's lint (but the width and combinational-delay warnings), then
    the combinational loop check, which the lint misses in `always @(*)`."""
    require_tool("verilator")
    run = run_tool(["verilator", "--lint-only", "-Wno-WIDTH", "-Wno-COMBDLY",
                    "--top-module", top_name, *files], capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert comb_loops(files) == []


IDENT = re.compile(r"[A-Za-z_][A-Za-z0-9_$]*")
CONST = re.compile(r"\d+'[bhd][0-9a-fA-F_]+")
VERILOG_WORDS = {"if", "else", "begin", "end", "case", "endcase", "default"}


def comb_loops(files):
    """A combinational cycle of each emitted module that has one, as a sorted
    list of signal names. A signal depends on every name that the `assign` or
    initialised `wire` driving it reads, or that the `always @(*)` block
    writing it reads anywhere (conditions included); clocked blocks cut the
    path."""
    loops = []
    for path in files:
        deps, block, depth = {}, None, 0  # block: (written, read) of the open always @(*)
        for line in Path(path).read_text().splitlines():
            code = line.split("//", 1)[0].strip()
            if block is not None:
                depth += len(re.findall(r"\bbegin\b", code)) - len(re.findall(r"\bend\b", code))
                lhs, _, rhs = code.partition("<=") if "<=" in code else ("", "", code)
                block[0].update(IDENT.findall(lhs.split("[", 1)[0]))
                block[1].update(n for n in IDENT.findall(CONST.sub("", rhs)) if n not in VERILOG_WORDS)
                if depth == 0:
                    for name in block[0]:
                        deps.setdefault(name, set()).update(block[1])
                    block = None
            elif code.startswith("always @(*)"):
                block, depth = (set(), set()), 1
            elif (m := re.match(r"(?:assign|wire)\s*(?:\[[^]]*\])?\s*([A-Za-z_][A-Za-z0-9_$]*)\s*=(.*);", code)):
                deps.setdefault(m.group(1), set()).update(IDENT.findall(CONST.sub("", m.group(2))))
        try:
            graphlib.TopologicalSorter(deps).prepare()
        except graphlib.CycleError as e:
            loops.append(sorted(set(e.args[1])))
    return loops
