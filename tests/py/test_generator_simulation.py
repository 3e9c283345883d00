"""Generated logic, simulated: each design reads an 8-bit input port that
the testbench changes every cycle, and each result drives a wire through a
loose assignment (combinational), so each cycle's sample is the result for
that cycle's input."""

import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

# Inputs that exercise every bit: a walk of single bits, all ones, then mixed.
INPUTS = [0, 1, 2, 4, 8, 16, 32, 64, 128, 255, 0xA5, 0x5A, 0x3C, 0xC3, 0x81, 0x7E, 0x96, 0x0F]


def rotl(x, k, w):
    k %= w
    x &= (1 << w) - 1
    return ((x << k) | (x >> (w - k))) & ((1 << w) - 1)


def bits(x, start, stop):
    return (x >> start) & ((1 << (stop - start)) - 1)


class CombDesign(Design):
    """Every generator result drives a wire through a loose assignment, to be
    probed under a label."""

    def __init__(self):
        super().__init__()
        self.din = self.input("din", 8)
        self.m.track_module_at_flow_init(self.top)
        self.outs = {}

    def out(self, label, result):
        wire = self.m.mk_wire(f"o_{label}", self.m.get_hw_bit_sz(result))
        self.m.gen_basic_assign(wire, result)
        self.outs[label] = wire

    def run(self, tmp_path):
        self.m.finalize_flow_procedure()
        self.m.untrack_module_at_flow_init(self.top)
        return super().run(tmp_path, self.probes(**self.outs), inputs={"din": lambda c: INPUTS[c]},
                           cycles=len(INPUTS))


def expect(fn):
    return [fn(x) for x in INPUTS]


def test_rotations(tmp_path):
    d = CombDesign()
    m, din = d.m, d.din
    d.out("l3", m.gen_rotate_left("l3", din, v.Slice(), 3))
    d.out("r1", m.gen_rotate_right("r1", din, v.Slice(), 1))
    d.out("l7", m.gen_rotate_left("l7", din, v.Slice(), 7))
    d.out("lneg", m.gen_rotate_left("lneg", din, v.Slice(), -1))
    d.out("sl", m.gen_rotate_left("sl", din, v.Slice(2, 7), 2))
    d.out("narrow", m.gen_rotate_left("narrow", din, v.Slice(), 1, width=3))
    d.out("rmin", m.gen_rotate_right("rmin", din, v.Slice(0, 3), -(2**63)))
    got = d.run(tmp_path)
    assert got["l3"] == expect(lambda x: rotl(x, 3, 8))
    assert got["r1"] == expect(lambda x: rotl(x, 7, 8))
    assert got["l7"] == got["r1"] == got["lneg"]
    assert got["sl"] == expect(lambda x: rotl(bits(x, 2, 7), 2, 5))
    # Over 3 of the 8 bits: the low 3 bits rotated, nothing of the others.
    assert got["narrow"] == expect(lambda x: rotl(x, 1, 3))
    # Right by -2^63 is left by 2^63, which is left by 2 over 3 bits.
    assert got["rmin"] == expect(lambda x: rotl(x, 2**63, 3))


