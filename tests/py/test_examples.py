"""The examples and the guide's testbench, run as a user runs them: each
example in a fresh interpreter with the output directory as its argument,
its Verilog linted and simulated (timing in verilog_sim)."""

import re
import runpy
import subprocess
import sys
from pathlib import Path

from verilog_sim import R, lint, require_tool, run_tool, simulate

ROOT = Path(__file__).resolve().parents[2]


def run_example(name, out_dir):
    """Runs examples/NAME.py into out_dir; returns what it printed and the
    Verilog files it wrote."""
    run = subprocess.run([sys.executable, str(ROOT / "examples" / f"{name}.py"), str(out_dir)],
                         capture_output=True, text=True, check=True)
    return run.stdout, sorted(str(f) for f in out_dir.glob("*.v"))


def printed_module(stdout):
    return stdout.split("(module ")[1].split(")")[0].split(";")[0]


def test_counter_counts_then_raises_done(tmp_path):
    out, files = run_example("counter", tmp_path)
    top = printed_module(out)
    lint(top, files)
    got = simulate(top, files, tmp_path, {"port:count_o": None, "port:done_o": None}, cycles=10)
    assert got["port:count_o"] == [0, 0, 0, 0, 1, 2, 3, 4, 4, 4]
    assert got["port:done_o"] == [0, 0, 0, 0, 0, 0, 0, 0, 1, 1]


def test_traffic_light_runs_its_phases(tmp_path):
    out, files = run_example("traffic_light", tmp_path)
    top = printed_module(out)
    lint(top, files)
    ports = ["green_o", "yellow_o", "red_o", "countdown_o"]
    got = simulate(top, files, tmp_path, {f"port:{p}": None for p in ports},
                   inputs={"request": lambda c: int(c == R + 4)}, cycles=R + 16)
    rows = list(zip(*(got[f"port:{p}"] for p in ports)))[R:]
    # From the release of mrst: green after its first step, until the
    # request (read from the cycle after the green step); yellow for its
    # step and two waiting cycles; red for its step and three counted
    # cycles; then green again.
    assert rows == [(0, 0, 0, 0)] * 2 + [(1, 0, 0, 0)] * 4 + [(0, 1, 0, 0)] * 3 + \
        [(0, 0, 1, 3), (0, 0, 1, 2), (0, 0, 1, 1), (0, 0, 1, 0)] + [(1, 0, 0, 0)] * 3


def test_parent_sees_the_childs_register(tmp_path):
    out, files = run_example("parent_child", tmp_path)
    top, child, ticks = re.search(r"\(module (\w+); instance (\w+) holds register (\w+)\)", out).groups()
    assert len(files) == 2
    lint(top, files)
    got = simulate(top, files, tmp_path, {"port:alarm_o": None, "ticks": f"dut.{child}.{ticks}"}, cycles=12)
    # The child counts in every cycle from the release of mrst; the parent's
    # wait ends in the cycle it reads 5, and its next step raises the alarm.
    assert got["ticks"] == [0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9]
    assert got["port:alarm_o"] == [0] * 9 + [1] * 3


def test_the_same_design_built_twice_gets_new_names():
    build = runpy.run_path(str(ROOT / "examples" / "counter.py"))["build_counter"]
    first, second = (m.module_verilog_name(top) for m, top in (build(), build()))
    assert first != second and first.startswith("MODULE_counter_") and second.startswith("MODULE_counter_")


def test_guides_testbench_runs_the_counter(tmp_path):
    """The testbench of docs/guide.md, with the output it shows, under the
    stricter SystemVerilog semantics of Icarus too."""
    require_tool("iverilog")
    guide = (ROOT / "docs" / "guide.md").read_text()
    tb = re.search(r"```verilog\n(.*?)```", guide, re.S).group(1)
    shown = re.search(r"```text\n(.*?)```", guide[guide.index(tb):], re.S).group(1)
    (tmp_path / "tb.v").write_text(tb)
    run_example("counter", tmp_path)
    for generation in ("-g2005", "-g2012"):
        run_tool(["iverilog", generation, "-o", str(tmp_path / "sim"), str(tmp_path / "tb.v"),
                  str(tmp_path / "counter.v")], check=True, capture_output=True, text=True)
        run = run_tool(["vvp", "-n", str(tmp_path / "sim")], check=True, capture_output=True, text=True)
        assert [line for line in run.stdout.splitlines() if line.startswith("cycle")] == shown.splitlines()
