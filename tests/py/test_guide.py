"""docs/guide.md as a reader uses it: every ```python block runs in a fresh
interpreter, in a directory with an `out` directory. When a ```text table
of cycles follows a block, the Verilog it wrote is simulated (timing in
verilog_sim) and must give that table: a row named after an input port
drives it, every other row is an output port's value per cycle (x where a
bit is unknown). And the timing pictures are those that
scripts/timing-pictures draws today."""

import re
import subprocess
import sys
from pathlib import Path

import pytest

import vorlent as v
from verilog_sim import R, Design, lint, require_tool, simulate

ROOT = Path(__file__).resolve().parents[2]
GUIDE = (ROOT / "docs" / "guide.md").read_text()


def snippets():
    """Each ```python block, with the table of cycles that follows it or None."""
    blocks = list(re.finditer(r"```(\w+)\n(.*?)```", GUIDE, re.S))
    for k, (block, after) in enumerate(zip(blocks, blocks[1:] + [None])):
        if block[1] == "python":
            table = after[2] if after and after[1] == "text" and after[2].startswith("cycle ") else None
            heading = re.findall(r"^##+ (.*)", GUIDE[:block.start()], re.M)[-1]
            yield pytest.param(block[2], table, id=re.sub(r"\W+", "_", heading).strip("_").lower() + f"-{k}")


@pytest.mark.parametrize("code, table", snippets())
def test_guide_snippet(tmp_path, code, table):
    (tmp_path / "out").mkdir()
    run = subprocess.run([sys.executable, "-c", code], cwd=tmp_path, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    if table is None:
        return
    rows = {line.split()[0]: [None if x == "x" else int(x) for x in line.split()[1:]]  # x: unknown
            for line in table.splitlines()}
    cycles = rows.pop("cycle")
    assert cycles == list(range(len(cycles)))
    top_file = tmp_path / "out" / (re.search(r'\.emit\("out", "(\w+)"\)', code).group(1) + ".v")
    top = re.search(r"module (\w+)\(", top_file.read_text()).group(1)
    ins = set(re.findall(r"input wire (?:\[\d+:0\] )?(\w+)", top_file.read_text())) & rows.keys()
    files = sorted(str(f) for f in (tmp_path / "out").glob("*.v"))
    lint(top, files)
    got = simulate(top, files, tmp_path, {f"port:{name}": None for name in rows.keys() - ins},
                   inputs={name: (lambda vals: lambda c: vals[max(c - R, 0)])(rows[name]) for name in ins},
                   cycles=R + len(cycles))
    for name in rows.keys() - ins:
        assert got[f"port:{name}"][R:] == rows[name], name


def test_timing_pictures_are_up_to_date(tmp_path):
    require_tool("iverilog")
    subprocess.run([sys.executable, str(ROOT / "scripts" / "timing-pictures"), str(tmp_path)], check=True)
    want = {p.name: p.read_text() for p in (ROOT / "docs" / "timing").glob("*.svg")}
    got = {p.name: p.read_text() for p in tmp_path.glob("*.svg")}
    assert sorted(k for k in want.keys() | got.keys() if want.get(k) != got.get(k)) == [], \
        "run scripts/timing-pictures to redraw docs/timing"
    assert set(re.findall(r"\(timing/([\w-]+\.svg)\)", GUIDE)) == set(want)


# ---- claims of the guide that are no timing: each checked by a call or a tool

TEXT = " ".join(GUIDE.split())  # the guide's words, line breaks aside


def test_a_module_writes_the_registers_of_another(tmp_path):
    d = Design()
    pr = d.reg("pr")
    with d.components():
        child = d.m.mk_module("child")
        cr = d.reg("cr", module=child)
    # Each counts the other's register with a loose assignment.
    with d.behaviour(child):
        d.m.gen_basic_assign(pr, d.m.mk_expression("pr_next", v.LogicOp.ArithPlus, pr, 2))
    with d.behaviour():
        d.m.gen_basic_assign(cr, d.inc(cr))
    inst = d.m.module_verilog_name(child)
    got = d.run(tmp_path, {"pr": d.probe(pr), "cr": f"dut.{inst}.{d.m.hcp_verilog_name(cr)}"}, cycles=6)
    assert got == {"pr": [0, 0, 0, 2, 4, 6], "cr": [0, 0, 0, 1, 2, 3]}
    assert "A module reads and writes any register of the design directly" in TEXT
