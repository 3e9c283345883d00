"""The generator methods: mux, any-of, sum count and rotations, as the front
end calls them."""
import warnings

import pytest

from vorlent import _vorlent as v
from model_helpers import ids_drawn, narrower, refused, traced_model, wider
from test_generator_simulation import CombDesign, expect

# Every warning a test does not expect fails it.
pytestmark = pytest.mark.filterwarnings("error")

INT_ONLY = ("cannot infer a width from int operands alone \u2014 pass width=<bits> "
            "(an int literal is sized by whatever it is used with)")


@pytest.fixture
def m():
    """A model whose top module is traced while behaviour is described."""
    return traced_model("flow")


def wire_name(ident, name):
    return f"WIRE_{name}_{ident.global_id}"


class TestMux:
    def test_width_comes_from_the_first_signal_input(self, m):
        c, w12 = m.mk_wire("c", 1), m.mk_wire("w12", 12)
        # The int is sized to the mux: equal widths, no warning.
        mux = m.gen_mux("mx", c, v.Slice(), 5, w12)
        assert mux.hw_type == "WIRE" and m.get_hw_bit_sz(mux) == 12
        # The false input's slice decides when the true input is an int.
        assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), 5, w12, false_slice=v.Slice(0, 4))) == 4
        assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), w12, 5, true_slice=v.Slice(2, 9))) == 7
        with pytest.warns(UserWarning, match="is wider than destination"):
            assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), w12, 5, width=3)) == 3
        # Slice() reads the whole input (any other slice must be a bit range of it).
        assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), w12, w12, true_slice=v.Slice())) == 12
        assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), 0, w12, false_slice=v.Slice())) == 12

    def test_int_inputs_need_a_width(self, m):
        c = m.mk_wire("c", 1)
        assert refused(m, TypeError, m.gen_mux, "mx", c, v.Slice(), 1, 2) == INT_ONLY
        # With a width, each int becomes a constant "{name}_c" of that width,
        # the true one first; both bear the same name.
        first, mux = m.mk_reg("probe", 1).global_id + 1, m.gen_mux("mx", c, v.Slice(), 200, -1, width=8)
        assert mux.global_id == first + 2
        assert m.get_hw_bit_sz(mux) == 8
        assert m.get_hw_bit_sz(m.gen_mux("wide", c, v.Slice(), 2**70, 0, width=72)) == 72

    def test_resize_warnings_name_the_mux_wire_true_branch_first(self, m):
        c, r8, w4, w2 = m.mk_wire("c", 1), m.mk_reg("r8", 8), m.mk_wire("w4", 4), m.mk_wire("w2", 2)
        with pytest.warns(UserWarning) as record:
            mux, cut = m.gen_mux("mx", c, v.Slice(), r8, w4), m.gen_mux("cut", c, v.Slice(), r8, w2, width=4)
        mx, cut = wire_name(mux, "mx"), wire_name(cut, "cut")
        assert [(w.category, str(w.message)) for w in record] == \
            [(UserWarning, t) for t in (narrower(4, 8, mx), wider(8, 4, cut), narrower(2, 4, cut))]

    def test_a_warning_turned_error_leaves_the_mux_made(self, m):
        c, r8, w4 = m.mk_wire("c", 1), m.mk_reg("r8", 8), m.mk_wire("w4", 4)

        def as_error():
            with warnings.catch_warnings():
                warnings.simplefilter("error")
                with pytest.raises(UserWarning, match="is narrower than destination 'WIRE_mx_"):
                    m.gen_mux("mx", c, v.Slice(), r8, w4)

        def ignored():
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                m.gen_mux("mx", c, v.Slice(), r8, w4)

        # Wire, zif, the true assignment, zelse, the extension and the false
        # assignment, with the takes of the blocks: all made either way.
        assert ids_drawn(m, as_error) == ids_drawn(m, ignored) == 13
        # The mux left its zif head lazily closed: the description can end.
        m.finalize_flow_procedure()

    def test_checks_in_order(self, m):
        c, c2, a = m.mk_wire("c", 1), m.mk_wire("c2", 2), m.mk_wire("a", 8)
        refused(m, ValueError, m.gen_mux, "mx", c2, v.Slice(), a, a)  # a 1-bit condition
        refused(m, ValueError, m.gen_mux, "mx", c2, v.Slice(3, 4), a, a)
        for width in (0, -3):
            assert refused(m, ValueError, m.gen_mux, "mx", c, v.Slice(), 7, a, width=width) == \
                f"mux needs a width >= 1, got {width}"
        # The condition is checked before the width ...
        assert refused(m, ValueError, m.gen_mux, "mx", a, v.Slice(), 7, 9, width=0).startswith(
            "cond must be 1-bit, got 8 ")
        # ... but after an int input became a constant, whose id stays drawn.
        assert ids_drawn(m, lambda: pytest.raises(ValueError, m.gen_mux, "mx", c2, v.Slice(), 7, a)) == 1
        # One bit of a wider condition: the zif tests a slice expression.
        plain = ids_drawn(m, lambda: m.gen_mux("mx", c, v.Slice(), a, a))
        assert ids_drawn(m, lambda: m.gen_mux("mx", c2, v.Slice(1, 2), a, a)) == plain + 1


