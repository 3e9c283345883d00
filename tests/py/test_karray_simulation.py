"""Karray arrays in built designs, simulated cycle by cycle."""

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

pytestmark = pytest.mark.filterwarnings("error")

REG, WIRE = v.HwComponentType.REG, v.HwComponentType.WIRE


def static(i):
    return ("static", [i], [])


def dyn(sig):
    return ("dyn", [], [sig])


def element(d, k, coord, field):
    return d.probe(d.m.karray_element_hcp(k, coord, field))


def test_reg_array_written_and_read_by_static_and_dynamic_indexes(tmp_path):
    d = Design()
    m = d.m
    idx, row = d.reg("idx", 2), d.reg("row", 1)
    out_dyn, out_st, out_f = d.reg("out_dyn", 8), d.reg("out_st", 8), d.reg("out_f", 2)
    with d.components():
        k = m.mk_karray("arr", [2, 3], [("v", 8), ("f", 2)], REG)
        m.karray_reset_field(k, "v", 0)
        m.karray_reset_field(k, "f", -1)  # all ones at the field's width
    with d.behaviour():
        # Reads are combinational logic around the elements; they may be made
        # before the steps that use them.
        rd_dyn = m.karray_read_field_hcp(k, [dyn(row), dyn(idx)], [], "v")
        rd_st = m.karray_read_field_hcp(k, [static(0), static(1)], [], "v")
        rd_f = m.karray_read_field_hcp(k, [static(1), dyn(idx)], [], "f")
        d.seq("s",
              lambda: m.karray_assign_hcps(k, [static(0), static(1)], [("v", 11)], True),
              (idx, 2), (row, 1),
              # One step writes both fields of element (1, idx).
              lambda: m.karray_assign_hcps(k, [static(1), dyn(idx)], [("v", 22), ("f", 1)], True),
              (out_dyn, rd_dyn), (out_st, rd_st), (out_f, rd_f), (idx, 1),
              # Index 1 of row 1 was never written; row 0 holds 11 there.
              (out_dyn, rd_dyn), (row, 0), (out_dyn, rd_dyn))

    probes = {f"e{r}{c}": element(d, k, [r, c], "v") for r in range(2) for c in range(3)}
    probes |= {"f11": element(d, k, [1, 1], "f"), "f12": element(d, k, [1, 2], "f")}
    n = 16
    got = d.run(tmp_path, probes | d.probes(out_dyn=out_dyn, out_st=out_st, out_f=out_f, rd_dyn=rd_dyn), cycles=n)

    def steps(*changes, start=0):
        """A column from `start`, taking each (step, value) from that step's cycle R+2+step on."""
        col = [start] * n
        for step, value in changes:
            col[R + 2 + step:] = [value] * (n - R - 2 - step)
        return col

    # The read itself is combinational: it follows the indexes and the elements.
    assert got == {"e01": steps((0, 11)), "e12": steps((3, 22)), "f11": [3] * n, "f12": steps((3, 1), start=3),
                   **dict.fromkeys(["e00", "e02", "e10", "e11"], [0] * n), "out_st": steps((5, 11)),
                   "out_f": steps((6, 1)), "out_dyn": steps((4, 22), (8, 0), (10, 11)),
                   "rd_dyn": steps((3, 22), (7, 0), (9, 11))}


def test_wire_array_assigned_combinationally_and_read_by_an_input_index(tmp_path):
    d = Design()
    m, cnt, sel = d.m, d.reg("cnt", 8), d.input("sel", 2)
    with d.components():
        k, out = m.mk_karray("w", [3], [("x", 8)], WIRE), m.mk_wire("out", 8)
        m.mark_as_io(out, False, "out")
    # Loose assignments hold every cycle: the elements follow their sources.
    m.track_module_at_flow_init(d.top)
    m.gen_basic_assign(cnt, d.inc(cnt))
    m.karray_assign_hcps(k, [static(0)], [(None, cnt)], False)
    m.karray_assign_hcps(k, [static(2)], [("x", 200)], False)
    m.gen_basic_assign(out, m.karray_read_field_hcp(k, [dyn(sel)], [], "x"))
    m.untrack_module_at_flow_init(d.top)

    got = d.run(tmp_path, {"cnt": d.probe(cnt), "port:out": None}, inputs={"sel": lambda c: c % 4}, cycles=9)
    assert got["cnt"] == [0, 0, 0, 1, 2, 3, 4, 5, 6]
    # Element 1 keeps its default 0; index 3 addresses nothing and reads element 2.
    assert got["port:out"] == [[got["cnt"][c], 0, 200, 200][c % 4] for c in range(9)]


def test_reduce_read_picks_the_largest_value(tmp_path):
    d = Design()
    m, best = d.m, d.reg("best", 8)
    with d.components():
        k = m.mk_karray("vals", [4], [("val", 8), ("tag", 4)], REG)
        m.karray_reset_field(k, "val", 0)
        m.karray_reset_field(k, "tag", 0)

    def larger(a_fields, a_coords, b_fields, b_coords, level):
        # Built through the same model while the read is running.
        return m.mk_expression(f"ge_{level}_{a_coords[0]}", v.LogicOp.RelationGeq, dict(a_fields)["val"],
                               dict(b_fields)["val"]), []

    values = [7, 30, 12, 25]
    with d.behaviour():
        rd = m.karray_read_field_hcp(k, [("reduce", [], [])], [larger], "val")
        d.seq("s", *[lambda i=i: m.karray_assign_hcps(k, [static(i)], [("val", values[i])], True)
                     for i in range(4)],
              lambda: m.karray_assign_hcps(k, [static(2)], [("val", 99), ("tag", 5)], True),
              (best, rd))
    got = d.run(tmp_path, d.probes(rd=rd, best=best), cycles=11)
    # The read follows every write: max so far, cycle by cycle.
    assert got["rd"] == [0] * (R + 2) + [7, 30, 30, 30, 99, 99, 99]
    assert got["best"] == [0] * (R + 7) + [99, 99]
