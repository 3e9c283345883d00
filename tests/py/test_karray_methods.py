"""The Karray methods as the front end calls them: making and inspecting
arrays, writing and reading them, select functions that call back into the
same ModelArena, and the borrow rules of the methods that run them."""
import threading
import warnings

import pytest

from vorlent import _vorlent as v

# Every warning a test does not expect fails it.
pytestmark = pytest.mark.filterwarnings("error")

REG, WIRE = v.HwComponentType.REG, v.HwComponentType.WIRE
REDUCE = ("reduce", [], [])


def static(i):
    return ("static", [i], [])


def dyn(sig):
    return ("dyn", [], [sig])


@pytest.fixture
def m():
    """A model whose top module is set and traced while components are made."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.track_module_at_com_init(top)
    return arena


def ids_drawn(m, call):
    """How many global ids `call` drew, between two probe registers."""
    before = m.mk_reg("probe", 1).global_id
    call()
    return m.mk_reg("probe", 1).global_id - before - 1


def name(m, hcp):
    return m.hcp_verilog_name(hcp)


def pick_first(m):
    """A select function that lets the first candidate win, through a constant
    made on the same model while the read runs; it records its calls."""
    calls = []

    def fn(a_fields, a_coords, b_fields, b_coords, level):
        calls.append((a_fields, a_coords, b_fields, b_coords, level))
        return m.mk_val(f"pick{len(calls)}", 1, 1), []

    fn.calls = calls
    return fn


class TestMakeAndInspect:
    def test_components_first_then_the_array_then_the_stamping_take(self, m):
        probe = m.mk_reg("probe", 1)
        k = m.mk_karray("arr", [2, 3], [("a", 4), ("b", 1)], REG)
        assert k.ccp_type == "KARRAY"
        assert k.global_id == probe.global_id + 13
        assert m.mk_reg("next", 1).global_id == k.global_id + 2
        first = m.karray_element_hcp(k, [0, 0], "a")
        last = m.karray_element_hcp(k, [1, 2], "b")
        assert name(m, first) == f"REG_arr_E0_a_{probe.global_id + 1}"
        assert name(m, last) == f"REG_arr_E5_b_{probe.global_id + 12}"
        assert m.get_hw_bit_sz(first) == 4 and m.get_hw_bit_sz(last) == 1
        assert m.karray_shape(k) == [2, 3]
        assert m.karray_fields(k) == [("a", 4), ("b", 1)]
        assert m.karray_is_clocked(k) is True
        w = m.mk_karray("w", [1], [("x", 3)], int(WIRE))
        assert m.karray_is_clocked(w) is False
        assert m.karray_element_hcp(w, [0], "x").hw_type == "WIRE"
        # Every method takes the array out once: one id for the placeholder.
        assert ids_drawn(m, lambda: m.karray_shape(k)) == 1
        assert ids_drawn(m, lambda: m.karray_element_hcp(k, [1, 1], "a")) == 1

    @pytest.mark.parametrize("backing, text", [
        (8, "Karray backing must be HwComponentType.REG / WIRE, got VAL"),
        (2, "Karray backing must be HwComponentType.REG / WIRE, got SR_CDWT"),
        (13, "HwComponentType index out of range: 13"),
        (2**64 - 1, f"HwComponentType index out of range: {2**64 - 1}"),
    ])
    def test_backing_is_checked_before_anything_is_made(self, m, backing, text):
        with pytest.raises(ValueError) as e:
            m.mk_karray("k", [2], [("a", 1)], backing)
        assert str(e.value) == text
        assert ids_drawn(m, lambda: pytest.raises(ValueError, m.mk_karray, "k", [2], [("a", 1)], backing)) == 0

    def test_argument_conversion(self, m):
        with pytest.raises(OverflowError):
            m.mk_karray("k", [2, -1], [("a", 1)], REG)
        with pytest.raises(OverflowError):
            m.mk_karray("k", [2], [("a", 1)], -1)
        with pytest.raises(TypeError, match=r"^argument 'fields': expected tuple of length 2, but got tuple of length 3$"):
            m.mk_karray("k", [2], [("a", 1, 2)], REG)
        with pytest.raises(TypeError, match=r"^argument 'shape': Can't extract `str` to `Vec`$"):
            m.mk_karray("k", "2", [("a", 1)], REG)
        with pytest.raises(TypeError, match=r"^argument 'karray_i': 'HcpIdent' object is not an instance of 'CcpIdent'$"):
            m.karray_shape(m.mk_reg("r", 1))
        k = m.mk_karray("k", [2], [("a", 1)], REG)
        with pytest.raises(OverflowError):
            m.karray_element_hcp(k, [-1], "a")
        with pytest.raises(TypeError, match=r"^argument 'expect_clocked': 'int' object is not an instance of 'bool'$"):
            m.karray_assign_hcps(k, [static(0)], [("a", 1)], 1)
        with pytest.raises(TypeError, match=r"^argument 'sel': 'list' object is not an instance of 'tuple'$"):
            m.karray_read_field_hcp(k, [["static", [0], []]], [], "a")
        with pytest.raises(TypeError, match=r"^argument 'fns': 'int' object is not an instance of 'Sequence'$"):
            m.karray_read_field_hcp(k, [static(0)], 3, "a")
        with pytest.raises(TypeError, match=r"^argument 'sources': failed to extract enum PyOperand"):
            m.karray_assign_hcps(k, [static(0)], [("a", "x")], True)

    @pytest.mark.parametrize("shape, fields, text", [
        ([], [("a", 1)], "Karray 'k': shape must have at least one dimension"),
        ([2, 0], [("a", 1)], "Karray 'k': every dimension must be positive"),
        ([2], [], "Karray 'k': element must have at least one field"),
        ([2], [("a", 1), ("b", -3)], "KarrayType: field 'b' width must be positive, got -3"),
        ([2**40, 2**40], [("a", 1)],
         "Karray 'k': shape [1099511627776, 1099511627776] has more elements than can be stored"),
    ])
    def test_construction_rules_panic(self, m, panic_type, shape, fields, text):
        with pytest.raises(panic_type) as e:
            m.mk_karray("k", shape, fields, REG)
        assert str(e.value) == text

    def test_element_lookup_errors(self, m):
        k = m.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG)
        cases = [
            ([1], "a", "a Karray coordinate must name every dimension: got 1 for a 2-D Karray"),
            ([2, 0], "a", "index 2 out of bounds for dimension 0 of size 2"),
            ([1, 2], "c", "Karray has no field 'c' (fields: a, b)"),
        ]
        for coord, field, text in cases:
            with pytest.raises(ValueError) as e:
                m.karray_element_hcp(k, coord, field)
            assert str(e.value) == text

    def test_reset_field(self, m, panic_type):
        k = m.mk_karray("k", [2], [("a", 4), ("b", 2)], REG)
        w = m.mk_karray("w", [2], [("a", 4)], WIRE)
        # An int becomes a constant of the field's width (simulated in
        # test_karray_simulation): the take for the width, the constant, the
        # take of the reset.
        assert ids_drawn(m, lambda: m.karray_reset_field(k, "b", -1)) == 3
        # An unknown field is found out before the constant is made.
        with pytest.raises(ValueError, match=r"^Karray has no field 'c' \(fields: a, b\)$"):
            m.karray_reset_field(k, "c", 3)
        assert ids_drawn(m, lambda: pytest.raises(ValueError, m.karray_reset_field, k, "c", 3)) == 1
        with pytest.raises(TypeError) as e:
            m.karray_reset_field(w, "a", m.mk_val("z", 4, 0))
        assert str(e.value) == ("reset(...) requires a reg-backed Karray (a wire has no state to "
                                "reset; use default(...))")
        with pytest.raises(panic_type, match=r"^reset_val is set already$"):
            m.karray_reset_field(k, "b", 0)
        # The first reset stuck: a wire array refuses, the reg array still works.
        assert m.karray_shape(k) == [2]


class TestSelectors:
    @pytest.mark.parametrize("sel", [
        [("static", [3], [])], [("dyn", [], ["S"])], [("cus", [], ["E"] * 4)], [REDUCE],
    ])
    def test_well_formed_selectors_pass_decoding(self, m, sel):
        k = m.mk_karray("k", [4], [("a", 4)], REG)
        s, e = m.mk_reg("s", 2), m.mk_wire("e", 1)
        sel = [(kind, ints, [{"S": s, "E": e}[x] for x in idents]) for kind, ints, idents in sel]
        try:
            m.karray_assign_hcps(k, sel, [("a", 1)], True)
        except TypeError as err:  # the write walk refuses a reduce selector
            assert sel == [REDUCE] and "cannot be a write destination" in str(err)

    @pytest.mark.parametrize("sel", [
        ("static", [], []), ("dyn", [1], ["S"]), ("cus", [], []), ("reduce", [], ["S"]),
        ("Static", [3], []), ("static", [1, 2], []), ("dyn", [], []), (" dyn", [], ["S"]),
    ])
    def test_malformed_selectors_are_refused_before_anything_is_made(self, m, sel):
        k = m.mk_karray("k", [4], [("a", 4)], REG)
        s = m.mk_reg("s", 2)
        kind, ints, idents = sel
        selector = (kind, ints, [s for _ in idents])
        text = f"malformed Karray index selector of kind '{kind}'"
        for call in (lambda: m.karray_assign_hcps(k, [static(0), selector], [("a", 1)], True),
                     lambda: m.karray_read_field_hcp(k, [selector], [], "a"),
                     lambda: m.karray_assign_k2k(k, [static(0)], k, [selector], [], True)):
            with pytest.raises(ValueError) as e:
                assert ids_drawn(m, call) == 0
            assert str(e.value) == text
        # Decoding comes before the model is touched: no take.
        assert ids_drawn(m, lambda: pytest.raises(ValueError, m.karray_read_field_hcp, k, [selector], [], "a")) == 0

    def test_selection_checks_against_the_array(self, m):
        k = m.mk_karray("k", [2, 3], [("a", 4)], REG)
        e = m.mk_wire("e", 1)
        s1 = m.mk_wire("s1", 1)
        cases = [
            ([static(0)], "a Karray selection must index every dimension: got 1 indices for a 2-D Karray"),
            ([static(0), static(3)], "index 3 out of bounds for dimension 1 of size 3"),
            ([static(5), static(7)], "index 5 out of bounds for dimension 0 of size 2"),
            ([static(0), ("cus", [], [e, e])],
             "custom write index for dimension 1 needs one enable bit per index (3), got 2"),
            ([static(0), dyn(s1)], "dynamic index for dim 1 needs >= 2 bits to address 3 elements, got 1"),
        ]
        for sel, text in cases:
            with pytest.raises(ValueError) as err:
                m.karray_assign_hcps(k, sel, [("a", 1)], True)
            assert str(err.value) == text
            with pytest.raises(ValueError) as err:
                m.karray_read_field_hcp(k, sel, [], "a")
            assert str(err.value) == text


class TestAssignHcps:
    def test_bare_scalar_drives_a_single_field_array(self, m):
        one = m.mk_karray("one", [2], [("a", 6)], REG)
        two = m.mk_karray("two", [2], [("a", 6), ("b", 1)], REG)
        probe = m.mk_reg("probe", 1)
        m.karray_assign_hcps(one, [static(1)], [(None, -1)], True)
        # The field list's take, kconst_c, the write's take, its event and node.
        assert m.mk_reg("after", 1).global_id - probe.global_id - 1 == 5
        with pytest.raises(TypeError) as e:
            m.karray_assign_hcps(two, [static(1)], [(None, 5)], True)
        assert str(e.value) == ("a bare scalar source can only drive a single-field Karray; use a "
                                "{field_name: source} mapping")

    def test_unmatched_sources_are_skipped_with_a_warning(self, m):
        k = m.mk_karray("k", [2], [("x", 4), ("y", 4)], REG)
        s = m.mk_wire("s", 4)
        with pytest.warns(UserWarning) as rec:
            m.karray_assign_hcps(k, [static(0)], [("x", s), ("nosuch", 3), ('q"\\\n\x01', s)], True)
        assert [str(w.message) for w in rec] == [
            'karray assign: skipped sources with no matching field: ["nosuch", "q\\"\\\\\\n\\u{1}"]']
        # Only unknown names: an error and no warning.
        with pytest.raises(ValueError, match=r"^Karray assignment: no source matched any field$"):
            m.karray_assign_hcps(k, [static(0)], [("nosuch", s)], True)

    def test_a_warning_turned_error_leaves_the_assignment_made(self, m):
        k = m.mk_karray("k", [2], [("x", 4)], REG)
        s = m.mk_wire("s", 4)
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            # The take for the fields, the write's take, event and node.
            assert ids_drawn(m, lambda: pytest.raises(UserWarning, m.karray_assign_hcps, k, [static(0)],
                                                  [("x", s), ("z", s)], True)) == 4

    def test_clocking_must_fit_the_backing(self, m):
        r = m.mk_karray("r", [2], [("x", 4)], REG)
        w = m.mk_karray("w", [2], [("x", 4)], WIRE)
        s = m.mk_wire("s", 1)
        cases = [
            (r, [static(0)], False, "`*=` (combinational assign) requires a wire-backed Karray"),
            (w, [static(0)], True, "`|=` (clocked assign) requires a reg-backed Karray"),
            (w, [dyn(s)], False, "a dynamic (signal / custom-fn indexed) Karray write requires a "
                                 "reg-backed Karray; a wire cannot hold its non-selected elements"),
            (r, [REDUCE], True, "a reduce (read-side custom) index cannot be a write destination; on "
                                "the write side a custom fn is a per-index enable (fn(i) -> 1-bit)"),
        ]
        for k, sel, clocked, text in cases:
            with pytest.raises(TypeError) as e:
                m.karray_assign_hcps(k, sel, [("x", 1)], clocked)
            assert str(e.value) == text
        m.karray_assign_hcps(w, [static(1)], [("x", s)], False)


class TestRead:
    def test_static_read_is_the_element_itself(self, m):
        k = m.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG)
        elem = m.karray_element_hcp(k, [1, 2], "b")
        assert ids_drawn(m, lambda: m.karray_read_field_hcp(k, [static(1), static(2)], [], "b")) == 1
        got = m.karray_read_field_hcp(k, [static(1), static(2)], [], "b")
        assert got.global_id == elem.global_id

    def test_dynamic_read_builds_a_mux_tree(self, m):
        k = m.mk_karray("k", [4], [("a", 4)], REG)
        s = m.mk_wire("s", 2)
        got = m.karray_read_field_hcp(k, [dyn(s)], [None], "a")
        assert name(m, got) == f"WIRE_KARRAY_k_{k.global_id}_D0L1N0F0_DMUX_{got.global_id}"
        assert m.get_hw_bit_sz(got) == 4

    def test_read_errors(self, m):
        k = m.mk_karray("k", [2, 3], [("a", 4)], REG)
        e = m.mk_wire("e", 1)
        with pytest.raises(ValueError, match=r"^Karray has no field 'zz'$"):
            m.karray_read_field_hcp(k, [static(9)], [], "zz")
        with pytest.raises(ValueError) as err:
            m.karray_read_field_hcp(k, [static(0), ("cus", [], [e, e, e])], [], "a")
        assert str(err.value) == ("a custom write-enable index cannot select a read; on the read side "
                                  "a custom fn is a reduce select (fn(a, b, level) -> pick-a)")
        for fns in ([None, None], [pick_first(m)]):
            with pytest.raises(ValueError, match=r"^Karray reduce: dimension 1 has no select fn$"):
                m.karray_read_field_hcp(k, [static(0), REDUCE], fns, "a")
        assert m.karray_shape(k) == [2, 3]

    def test_reduce_calls_the_select_function_per_pair_and_it_may_build_logic(self, m):
        k = m.mk_karray("k", [4], [("val", 8), ("tag", 2)], REG)
        elems = [[m.karray_element_hcp(k, [i], f).global_id for f in ("val", "tag")] for i in range(4)]
        calls = []

        def larger(a_fields, a_coords, b_fields, b_coords, level):
            calls.append(([(n, h.global_id) for n, h in a_fields], a_coords,
                          [(n, h.global_id) for n, h in b_fields], b_coords, level))
            a, b = dict(a_fields)["val"], dict(b_fields)["val"]
            ge = m.mk_expression(f"ge{len(calls)}", v.LogicOp.RelationGeq, a, b)
            return ge, [("seen", ge)]

        got = m.karray_read_field_hcp(k, [REDUCE], [larger], "tag")
        assert [c[1] for c in calls] == [[0], [2], [0, 1]]
        assert [c[3] for c in calls] == [[1], [3], [2, 3]]
        assert [c[4] for c in calls] == [0, 0, 1]
        # Every field of each candidate, though one was asked for.
        assert calls[0][0] == [("val", elems[0][0]), ("tag", elems[0][1])]
        assert calls[1][2] == [("val", elems[3][0]), ("tag", elems[3][1])]
        # At layer 1 the merged candidates carry the extra after the fields.
        assert [n for n, _ in calls[2][0]] == ["val", "tag", "seen"]
        assert m.get_hw_bit_sz(got) == 2
        assert name(m, got).startswith(f"WIRE_KARRAY_k_{k.global_id}_D0L1N0F1_DMUX_")

    def test_select_function_failures_propagate_and_the_array_is_back(self, m, panic_type):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        s = m.mk_wire("s", 1)

        class Boom(Exception):
            pass

        def raises(*args):
            raise Boom("from the select fn")

        with pytest.raises(Boom, match="from the select fn"):
            m.karray_read_field_hcp(k, [REDUCE], [raises], "a")
        with pytest.raises(TypeError, match=r"^'HcpIdent' object is not an instance of 'tuple'$"):
            m.karray_read_field_hcp(k, [REDUCE], [lambda *a: s], "a")
        with pytest.raises(TypeError, match=r"^expected tuple of length 2, but got tuple of length 3$"):
            m.karray_read_field_hcp(k, [REDUCE], [lambda *a: (s, [], 1)], "a")
        with pytest.raises(TypeError, match=r"^'int' object is not callable$"):
            m.karray_read_field_hcp(k, [REDUCE], [7], "a")
        with pytest.raises(KeyboardInterrupt):
            m.karray_read_field_hcp(k, [REDUCE], [lambda *a: (_ for _ in ()).throw(KeyboardInterrupt)], "a")
        # The array is back in its slot after every failure.
        assert m.karray_shape(k) == [2]
        assert m.karray_read_field_hcp(k, [static(1)], [], "a").global_id == \
            m.karray_element_hcp(k, [1], "a").global_id

    def test_a_select_function_using_the_array_being_read_panics_cleanly(self, m, panic_type):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        other = m.mk_karray("o", [3], [("a", 4)], REG)
        seen = []

        def nosy(*args):
            # Another array and the rest of the model are free to use ...
            seen.append(m.karray_shape(other))
            seen.append(m.karray_read_field_hcp(other, [static(2)], [], "a").global_id)
            # ... the array being read is out of its slot.
            m.karray_shape(k)

        with pytest.raises(panic_type, match=r"^ArenaHandle element \(global id \d+\) is already taken out of its arena$"):
            m.karray_read_field_hcp(k, [REDUCE], [nosy], "a")
        assert seen == [[3], m.karray_element_hcp(other, [2], "a").global_id]
        assert m.karray_shape(k) == [2]


class TestArrayToArray:
    def test_same_array_is_taken_once_and_matching_is_by_name_and_width(self, m):
        k = m.mk_karray("k", [4], [("a", 4), ("b", 2)], REG)
        src = m.mk_karray("s", [2], [("b", 3), ("a", 4)], REG)
        # One take, two events and the node.
        assert ids_drawn(m, lambda: m.karray_assign_k2k(k, [static(0)], k, [static(3)], [], True)) == 4
        with pytest.warns(UserWarning) as rec:
            # Two takes, one event, the node.
            assert ids_drawn(m, lambda: m.karray_assign_k2k(k, [static(1)], src, [static(1)], [], True)) == 4
        assert [str(w.message) for w in rec] == [
            'karray-to-karray assign: skipped destination fields with no name+width match: ["b"]']

    def test_errors_are_raised_with_both_arrays_back(self, m):
        r = m.mk_karray("r", [2], [("a", 4)], REG)
        w = m.mk_karray("w", [2], [("a", 4)], WIRE)
        odd = m.mk_karray("odd", [2], [("a", 5)], REG)
        with pytest.raises(TypeError, match=r"^`\*=` \(combinational assign\) requires a wire-backed Karray$"):
            m.karray_assign_k2k(r, [static(0)], w, [static(0)], [], False)
        with pytest.raises(ValueError, match=r"^Karray assignment: no destination field matches a source field by name\+width$"):
            m.karray_assign_k2k(r, [static(0)], odd, [static(0)], [], True)
        with pytest.raises(ValueError, match=r"^Karray reduce: dimension 0 has no select fn$"):
            m.karray_assign_k2k(r, [static(0)], w, [REDUCE], [], True)
        for k in (r, w, odd):
            assert m.karray_shape(k) == [2]

    def test_reduced_source_with_a_select_function(self, m):
        dst = m.mk_karray("d", [2], [("a", 4)], REG)
        src = m.mk_karray("s", [3], [("a", 4)], WIRE)
        fn = pick_first(m)
        m.karray_assign_k2k(dst, [static(0)], src, [REDUCE], [fn], True)
        assert [(c[1], c[3], c[4]) for c in fn.calls] == [([0], [1], 0), ([0, 1], [2], 1)]

    def test_skip_warning_turned_error_leaves_the_write_made(self, m):
        d = m.mk_karray("d", [2], [("a", 4), ("b", 1)], REG)
        s = m.mk_karray("s", [2], [("a", 4)], REG)
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            assert ids_drawn(m, lambda: pytest.raises(UserWarning, m.karray_assign_k2k, d, [static(0)], s,
                                                      [static(0)], [], True)) == 4


class TestBorrows:
    def test_held_methods_refuse_a_nested_call(self, m, monkeypatch):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        s = m.mk_wire("s", 4)
        nested = []

        def handler(message, category, filename, lineno, file=None, line=None):
            for call in (lambda: m.karray_shape(k), lambda: m.get_asm_pri_val()):
                try:
                    call()
                except RuntimeError as e:
                    nested.append(str(e))

        with warnings.catch_warnings():
            warnings.simplefilter("always")
            monkeypatch.setattr(warnings, "showwarning", handler)
            m.karray_assign_hcps(k, [static(0)], [("a", s), ("zz", s)], True)
        assert nested == ["Already borrowed", "Already mutably borrowed"]

    def test_a_per_step_method_inside_a_held_call_panics(self, m, monkeypatch, panic_type):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        s = m.mk_wire("s", 4)
        nested = []

        def handler(*args, **kwargs):
            try:
                m.karray_read_field_hcp(k, [static(0)], [], "a")
            except BaseException as e:  # noqa: BLE001 - PanicException
                nested.append(e)

        with warnings.catch_warnings():
            warnings.simplefilter("always")
            monkeypatch.setattr(warnings, "showwarning", handler)
            m.karray_assign_hcps(k, [static(0)], [("a", s), ("zz", s)], True)
        assert len(nested) == 1 and type(nested[0]) is panic_type
        assert str(nested[0]).startswith("Already borrowed")

    def test_per_step_methods_hold_nothing_while_select_functions_run(self, m):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        dst = m.mk_karray("d", [1], [("a", 4)], REG)
        other = m.mk_karray("o", [1], [("a", 4)], REG)

        # A select function may use any method, held or per step.
        def busy(*args):
            m.set_asm_pri_to_manual(m.get_asm_pri_val())
            m.karray_assign_hcps(other, [static(0)], [("a", m.mk_wire("x", 4))], True)
            m.karray_read_field_hcp(other, [REDUCE], [lambda *a: (m.mk_wire("q", 1), [])], "a")
            return m.mk_wire("p", 1), []

        m.karray_read_field_hcp(k, [REDUCE], [busy], "a")
        m.karray_assign_k2k(dst, [static(0)], k, [REDUCE], [busy], True)

    def test_other_threads_are_refused(self, m, panic_type):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        out = {}

        def body():
            try:
                m.karray_read_field_hcp(k, [static(0)], [], "a")
            except BaseException as e:  # noqa: BLE001
                out["error"] = e

        t = threading.Thread(target=body)
        t.start()
        t.join()
        assert type(out["error"]) is panic_type
        assert "is unsendable, but sent to another thread" in str(out["error"])
        assert m.karray_shape(k) == [2]

    def test_a_select_function_that_moves_the_model_away_panics_cleanly(self, m, panic_type):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        backends = []

        def mover(*args):
            backends.append(v.BackendVerilog(m))
            raise RuntimeError("moved")

        # The array's slot left with the model: it cannot go home, and says so.
        with pytest.raises(panic_type) as e:
            m.karray_read_field_hcp(k, [REDUCE], [mover], "a")
        assert str(e.value) == (f"Karray 'KARRAY_k_{k.global_id}' cannot go back to its slot: its "
                                "model left this ModelArena while the call ran")

        def mover_then_pick(*args):
            backends.append(v.BackendVerilog(m2))
            return pick, []

        m2 = v.ModelArena()
        top = m2.mk_module("top")
        m2.track_module_at_com_init(top)
        k2 = m2.mk_karray("k", [2], [("a", 4)], REG)
        pick = m2.mk_wire("pick", 1)
        # The next step finds the empty model that took its place.
        with pytest.raises(panic_type, match=r"^ArenaHandle index out of range$"):
            m2.karray_read_field_hcp(k2, [REDUCE], [mover_then_pick], "a")
        # The arena keeps working with its new model.
        m2.set_top_module(m2.mk_module("again"))