# Simulated here, not among the simulation tests, whose designs' texts are kept.
def test_a_slice_of_an_int_reads_those_bits_of_its_constant(tmp_path):
    d = CombDesign()
    m, din = d.m, d.din
    # 0x5A as an 8-bit constant (the destination's, the mux's width): bits
    # 0..3 are 0xA, bits 4..7 are 5, zero-extended to 8 bits.
    lo, whole = m.mk_wire("o_lo", 8), m.mk_wire("o_whole", 8)
    with pytest.warns(UserWarning, match="is narrower than destination"):
        m.gen_basic_assign(lo, 0x5A, src_slice=v.Slice(0, 4))
        d.out("hi", m.gen_mux("hi", din, v.Slice(0, 1), 0x5A, din, true_slice=v.Slice(4, 8), width=8))
    m.gen_basic_assign(whole, 0x5A, src_slice=v.Slice())
    d.outs.update(lo=lo, whole=whole)
    d.out("ff", m.gen_mux("ff", din, v.Slice(0, 1), din, -1, false_slice=v.Slice(0, 8)))
    got = d.run(tmp_path)
    assert got["lo"] == expect(lambda x: 0xA)
    assert got["whole"] == expect(lambda x: 0x5A)
    assert got["hi"] == expect(lambda x: 5 if x & 1 else x)
    assert got["ff"] == expect(lambda x: x if x & 1 else 255)


def test_any_of(m):
    a, zero = m.mk_wire("a", 8), m.gen_any_of("none", [])
    assert (zero.hw_type, m.get_hw_bit_sz(zero)) == ("VAL", 1)
    assert ids_drawn(m, lambda: assert_none(m.gen_any_of("one", [(a, v.Slice(0, 8))]))) == 0
    tree = m.gen_any_of("any", [(a, v.Slice(i, i + 1)) for i in range(5)])
    assert (tree.hw_type, m.get_hw_bit_sz(tree)) == ("EXPR", 1)
    assert ids_drawn(m, lambda: m.gen_any_of("any", [(a, v.Slice())] * 5)) == 4
    assert refused(m, ValueError, m.gen_any_of, "any", [(a, v.Slice(0, 1)), (a, v.Slice(3, 3)), (a, v.Slice(2, 1))]) \
        .startswith("gen_any_of: terms[1] Slice { start: 3, stop: 3 } selects no bits of ")


def assert_none(result):
    assert result is None


class TestSumCnt:
    def test_widths(self, m):
        a, w100, w127 = m.mk_wire("a", 8), m.mk_wire("w100", 100), m.mk_wire("w127", 127)
        bits = [(a, v.Slice(i, i + 1)) for i in range(3)]
        # Whole-signal terms count with their width.
        assert [m.get_hw_bit_sz(m.gen_sum_cnt("s", terms, **kw)) for terms, kw in [
            (bits, {}), (bits, {"width": 8}), ([(a, v.Slice(i, i + 1)) for i in range(8)], {}),
            ([(a, v.Slice())] * 2, {}), ([(w100, v.Slice())] * 3, {}), ([(w127, v.Slice()), (a, v.Slice(0, 1))], {})]] \
            == [2, 8, 4, 9, 102, 128]
        # Three extensions and two additions; one term is its extension.
        assert ids_drawn(m, lambda: m.gen_sum_cnt("cnt", bits)) == 5
        assert ids_drawn(m, lambda: m.gen_sum_cnt("one", [(a, v.Slice(0, 4))])) == 1

    def test_refusals(self, m):
        a = m.mk_wire("a", 8)
        for call, text in [
            (lambda: m.gen_sum_cnt("s", []), "sum_cnt of no signals has no width \u2014 pass at least one"),
            (lambda: m.gen_sum_cnt("s", [(a, v.Slice(0, 1))], width=0), "width must be positive, got 0"),
            (lambda: m.gen_sum_cnt("s", [(a, v.Slice(0, 1)), (a, v.Slice(5, 4))]),
             f'gen_sum_cnt: bits[1] Slice {{ start: 5, stop: 4 }} selects no bits of "{m.hcp_verilog_name(a)}" (8 bits); '
             "give Slice() for the whole signal or a bit range 0 <= start < stop <= 8"),
        ]:
            assert refused(m, ValueError, call) == text


class TestRotate:
    def test_results(self, m):
        x = m.mk_wire("x", 8)
        for rotate in (m.gen_rotate_left, m.gen_rotate_right):
            for amount in (0, 8, -16, 2**63 - 1 - (2**63 - 1) % 8, -(2**63)):
                assert ids_drawn(m, lambda: assert_none(rotate("r", x, v.Slice(), amount))) == 0
            r = rotate("r", x, v.Slice(), 1)
            assert (r.hw_type, m.get_hw_bit_sz(r)) == ("EXPR", 8)
            # Two constants, two shifts, the or.
            assert ids_drawn(m, lambda: rotate("r", x, v.Slice(), 3)) == 5
        assert m.get_hw_bit_sz(m.gen_rotate_left("r", x, v.Slice(2, 7), 1)) == 5
        # A rotation over fewer bits than selected covers only those.
        assert m.get_hw_bit_sz(m.gen_rotate_left("r", x, v.Slice(), 1, width=3)) == 3
        assert m.gen_rotate_right("r", x, v.Slice(), 6, width=3) is None

    def test_width_checks(self, m):
        x = m.mk_wire("x", 8)
        for op, rotate in (("rotate_left", m.gen_rotate_left), ("rotate_right", m.gen_rotate_right)):
            assert refused(m, ValueError, rotate, "r", x, v.Slice(), 1, width=0) == f"{op} needs a width >= 1, got 0"
            for sig_slice, bits, width in [(v.Slice(0, 4), 4, 5), (v.Slice(), 8, 9)]:
                assert refused(m, ValueError, rotate, "r", x, sig_slice, 1, width=width) == (
                    f"{op} width {width} exceeds the signal's {bits} bits \u2014 a rotate is only a rotate over bits "
                    "that are there")
