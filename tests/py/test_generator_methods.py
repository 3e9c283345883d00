"""The generator methods: mux, any-of, sum count and rotations, as the front
end calls them."""
import warnings

import pytest

from vorlent import _vorlent as v

# Every warning a test does not expect fails it.
pytestmark = pytest.mark.filterwarnings("error")

INT_ONLY = ("cannot infer a width from int operands alone \u2014 pass width=<bits> "
            "(an int literal is sized by whatever it is used with)")


@pytest.fixture
def m():
    """A model whose top module is set and traced while behaviour is described."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.track_module_at_flow_init(top)
    return arena


def ids_drawn(m, call):
    """How many global ids `call` drew, measured between two probe registers."""
    before = m.mk_reg("probe", 1).global_id
    call()
    return m.mk_reg("probe", 1).global_id - before - 1


def narrower(src, des, des_name):
    return (f"assignment source ({src} bits) is narrower than destination '{des_name}' "
            f"({des} bits); zero-extended (unsigned) to fit")


def wider(src, des, des_name):
    return (f"assignment source ({src} bits) is wider than destination '{des_name}' "
            f"({des} bits); MSBs dropped to fit")


def wire_name(ident, name):
    return f"WIRE_{name}_{ident.global_id}"


class TestMux:
    def test_width_comes_from_the_first_signal_input(self, m):
        c = m.mk_wire("c", 1)
        w12 = m.mk_wire("w12", 12)
        # The int is sized to the mux: equal widths, no warning.
        mux = m.gen_mux("mx", c, v.Slice(), 5, w12)
        assert mux.hw_type == "WIRE" and m.get_hw_bit_sz(mux) == 12
        # The false input's slice decides when the true input is an int.
        assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), 5, w12, false_slice=v.Slice(0, 4))) == 4
        assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), w12, 5, true_slice=v.Slice(2, 9))) == 7
        with pytest.warns(UserWarning, match="is wider than destination"):
            assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), w12, 5, width=3)) == 3

    def test_an_input_slice_that_is_no_bit_range_reads_the_whole_input(self, m):
        c = m.mk_wire("c", 1)
        w12 = m.mk_wire("w12", 12)
        # The mux reads such an input whole, so it is as wide as the input.
        for bad in (v.Slice(), v.Slice(4, 4), v.Slice(6, 2), v.Slice(-1, 5)):
            assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), w12, w12, true_slice=bad)) == 12
            assert m.get_hw_bit_sz(m.gen_mux("mx", c, v.Slice(), 0, w12, false_slice=bad)) == 12

    def test_int_inputs_need_a_width(self, m):
        c = m.mk_wire("c", 1)

        def refused():
            with pytest.raises(TypeError) as info:
                m.gen_mux("mx", c, v.Slice(), 1, 2)
            assert str(info.value) == INT_ONLY
        assert ids_drawn(m, refused) == 0

        # With a width, each int becomes a constant "{name}_c" of that width,
        # the true one first; both bear the same name.
        first = m.mk_reg("probe", 1).global_id + 1
        mux = m.gen_mux("mx", c, v.Slice(), 300, -1, width=8)
        assert mux.global_id == first + 2
        assert m.get_hw_bit_sz(mux) == 8
        wide = m.gen_mux("wide", c, v.Slice(), 2**70, 0, width=72)
        assert m.get_hw_bit_sz(wide) == 72

    def test_resize_warnings_name_the_mux_wire_true_branch_first(self, m):
        c = m.mk_wire("c", 1)
        r8 = m.mk_reg("r8", 8)
        w4 = m.mk_wire("w4", 4)
        w2 = m.mk_wire("w2", 2)
        with pytest.warns(UserWarning) as record:
            mux = m.gen_mux("mx", c, v.Slice(), r8, w4)
        assert [str(w.message) for w in record] == [narrower(4, 8, wire_name(mux, "mx"))]
        with pytest.warns(UserWarning) as record:
            mux = m.gen_mux("cut", c, v.Slice(), r8, w2, width=4)
        assert [str(w.message) for w in record] == [wider(8, 4, wire_name(mux, "cut")),
                                                    narrower(2, 4, wire_name(mux, "cut"))]
        assert all(w.category is UserWarning for w in record)

    def test_a_warning_turned_error_leaves_the_mux_made(self, m):
        c = m.mk_wire("c", 1)
        r8 = m.mk_reg("r8", 8)
        w4 = m.mk_wire("w4", 4)

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

    def test_condition_must_select_one_bit(self, m):
        c2 = m.mk_wire("c2", 2)
        a = m.mk_wire("a", 8)
        for cond_slice, text in [
            (v.Slice(), "cond must be 1-bit, got 2 (slice the cond variable down to one bit)"),
            (v.Slice(0, 2), "cond must be 1-bit, got 2 (slice the cond variable down to one bit)"),
            (v.Slice(3, 4), "cond slice Slice { start: 3, stop: 4 } does not fit cond variable of width 2"),
        ]:
            def refused():
                with pytest.raises(ValueError) as info:
                    m.gen_mux("mx", c2, cond_slice, a, a)
                assert str(info.value) == text
            assert ids_drawn(m, refused) == 0
        # One bit of it is a condition: the zif tests a slice expression.
        plain = ids_drawn(m, lambda: m.gen_mux("mx", m.mk_wire("c1", 1), v.Slice(), a, a)) - 1
        assert ids_drawn(m, lambda: m.gen_mux("mx", c2, v.Slice(1, 2), a, a)) == plain + 1

    def test_width_below_one_is_refused_before_an_int_becomes_a_constant(self, m):
        c = m.mk_wire("c", 1)
        a = m.mk_wire("a", 8)
        for width in (0, -3):
            def refused():
                with pytest.raises(ValueError) as info:
                    m.gen_mux("mx", c, v.Slice(), 7, a, width=width)
                assert str(info.value) == f"mux needs a width >= 1, got {width}"
            assert ids_drawn(m, refused) == 0
        # The condition is checked first, as the generator does.
        with pytest.raises(ValueError, match="^cond must be 1-bit, got 8 "):
            m.gen_mux("mx", a, v.Slice(), 7, 9, width=0)

    def test_a_refused_condition_keeps_the_constants_already_made(self, m):
        c2 = m.mk_wire("c2", 2)
        a = m.mk_wire("a", 8)

        def refused():
            with pytest.raises(ValueError, match="^cond must be 1-bit, got 2"):
                m.gen_mux("mx", c2, v.Slice(), 7, a)
        assert ids_drawn(m, refused) == 1

    def test_argument_kinds(self, m):
        c = m.mk_wire("c", 1)
        a = m.mk_wire("a", 8)
        with pytest.raises(TypeError, match=r"^argument 'cond_slice': 'None' is not an instance of 'Slice'$"):
            m.gen_mux("mx", c, None, a, a)
        with pytest.raises(TypeError, match=r"^argument 'if_false': failed to extract enum PyOperand \('Ident \| Int'\)"):
            m.gen_mux("mx", c, v.Slice(), a, "a")
        with pytest.raises(TypeError, match=r"^argument 'true_slice': 'tuple' object is not an instance of 'Slice'$"):
            m.gen_mux("mx", c, v.Slice(), a, a, true_slice=(0, 1))
        with pytest.raises(OverflowError):
            m.gen_mux("mx", c, v.Slice(), a, a, width=2**31)
        with pytest.raises(TypeError, match=r"missing 1 required positional argument: 'if_false'"):
            m.gen_mux("mx", c, v.Slice(), a)
        # Keywords in any order.
        assert m.get_hw_bit_sz(m.gen_mux(if_false=a, if_true=3, name="k", cond_slice=v.Slice(), cond_i=c)) == 8


class TestAnyOf:
    def test_no_term_one_term_and_many(self, m):
        a = m.mk_wire("a", 8)
        zero = m.gen_any_of("none", [])
        assert (zero.hw_type, m.get_hw_bit_sz(zero)) == ("VAL", 1)
        assert ids_drawn(m, lambda: assert_none(m.gen_any_of("one", [(a, v.Slice(0, 8))]))) == 0
        tree = m.gen_any_of("any", [(a, v.Slice(i, i + 1)) for i in range(5)])
        assert (tree.hw_type, m.get_hw_bit_sz(tree)) == ("EXPR", 1)
        assert ids_drawn(m, lambda: m.gen_any_of("any", [(a, v.Slice())] * 5)) == 4
        # Any sequence of pairs.
        assert m.gen_any_of("t", ((a, v.Slice(0, 1)), (a, v.Slice()))).hw_type == "EXPR"

    def test_term_slices_must_select_bits(self, m):
        a = m.mk_wire("a", 8)

        def refused():
            with pytest.raises(ValueError) as info:
                m.gen_any_of("any", [(a, v.Slice(0, 1)), (a, v.Slice(3, 3)), (a, v.Slice(2, 1))])
            assert str(info.value) == ("terms[1] Slice { start: 3, stop: 3 } selects no bits "
                                       "(need 0 <= start < stop, or Slice() for the whole signal)")
        assert ids_drawn(m, refused) == 0

    def test_term_kinds(self, m):
        a = m.mk_wire("a", 8)
        with pytest.raises(TypeError, match=r"^argument 'terms': expected tuple of length 2, but got tuple of length 1$"):
            m.gen_any_of("any", [(a,)])
        with pytest.raises(TypeError, match=r"^argument 'terms': 'None' is not an instance of 'Slice'$"):
            m.gen_any_of("any", [(a, None)])
        with pytest.raises(TypeError, match=r"^argument 'terms': 'list' object is not an instance of 'tuple'$"):
            m.gen_any_of("any", [[a, v.Slice()]])
        with pytest.raises(TypeError, match=r"^argument 'terms': Can't extract `str` to `Vec`$"):
            m.gen_any_of("any", "ab")


def assert_none(result):
    assert result is None


class TestSumCnt:
    def test_widths(self, m):
        a = m.mk_wire("a", 8)
        bits = [(a, v.Slice(i, i + 1)) for i in range(3)]
        assert m.get_hw_bit_sz(m.gen_sum_cnt("cnt", bits)) == 2
        assert m.get_hw_bit_sz(m.gen_sum_cnt("cnt", bits, width=8)) == 8
        assert m.get_hw_bit_sz(m.gen_sum_cnt("pop", [(a, v.Slice(i, i + 1)) for i in range(8)])) == 4
        # Three extensions and two additions.
        assert ids_drawn(m, lambda: m.gen_sum_cnt("cnt", bits)) == 5
        # One term is its extension.
        assert ids_drawn(m, lambda: m.gen_sum_cnt("one", [(a, v.Slice(0, 4))])) == 1

    def test_whole_signal_terms_count_with_their_width(self, m):
        a = m.mk_wire("a", 8)
        assert m.get_hw_bit_sz(m.gen_sum_cnt("s", [(a, v.Slice()), (a, v.Slice())])) == 9
        w100 = m.mk_wire("w100", 100)
        w127 = m.mk_wire("w127", 127)
        assert m.get_hw_bit_sz(m.gen_sum_cnt("s", [(w100, v.Slice())] * 3)) == 102
        assert m.get_hw_bit_sz(m.gen_sum_cnt("s", [(w127, v.Slice()), (a, v.Slice(0, 1))])) == 128

    def test_refusals(self, m):
        a = m.mk_wire("a", 8)
        for call, text in [
            (lambda: m.gen_sum_cnt("s", []), "sum_cnt of no signals has no width \u2014 pass at least one"),
            (lambda: m.gen_sum_cnt("s", [(a, v.Slice(0, 1))], width=0), "bit_width must be positive, got 0"),
            (lambda: m.gen_sum_cnt("s", [(a, v.Slice(0, 1))], width=-2), "bit_width must be positive, got -2"),
            (lambda: m.gen_sum_cnt("s", [(a, v.Slice(5, 4))]),
             "bits[0] Slice { start: 5, stop: 4 } selects no bits (need 0 <= start < stop, or Slice() for the whole signal)"),
        ]:
            def refused():
                with pytest.raises(ValueError) as info:
                    call()
                assert str(info.value) == text
            assert ids_drawn(m, refused) == 0


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
            for call, text in [
                (lambda: rotate("r", x, v.Slice(), 1, width=0), f"{op} needs a width >= 1, got 0"),
                (lambda: rotate("r", x, v.Slice(0, 4), 1, width=5),
                 f"{op} width 5 exceeds the signal's 4 bits \u2014 a rotate is only a rotate over bits that are there"),
                (lambda: rotate("r", x, v.Slice(), 1, width=9),
                 f"{op} width 9 exceeds the signal's 8 bits \u2014 a rotate is only a rotate over bits that are there"),
            ]:
                def refused():
                    with pytest.raises(ValueError) as info:
                        call()
                    assert str(info.value) == text
                assert ids_drawn(m, refused) == 0

    def test_argument_kinds(self, m):
        x = m.mk_wire("x", 8)
        with pytest.raises(OverflowError):
            m.gen_rotate_left("r", x, v.Slice(), 2**63)
        with pytest.raises(TypeError, match=r"^argument 'sig_slice': 'None' is not an instance of 'Slice'$"):
            m.gen_rotate_right("r", x, None, 1)
        with pytest.raises(TypeError, match=r"^argument 'sig_i': 'int' object is not an instance of 'HcpIdent'$"):
            m.gen_rotate_right("r", 5, v.Slice(), 1)


def test_generators_need_a_traced_module(panic_type):
    m = v.ModelArena()
    top = m.mk_module("top")
    m.track_module_at_com_init(top)
    x = m.mk_wire("x", 8)
    m.untrack_module_at_com_init(top)
    with pytest.raises(panic_type, match="^module trace stack is empty$"):
        m.gen_any_of("a", [])
    with pytest.raises(panic_type, match="^module trace stack is empty$"):
        m.gen_rotate_left("r", x, v.Slice(), 1)