def test_any_of_and_sums(tmp_path):
    d = CombDesign()
    m, din = d.m, d.din
    d.out("any", m.gen_any_of("any", [(din, v.Slice(0, 2)), (din, v.Slice(5, 6)), (din, v.Slice(7, 8))]))
    d.out("none", m.gen_any_of("none", []))
    d.out("pop", m.gen_sum_cnt("pop", [(din, v.Slice(i, i + 1)) for i in range(8)]))
    d.out("pop3", m.gen_sum_cnt("pop3", [(din, v.Slice(i, i + 1)) for i in range(8)], width=3))
    # Whole-signal terms count with their width: 255 + 15 needs 9 bits.
    d.out("whole", m.gen_sum_cnt("whole", [(din, v.Slice()), (din, v.Slice(0, 4))]))
    # A 127-bit term and the input: a 128-bit sum.
    ones = m.mk_val_vv("ones", 127, [2**64 - 1, 2**63 - 1])
    wide = m.gen_sum_cnt("wide", [(ones, v.Slice()), (din, v.Slice())])
    assert m.get_hw_bit_sz(wide) == 128
    d.out("wide", wide)
    got = d.run(tmp_path)
    assert got["any"] == expect(lambda x: int(bool(bits(x, 0, 2) or bits(x, 5, 8) & 0b101)))
    assert got["none"] == expect(lambda x: 0)
    assert got["pop"] == expect(lambda x: bin(x).count("1"))
    assert got["pop3"] == expect(lambda x: bin(x).count("1") % 8)
    assert got["whole"] == expect(lambda x: x + (x & 15))
    assert got["wide"] == expect(lambda x: 2**127 - 1 + x)


def test_mux(tmp_path):
    d = CombDesign()
    m, din = d.m, d.din
    # Bit 0 chooses between the high nibble and a constant sized to it.
    d.out("nib", m.gen_mux("nib", din, v.Slice(0, 1), din, 9, true_slice=v.Slice(4, 8)))
    # Two ints need a width; bit 7 chooses.
    d.out("ints", m.gen_mux("ints", din, v.Slice(7, 8), 200, -1, width=8))
    c = m.mk_wire("c", 1)
    m.gen_basic_assign(c, din, src_slice=v.Slice(3, 4))
    # A narrower false input is zero-extended to the mux.
    with pytest.warns(UserWarning, match="is narrower than destination"):
        d.out("ext", m.gen_mux("ext", c, v.Slice(), din, din, false_slice=v.Slice(0, 2)))
    got = d.run(tmp_path)
    assert got["nib"] == expect(lambda x: bits(x, 4, 8) if x & 1 else 9)
    assert got["ints"] == expect(lambda x: 200 if x & 128 else 255)
    assert got["ext"] == expect(lambda x: x if x & 8 else x & 3)


def signed4(x):
    return x - 16 if x & 8 else x


OP = v.LogicOp
# Relations of the input's low and high nibbles (INPUTS has them equal, below
# and above each other), then shifts of the input by its low three bits.
OPERATORS = {
    OP.RelationLe: lambda lo, hi: lo < hi, OP.RelationLeq: lambda lo, hi: lo <= hi,
    OP.RelationGe: lambda lo, hi: lo > hi, OP.RelationGeq: lambda lo, hi: lo >= hi,
    OP.RelationEq: lambda lo, hi: lo == hi, OP.RelationNeq: lambda lo, hi: lo != hi,
    OP.RelationSlt: lambda lo, hi: signed4(lo) < signed4(hi), OP.RelationSgt: lambda lo, hi: signed4(lo) > signed4(hi),
}


def test_relations_and_shifts(tmp_path):
    d = CombDesign()
    m, din, lo, hi, amount = d.m, d.din, v.Slice(0, 4), v.Slice(4, 8), v.Slice(0, 3)
    for op in OPERATORS:
        d.out(op.name, m.mk_expression(op.name, op, din, din, lo, hi))
    d.out("shl", m.mk_expression("shl", OP.BitwiseShl, din, din, None, amount))
    d.out("shr", m.mk_expression("shr", OP.BitwiseShr, din, din, None, amount))
    got = d.run(tmp_path)
    for op, rel in OPERATORS.items():
        assert got[op.name] == expect(lambda x: int(rel(x & 15, x >> 4))), op.name
    assert got["shl"] == expect(lambda x: (x << (x & 7)) & 255)
    assert got["shr"] == expect(lambda x: x >> (x & 7))


# Logical operators of the input's two low 2-bit fields, each read as one
# truth value: a = 2 and b = 1 make a && b 1 where a & b is 0.
LOGICAL = {OP.LogicalAnd: lambda a, b: a and b, OP.LogicalOr: lambda a, b: a or b}


