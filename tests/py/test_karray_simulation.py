"""Karray arrays in built designs, emitted, simulated cycle by cycle with
Icarus Verilog and linted with Verilator.

Timing as in test_simulation: `mrst` is released at the falling edge of cycle
R (=2); the first step of a top-level sequence shows in cycle R+2, each later
step one cycle later.
"""

import pytest

from vorlent import _vorlent as v
from verilog_sim import emit, lint, simulate

pytestmark = pytest.mark.filterwarnings("error")

R = 2
REG, WIRE = v.HwComponentType.REG, v.HwComponentType.WIRE


def static(i):
    return ("static", [i], [])


def dyn(sig):
    return ("dyn", [], [sig])


class Design:
    def __init__(self):
        self.m = v.ModelArena()
        self.top = self.m.mk_module("top")
        self.m.set_top_module(self.top)
        self.m.track_module_at_com_init(self.top)

    def reg(self, name, width, reset=0):
        r = self.m.mk_reg(name, width)
        self.m.set_reg_reset(r, self.m.mk_val(f"{name}_rst", width, reset))
        return r

    def describe(self):
        """Leaves the component phase for the behaviour phase."""
        self.m.untrack_module_at_com_init(self.top)
        self.m.track_module_at_flow_init(self.top)

    def seq(self, name, *steps):
        """A sequential block; each step is a callable that makes one assignment."""
        block = self.m.mk_flow_block_seq(name)
        self.m.initialize_flow_block(block)
        for step in steps:
            step()
        self.m.finalize_flow_block(block)

    def element(self, k, coord, field):
        return "dut." + self.m.hcp_verilog_name(self.m.karray_element_hcp(k, coord, field))

    def name(self, hcp):
        return "dut." + self.m.hcp_verilog_name(hcp)

    def run(self, tmp_path, probes, **kw):
        self.m.finalize_flow_procedure()
        self.m.untrack_module_at_flow_init(self.top)
        self.m.build_flow()
        top_name, files = emit(self.m, self.top, tmp_path)
        lint(top_name, files)
        return simulate(top_name, files, tmp_path, probes, **kw)


def column(rows, label):
    return [row[label] for row in rows]


def test_reg_array_written_and_read_by_static_and_dynamic_indexes(tmp_path):
    d = Design()
    m = d.m
    k = m.mk_karray("arr", [2, 3], [("v", 8), ("f", 2)], REG)
    m.karray_reset_field(k, "v", 0)
    m.karray_reset_field(k, "f", -1)  # all ones at the field's width
    idx = d.reg("idx", 2)
    row = d.reg("row", 1)
    out_dyn, out_st, out_f = d.reg("out_dyn", 8), d.reg("out_st", 8), d.reg("out_f", 2)
    d.describe()

    # Reads are combinational logic around the elements; they may be made
    # before the steps that use them.
    rd_dyn = m.karray_read_field_hcp(k, [dyn(row), dyn(idx)], [], "v")
    rd_st = m.karray_read_field_hcp(k, [static(0), static(1)], [], "v")
    rd_f = m.karray_read_field_hcp(k, [static(1), dyn(idx)], [], "f")
    d.seq("s",
          lambda: m.karray_assign_hcps(k, [static(0), static(1)], [("v", 11)], True),
          lambda: m.gen_basic_assign(idx, 2),
          lambda: m.gen_basic_assign(row, 1),
          # One step writes both fields of element (1, idx).
          lambda: m.karray_assign_hcps(k, [static(1), dyn(idx)], [("v", 22), ("f", 1)], True),
          lambda: m.gen_basic_assign(out_dyn, rd_dyn),
          lambda: m.gen_basic_assign(out_st, rd_st),
          lambda: m.gen_basic_assign(out_f, rd_f),
          lambda: m.gen_basic_assign(idx, 1),
          # Index 1 of row 1 was never written; row 0 holds 11 there.
          lambda: m.gen_basic_assign(out_dyn, rd_dyn),
          lambda: m.gen_basic_assign(row, 0),
          lambda: m.gen_basic_assign(out_dyn, rd_dyn))

    probes = {f"e{r}{c}": d.element(k, [r, c], "v") for r in range(2) for c in range(3)}
    probes |= {"f11": d.element(k, [1, 1], "f"), "f12": d.element(k, [1, 2], "f"), "out_dyn": d.name(out_dyn),
               "out_st": d.name(out_st), "out_f": d.name(out_f), "rd_dyn": d.name(rd_dyn)}
    n = 16
    rows = d.run(tmp_path, probes, cycles=n)

    s = R + 2  # the cycle in which step 0 shows; step i shows in cycle s + i

    def steps(*changes):
        """A column that starts at 0 and takes each (step, value) from that step's cycle on."""
        col = [0] * n
        for step, value in changes:
            col[s + step:] = [value] * (n - s - step)
        return col

    assert column(rows, "e01") == steps((0, 11))
    assert column(rows, "e12") == steps((3, 22))
    assert column(rows, "f11") == [3] * n
    assert column(rows, "f12") == [3] * (s + 3) + [1] * (n - s - 3)
    for other in ("e00", "e02", "e10", "e11"):
        assert column(rows, other) == [0] * n
    assert column(rows, "out_st") == steps((5, 11))
    assert column(rows, "out_f") == steps((6, 1))
    assert column(rows, "out_dyn") == steps((4, 22), (8, 0), (10, 11))
    # The read itself is combinational: it follows the indexes and the elements.
    assert column(rows, "rd_dyn") == steps((3, 22), (7, 0), (9, 11))


