"""Sub-modules, ports, loose assignments, wide constants and memories,
simulated cycle by cycle (timing in verilog_sim)."""

import re
from pathlib import Path

import pytest

from verilog_sim import R, Design, comb_loops, run_tool


def test_sub_module_reads_a_parent_register_through_its_ports(tmp_path):
    d = Design()
    pr = d.reg("pr")
    with d.components():
        child = d.m.mk_module("child")
        cr = d.reg("cr", module=child)  # closing it inside the parent makes it a sub-module
    with d.behaviour():
        d.seq("s", (pr, 9))
    # The child's first step sees pr before the parent's step lands; the
    # second sees its new value.
    with d.behaviour(child):
        d.seq("c", (cr, pr), (cr, pr))
    inst = d.m.module_verilog_name(child)
    got = d.run(tmp_path, {"pr": d.probe(pr), "cr": f"dut.{inst}.{d.m.hcp_verilog_name(cr)}"}, cycles=8)
    assert got["pr"] == [0, 0, 0, 0, 9, 9, 9, 9]
    assert got["cr"] == [0, 0, 0, 0, 0, 9, 9, 9]


def test_named_input_and_output_ports(tmp_path):
    d = Design()
    o, x = d.reg("o"), d.input("din", 8)
    with d.components():
        d.m.mark_as_io(o, False, "dout")
    with d.behaviour():
        d.seq("s", (o, x), (o, x))
    got = d.run(tmp_path, {"port:dout": None, "x": d.probe(x)}, inputs={"din": lambda c: 3 * c + 1}, cycles=8)
    # The wire follows the input port; each step samples it at its edge.
    assert got["x"] == [3 * c + 1 for c in range(8)]
    assert got["port:dout"] == [0, 0, 0, 0, 3 * (R + 1) + 1] + [3 * (R + 2) + 1] * 3


def test_loose_assignments_run_every_cycle(tmp_path):
    d = Design()
    cnt = d.reg("cnt")
    d.m.track_module_at_flow_init(d.top)
    d.m.gen_basic_assign(cnt, d.inc(cnt))
    d.m.untrack_module_at_flow_init(d.top)
    got = d.run(tmp_path, d.probes(cnt=cnt), cycles=7)
    # Held at 0 by the reset, then counting from the first edge after it.
    assert got["cnt"] == [0, 0, 0, 1, 2, 3, 4]


def test_wide_constants_and_a_memory_written_then_read(tmp_path):
    d = Design()
    wide, out = d.reg("wide", width=100), d.reg("out")
    idx = d.reg("idx", 4, reset=3)
    with d.components() as m:
        mem = m.mk_mem_blk("mem", 8, 4)
        wr, rd = m.mk_mem_ele("wr", mem, idx, 8, False), m.mk_mem_ele("rd", mem, idx, 8, True)
    big = 2**99 + 2**64 + 5
    with d.behaviour():
        d.seq("s", (wide, big), (wr, 42), (out, rd))
    got = d.run(tmp_path, {**d.probes(wide=wide, out=out), "cell": d.probe(mem) + "[3]"}, cycles=9)
    assert got["wide"] == [0, 0, 0, 0] + [big] * 5
    assert got["cell"] == [None] * 5 + [42] * 4
    assert got["out"] == [0] * 6 + [42] * 3


@pytest.mark.parametrize("mem_in, writer, how", [("top", "top", "step"), ("top", "top", "loose"), ("top", "top", "port"),
                                                 ("top", "child", "loose"), ("child", "top", "loose")])
def test_an_element_narrower_than_the_word_keeps_the_other_bits(tmp_path, mem_in, writer, how):
    """A 1-bit write element wrote the whole word (0xA5, bit 0 written 0,
    read 0x00), and a narrower read element read the word undivided."""
    d = Design()
    with d.components() as m:
        modules = {"top": d.top, "child": m.mk_module("child")}
        m.track_module_at_com_init(modules["child"])  # ended in the top's phase: its sub-module
        for here in ("child", "top"):
            if mem_in == here:
                mem, idx = m.mk_mem_blk("mem", 8, 2), m.mk_val("idx", 2, 1)
                init, b0 = m.mk_mem_ele("init", mem, idx, 8, False), m.mk_mem_ele("b0", mem, idx, 1, False)
                rd, lo = m.mk_mem_ele("rd", mem, idx, 8, True), m.mk_mem_ele("lo", mem, idx, 3, True)
            if writer == here:  # the writer's input port d
                d_in = b0 if how == "port" else m.mk_wire("d", 1)
                m.mark_as_io(d_in, True, "d")
            if here == "child":
                m.untrack_module_at_com_init(modules["child"])
    with d.behaviour(modules[mem_in]):
        d.seq("s", (init, 0xA5), *[(b0, d_in)] * (how == "step"))
    if how == "loose":
        with d.behaviour(modules[writer]):
            m.gen_basic_assign(b0, d_in)
    at = "dut." + (f"{m.module_verilog_name(modules['child'])}." if mem_in == "child" else "")
    lo_name = m.hcp_verilog_name(lo)
    got = d.run(tmp_path, {"rd": at + m.hcp_verilog_name(rd), "lo": at + lo_name},
                inputs={"d": lambda c: int(c <= R + 1)}, cycles=8)
    # 0xA5 lands at the end of cycle R + 1, bit 0 = 0 at the end of R + 2.
    assert (got["rd"], got["lo"]) == ([None] * 4 + [0xA5] + [0xA4] * 3, [None] * 4 + [5] + [4] * 3)
    # lo reads its bits explicitly: no width warning on its line.
    lint = run_tool(["verilator", "--lint-only", "-Wall", *map(str, tmp_path.glob("MODULE_*.v"))],
                    capture_output=True, text=True)
    widths = re.findall(r"%Warning-WIDTH: (\S+?):(\d+):", lint.stderr)
    assert [n for f, n in widths if lo_name in Path(f).read_text().splitlines()[int(n) - 1]] == []


def test_comb_loop_check_finds_a_loop_through_an_always_block(tmp_path):
    f = tmp_path / "m.v"
    f.write_text("module m(input a);\nreg w;\nwire x;\nwire y = 1'b0;\n"
                 "always @(*) begin\n    w <= y;\n    if (x) begin\n        w <= a;\n    end\nend\n"
                 "assign x = w & a;\nendmodule\n")
    assert comb_loops([str(f)]) == [["w", "x"]]
