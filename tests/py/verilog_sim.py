"""Helpers that emit a design, drive it with a small testbench under Icarus
Verilog and lint it with Verilator."""

import os
import shutil
import subprocess

import pytest

from vorlent import _vorlent as v


def require_tool(name):
    if shutil.which(name) is None:
        pytest.skip(f"{name} is not installed")


def emit(arena, top, out_dir):
    """Emits the design; the top file is named after its module, as lint
    tools expect. Returns (top module name, list of files)."""
    top_name = arena.module_verilog_name(top)
    backend = v.BackendVerilog(arena)
    backend.emit(str(out_dir), top_name)
    files = sorted(str(out_dir / f) for f in os.listdir(out_dir) if f.endswith(".v"))
    return top_name, files


def simulate(top_name, files, out_dir, probes, inputs=None, cycles=12, release=2):
    """Runs the design for `cycles` clock cycles. `mrst` is held until the
    falling clock edge of cycle `release`; `inputs` maps an input port to a
    function of the cycle giving its value, applied at each falling edge.
    `probes` maps a label to a Verilog expression (hierarchical names under
    `dut`). Returns one dict of label -> value (None for x/z) per cycle,
    sampled at the falling edge, after that cycle's inputs are applied."""
    require_tool("iverilog")
    inputs = inputs or {}
    ports = ["clk", "mrst", *inputs, *[p for p in probes if p.startswith("port:")]]
    decls = "\n".join(f"reg [63:0] {name} = 0;" for name in inputs)
    conns = [".clk(clk)", ".mrst(mrst)", *[f".{n}({n})" for n in inputs]]
    outputs = {label: label.split(":", 1)[1] for label in probes if label.startswith("port:")}
    decls += "\n" + "\n".join(f"wire [63:0] {name};" for name in outputs.values())
    conns += [f".{n}({n})" for n in outputs.values()]
    drive = "\n".join(f"    {name} = {fn_table(fn, cycles)};" for name, fn in inputs.items())
    shows = " ".join(f"{label}=%0d" for label in probes)
    exprs = ", ".join(outputs.get(label, probes[label]) for label in probes)
    tb = f"""`timescale 1ns/1ps
module tb;
reg clk = 0;
reg mrst = 1;
integer cyc;
{decls}
{top_name} dut({", ".join(conns)});
always #5 clk = ~clk;
initial begin
  for (cyc = 0; cyc < {cycles}; cyc = cyc + 1) begin
    @(negedge clk);
    if (cyc == {release}) mrst = 0;
{drive}
    #1 $display("cycle=%0d {shows}", cyc, {exprs});
  end
  $finish;
end
endmodule
"""
    tb_path = out_dir / "tb.v"
    tb_path.write_text(tb)
    binary = out_dir / "sim"
    subprocess.run(["iverilog", "-g2005", "-o", str(binary), str(tb_path), *files], check=True,
                   capture_output=True, text=True)
    run = subprocess.run(["vvp", "-n", str(binary)], check=True, capture_output=True, text=True)
    rows = []
    for line in run.stdout.splitlines():
        if not line.startswith("cycle="):
            continue
        fields = dict(item.split("=", 1) for item in line.split())
        rows.append({k: (None if "x" in val or "z" in val else int(val))
                     for k, val in fields.items() if k != "cycle"})
    assert len(rows) == cycles, run.stdout
    return rows


def fn_table(fn, cycles):
    """A Verilog conditional chain giving fn(cycle) for the current cycle."""
    expr = str(fn(cycles - 1))
    for c in reversed(range(cycles - 1)):
        expr = f"(cyc == {c}) ? {fn(c)} : {expr}"
    return expr


def lint(top_name, files):
    """Verilator's lint at its default level (style warnings such as unused
    generated signals stay off), with only the width and combinational-delay
    warnings disabled."""
    require_tool("verilator")
    run = subprocess.run(["verilator", "--lint-only", "-Wno-WIDTH", "-Wno-COMBDLY",
                          "--top-module", top_name, *files], capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