def test_logical_operators(tmp_path):
    d = CombDesign()
    m, din, a, b = d.m, d.din, v.Slice(0, 2), v.Slice(2, 4)
    for op in LOGICAL:
        d.out(op.name, m.mk_expression(op.name, op, din, din, a, b))
    got = d.run(tmp_path)
    for op, logical in LOGICAL.items():
        assert got[op.name] == expect(lambda x: int(bool(logical(bits(x, 0, 2), bits(x, 2, 4))))), op.name


# Shifts of a w-bit pattern by an int (its constant as wide as the pattern),
# each amount read through an optional b slice, the shifted operand through an
# optional a slice. From 2^32 on, an amount used to be written as it is, which
# Verilator refuses; every amount at least as wide as the shifted bits gives 0.
SHIFTS = [(w, amount, None, None) for w in (8, 33, 40, 64, 65, 100)
          for amount in sorted({w - 1, w, *(a for a in (2**32 - 1, 2**32, 2**32 + 1, 2**64, 2**w - 1) if a < 2**w)})]
SHIFTS += [(40, 2**33, v.Slice(1, 40), None),   # reads 2^32
           (40, 2**33, v.Slice(33, 40), None),  # reads 1
           (40, 2**32, None, v.Slice(0, 8)),    # 8 bits shifted
           (100, 2**99 + 3, v.Slice(0, 32), None),  # reads 3
           (40, -1, None, None)]                # the 40-bit pattern of -1


def shift_results(tmp_path, shifts, operand):
    """Each shift of `shifts` in both directions, of `operand(m, w, x)` (a
    w-bit signal holding x): the results and the expected values."""
    d = CombDesign()
    m = d.m
    pattern = {w: (0x3C96_5AF0 << 64 | 0xA5C3_0F96_5A3C_F069) & ((1 << w) - 1) for w in (8, 33, 40, 64, 65, 100)}
    ops = {w: operand(d, w, x) for w, x in pattern.items()}
    expected = {}
    for n, (w, amount, b_slice, a_slice) in enumerate(shifts):
        lo, hi = (a_slice.start, a_slice.stop) if a_slice else (0, w)
        x = bits(pattern[w], lo, hi)
        k = bits(amount % 2**w, *((b_slice.start, b_slice.stop) if b_slice else (0, w)))
        for op in (OP.BitwiseShl, OP.BitwiseShr):
            label = f"{op.name}{n}"
            d.out(label, m.mk_expression(label, op, ops[w], amount, a_slice, b_slice))
            shifted = 0 if k >= hi - lo else x << k if op == OP.BitwiseShl else x >> k
            expected[label] = shifted & ((1 << (hi - lo)) - 1)
    return d.run(tmp_path), expected


def constant(d, w, x, name="p"):
    return d.m.mk_val_vv(f"{name}{w}", w, [x & (2**64 - 1), x >> 64]) if w > 64 else d.m.mk_val(f"{name}{w}", w, x)


def test_shifts_by_an_int_of_any_size(tmp_path):
    got, expected = shift_results(tmp_path, SHIFTS, constant)
    assert {label: values[0] for label, values in got.items()} == expected


def held_in_a_register(d, w, x):
    """A register that holds x from its reset on: a tool cannot fold a shift
    of it, so it checks the amount's constant as written."""
    r = d.m.mk_reg(f"p{w}", w)
    d.m.set_reg_reset(r, constant(d, w, x, "rst"))
    return r


# The same of registers, and an amount whose bits above 32 are all outside
# the bits its b slice reads: 2^32 read over bits 28..60 is 16, kept as it is.
def test_shifts_of_a_register_by_an_int_of_any_size(tmp_path):
    got, expected = shift_results(tmp_path, SHIFTS + [(64, 2**32, v.Slice(28, 61), None)], held_in_a_register)
    assert {label: values[R:] for label, values in got.items()} == \
        {label: [value] * (len(INPUTS) - R) for label, value in expected.items()}