def test_wire_array_assigned_combinationally_and_read_by_an_input_index(tmp_path):
    d = Design()
    m = d.m
    k = m.mk_karray("w", [3], [("x", 8)], WIRE)
    cnt = d.reg("cnt", 8)
    sel = m.mk_wire("sel", 2)
    m.mark_as_io(sel, True, "sel")
    out = m.mk_wire("out", 8)
    m.mark_as_io(out, False, "out")
    d.describe()

    # Loose assignments hold every cycle: the elements follow their sources.
    m.gen_basic_assign(cnt, m.mk_expression("inc", v.LogicOp.ArithPlus, cnt, 1))
    m.karray_assign_hcps(k, [static(0)], [(None, cnt)], False)
    m.karray_assign_hcps(k, [static(2)], [("x", 200)], False)
    m.gen_basic_assign(out, m.karray_read_field_hcp(k, [dyn(sel)], [], "x"))

    rows = d.run(tmp_path, {"cnt": d.name(cnt), "port:out": None},
                 inputs={"sel": lambda c: [0, 1, 2, 3][c % 4]}, cycles=9)
    cnt_col = column(rows, "cnt")
    assert cnt_col == [0, 0, 0, 1, 2, 3, 4, 5, 6]
    # Element 1 keeps its default 0; index 3 addresses nothing and reads element 2.
    expected = [[cnt_col[c], 0, 200, 200][c % 4] for c in range(9)]
    assert column(rows, "port:out") == expected


def test_reduce_read_picks_the_largest_value(tmp_path):
    d = Design()
    m = d.m
    k = m.mk_karray("vals", [4], [("val", 8), ("tag", 4)], REG)
    m.karray_reset_field(k, "val", 0)
    m.karray_reset_field(k, "tag", 0)
    best = d.reg("best", 8)
    d.describe()

    calls = []

    def larger(a_fields, a_coords, b_fields, b_coords, level):
        # Built through the same model while the read is running.
        a, b = dict(a_fields)["val"], dict(b_fields)["val"]
        calls.append((a_coords, b_coords, level))
        return m.mk_expression(f"ge_{level}_{len(calls)}", v.LogicOp.RelationGeq, a, b), []

    rd = m.karray_read_field_hcp(k, [("reduce", [], [])], [larger], "val")
    assert calls == [([0], [1], 0), ([2], [3], 0), ([0, 1], [2, 3], 1)]
    values = [7, 30, 12, 25]
    d.seq("s", *[lambda i=i: m.karray_assign_hcps(k, [static(i)], [("val", values[i])], True)
                 for i in range(4)],
          lambda: m.karray_assign_hcps(k, [static(2)], [("val", 99), ("tag", 5)], True),
          lambda: m.gen_basic_assign(best, rd))

    rows = d.run(tmp_path, {"rd": d.name(rd), "best": d.name(best)}, cycles=11)
    s = R + 2
    # The read follows every write: max so far, cycle by cycle.
    assert column(rows, "rd") == [0] * s + [7, 30, 30, 30, 99, 99, 99]
    assert column(rows, "best") == [0] * (s + 5) + [99, 99]
