"""The Karray methods as the front end calls them: their checks, the
exceptions Karray errors become, warnings, select functions that call
back into the same ModelArena, and the borrow rules of the methods that run
them. The model's own texts and ids are tested in C++."""
import warnings

import pytest

from vorlent import _vorlent as v
from model_helpers import ids_drawn, raised, refused, run_in_thread

# Every warning a test does not expect fails it.
pytestmark = pytest.mark.filterwarnings("error")

REG, WIRE = v.HwComponentType.REG, v.HwComponentType.WIRE
REDUCE = ("reduce", [], [])


def static(i):
    return ("static", [i], [])


def dyn(sig):
    return ("dyn", [], [sig])


class TestMakeAndInspect:
    def test_arrays_are_made_and_read_back(self, m):
        probe, k = m.mk_reg("probe", 1), m.mk_karray("arr", [2, 3], [("a", 4), ("b", 1)], REG)
        assert k.ccp_type == "KARRAY"
        # Six elements of two fields first, then the array, then the stamping's take.
        assert k.global_id == probe.global_id + 13
        assert m.mk_reg("next", 1).global_id == k.global_id + 2
        last = m.karray_element_hcp(k, [1, 2], "b")
        assert m.hcp_verilog_name(last) == f"REG_arr_E5_b_{probe.global_id + 12}"
        assert (m.karray_shape(k), m.karray_fields(k), m.karray_is_clocked(k)) == ([2, 3], [("a", 4), ("b", 1)], True)
        w = m.mk_karray("w", [1], [("x", 3)], int(WIRE))
        assert (m.karray_is_clocked(w), m.karray_element_hcp(w, [0], "x").hw_type) == (False, "WIRE")
        # Each method takes the array out once: one id for the placeholder.
        assert ids_drawn(m, lambda: m.karray_fields(k)) == 1

    def test_identities_of_other_kinds_are_refused_before_any_arena_is_searched(self, m):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        arb, cnt = m.mk_arb("a", 0), m.mk_dyn_counter("c", 4)
        for param, kind, call in [
            ("karray_i", "ARB", lambda: m.karray_shape(arb)),
            ("dst_i", "ARB", lambda: m.karray_assign_k2k(arb, [static(0)], k, [static(0)], [], True)),
            ("src_i", "DCNT", lambda: m.karray_assign_k2k(k, [static(0)], cnt, [static(0)], [], True)),
        ]:
            assert refused(m, ValueError, call) == f"{param} must be a complex component of type KARRAY, got {kind}"
        assert m.karray_shape(k) == [2]

    def test_backing_is_checked_before_anything_is_made(self, m):
        for backing, text in [(8, "Karray backing must be HwComponentType.REG / WIRE, got VAL"),
                              (13, "HwComponentType index out of range: 13")]:
            assert refused(m, ValueError, m.mk_karray, "k", [2], [("a", 1)], backing) == text

    def test_model_errors_become_their_exceptions(self, m, panic_type):
        # The texts are the model's own, tested in C++.
        k = m.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG)
        pytest.raises(panic_type, m.mk_karray, "z", [2, 0], [("a", 1)], REG)
        pytest.raises(ValueError, m.karray_element_hcp, k, [1, 2], "c")
        pytest.raises(ValueError, m.karray_read_field_hcp, k, [static(0)], [], "a")
        pytest.raises(TypeError, m.karray_assign_hcps, k, [static(0), static(0)], [("a", 1)], False)

    def test_reset_field_refusals(self, m, panic_type):
        k, w = m.mk_karray("k", [2], [("a", 4), ("b", 2)], REG), m.mk_karray("w", [2], [("a", 4)], WIRE)
        m.karray_reset_field(k, "b", -1)  # simulated in test_karray_simulation
        pytest.raises(ValueError, m.karray_reset_field, k, "c", 3)
        assert raised(TypeError, m.karray_reset_field, w, "a", m.mk_val("z", 4, 0)) == \
            "reset(...) requires a reg-backed Karray (a wire has no state to reset; use default(...))"
        assert raised(panic_type, m.karray_reset_field, k, "b", 0) == "reset_val is set already"


class TestSelectors:
    def test_well_formed_selectors_pass_decoding(self, m):
        k = m.mk_karray("k", [4], [("a", 4)], REG)
        s, e = m.mk_reg("s", 2), m.mk_wire("e", 1)
        for sel in (static(3), dyn(s), ("cus", [], [e] * 4)):
            m.karray_assign_hcps(k, [sel], [("a", 1)], True)
        # Reduce decodes too; the write walk refuses it.
        assert "cannot be a write destination" in raised(TypeError, m.karray_assign_hcps, k, [REDUCE],
                                                         [("a", 1)], True)

    @pytest.mark.parametrize("sel", [("static", [], []), ("dyn", [1], ["S"]), ("cus", [], []), ("reduce", [], ["S"]),
                                     ("Static", [3], [])])
    def test_malformed_selectors_are_refused_before_the_model_is_touched(self, m, sel):
        k, s = m.mk_karray("k", [4], [("a", 4)], REG), m.mk_reg("s", 2)
        kind, ints, idents = sel
        selector = (kind, ints, [s for _ in idents])
        for call in (lambda: m.karray_assign_hcps(k, [static(0), selector], [("a", 1)], True),
                     lambda: m.karray_read_field_hcp(k, [selector], [], "a"),
                     lambda: m.karray_assign_k2k(k, [static(0)], k, [selector], [], True)):
            assert refused(m, ValueError, call) == f"malformed Karray index selector of kind '{kind}'"


    @pytest.mark.parametrize("place, drawn, text", [
        ("assign_hcps enable", 0, "karray_assign_hcps: sel[1], a cus selector of dimension 1, takes one 1-bit enable "
                                  'signal per index, but enable 2 of 4 (counted from 0), "WIRE_two_{}", is 2 bits wide'),
        # One 4-bit vector for 4 indices: the count is refused first.
        ("assign_hcps vector", 0, "karray_assign_hcps: sel[1], a cus selector of dimension 1, takes one 1-bit enable "
                                  "signal per index (4 indices), got 1 signal"),
        ("assign_k2k enable", 0, "karray_assign_k2k: dst_sel[0], a cus selector of dimension 0, takes one 1-bit "
                                 'enable signal per index, but enable 1 of 2 (counted from 0), "WIRE_two_{}", is 2 '
                                 "bits wide"),
        # The read's take of each array and the select functions' expressions,
        # here 3 and the 8 ids of level 0's two multiplexers.
        ("read pick", 12, 'karray_read_field_hcp: the select fn of dimension 1 (fns[1]) returned a pick "EXPR_p_{}" 8 '
                         "bits wide for the sides [0, 1] and [2, 3] at level 1; a pick is a 1-bit condition, 1 "
                         "choosing the left side"),
        ("assign_k2k pick", 3, 'karray_assign_k2k: the select fn of dimension 0 (src_fns[0]) returned a pick '
                               '"EXPR_p_{}" 8 bits wide for the sides [0] and [1] at level 0; a pick is a 1-bit '
                               "condition, 1 choosing the left side"),
    ])
    def test_an_enable_or_a_pick_is_one_bit(self, m, place, drawn, text):
        """Wider, it wrote (or kept the first candidate) whenever any bit was
        1: an enable of 2, a pick of the 8-bit a - b whenever a != b."""
        k, src = m.mk_karray("k", [2, 4], [("a", 8)], REG), m.mk_karray("s", [2, 4], [("a", 8)], REG)
        one, two, four = m.mk_wire("one", 1), m.mk_wire("two", 2), m.mk_wire("four", 4)
        made = [two]

        def call(narrow):
            def select(a, _, b, __, level):
                wide = not narrow and level == (1 if place == "read pick" else 0)
                made.append(m.mk_expression("p", v.LogicOp.ArithMinus if wide else v.LogicOp.RelationGeq,
                                            dict(a)["a"], dict(b)["a"]))
                return made[-1], []

            if place == "assign_hcps enable":
                m.karray_assign_hcps(k, [static(0), ("cus", [], [one, one, one if narrow else two, one])],
                                     [("a", 1)], True)
            elif place == "assign_hcps vector":
                m.karray_assign_hcps(k, [static(0), ("cus", [], [one] * 4 if narrow else [four])], [("a", 1)], True)
            elif place == "assign_k2k enable":
                m.karray_assign_k2k(k, [("cus", [], [one, one if narrow else two]), static(0)], src,
                                    [static(0), static(0)], [], True)
            elif place == "read pick":
                m.karray_read_field_hcp(k, [static(0), REDUCE], [None, select], "a")
            else:
                m.karray_assign_k2k(k, [static(0), static(0)], src, [REDUCE, static(0)], [select, None], True)

        texts = []
        assert ids_drawn(m, lambda: texts.append(raised(ValueError, call, False))) == drawn
        assert texts == [text.format(made[-1].global_id)]
        call(True)


class TestAssignHcps:
    def test_unmatched_sources_are_skipped_with_a_warning(self, m):
        k, s = m.mk_karray("k", [2], [("x", 4), ("y", 4)], REG), m.mk_wire("s", 4)
        with pytest.warns(UserWarning) as rec:
            m.karray_assign_hcps(k, [static(0)], [("x", s), ("nosuch", 3), ('q"\\\n\x01', s)], True)
        assert [str(w.message) for w in rec] == [
            'karray assign: skipped sources with no matching field: ["nosuch", "q\\"\\\\\\n\\u{1}"]']
        # The refusals (texts tested in C++): a bare source on several
        # fields, and only unknown names.
        pytest.raises(TypeError, m.karray_assign_hcps, k, [static(1)], [(None, 5)], True)
        pytest.raises(ValueError, m.karray_assign_hcps, k, [static(0)], [("nosuch", s)], True)

    def test_a_warning_turned_error_leaves_the_assignment_made(self, m):
        k, s = m.mk_karray("k", [2], [("x", 4)], REG), m.mk_wire("s", 4)
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            # The take for the fields, the write's take, event and node.
            assert ids_drawn(m, lambda: pytest.raises(UserWarning, m.karray_assign_hcps, k, [static(0)],
                                                      [("x", s), ("z", s)], True)) == 4


class TestRead:
    def test_static_and_dynamic_reads(self, m):
        k, s = m.mk_karray("k", [4], [("a", 4)], REG), m.mk_wire("s", 2)
        assert ids_drawn(m, lambda: m.karray_read_field_hcp(k, [static(2)], [], "a")) == 1
        assert m.karray_read_field_hcp(k, [static(2)], [], "a").global_id == \
            m.karray_element_hcp(k, [2], "a").global_id
        got = m.karray_read_field_hcp(k, [dyn(s)], [None], "a")
        assert m.hcp_verilog_name(got) == f"WIRE_KARRAY_k_{k.global_id}_D0L1N0F0_DMUX_{got.global_id}"

    def test_a_reduce_dimension_needs_a_select_function(self, m):
        k = m.mk_karray("k", [2, 3], [("a", 4)], REG)
        for fns in ([None, None], [lambda *a: pytest.fail("dimension 0 is static")]):
            assert raised(ValueError, m.karray_read_field_hcp, k, [static(0), REDUCE], fns, "a") == \
                "Karray reduce: dimension 1 has no select fn"

    def test_select_functions_see_every_pair_and_build_through_the_same_model(self, m):
        k = m.mk_karray("k", [4], [("val", 8), ("tag", 2)], REG)
        elems, calls = [[m.karray_element_hcp(k, [i], f).global_id for f in ("val", "tag")] for i in range(4)], []

        def larger(a_fields, a_coords, b_fields, b_coords, level):
            calls.append(([(n, h.global_id) for n, h in a_fields], a_coords,
                          [(n, h.global_id) for n, h in b_fields], b_coords, level))
            ge = m.mk_expression(f"ge{len(calls)}", v.LogicOp.RelationGeq, dict(a_fields)["val"],
                                 dict(b_fields)["val"])
            return ge, [("seen", ge)]

        got = m.karray_read_field_hcp(k, [REDUCE], [larger], "tag")
        assert [(c[1], c[3], c[4]) for c in calls] == [([0], [1], 0), ([2], [3], 0), ([0, 1], [2, 3], 1)]
        # Every field of each candidate, though one was asked for; at layer 1
        # the merged candidates carry the extra after the fields.
        assert calls[0][0] == [("val", elems[0][0]), ("tag", elems[0][1])]
        assert calls[1][2] == [("val", elems[3][0]), ("tag", elems[3][1])]
        assert [n for n, _ in calls[2][0]] == ["val", "tag", "seen"]
        assert m.hcp_verilog_name(got).startswith(f"WIRE_KARRAY_k_{k.global_id}_D0L1N0F1_DMUX_")

    def test_an_extra_named_like_a_field_replaces_that_field(self, m):
        k, x = m.mk_karray("k", [2], [("a", 4), ("b", 1)], REG), m.mk_wire("x", 4)
        got = m.karray_read_field_hcp(k, [REDUCE], [lambda *args: (m.mk_wire("p", 1), [("a", x)])], "a")
        assert got.global_id == x.global_id

    def test_select_function_failures_propagate_and_the_array_is_back(self, m):
        k, s = m.mk_karray("k", [2], [("a", 4)], REG), m.mk_wire("s", 1)

        class Boom(Exception):
            pass

        def boom(*args):
            raise Boom("from the select fn")

        assert raised(Boom, m.karray_read_field_hcp, k, [REDUCE], [boom], "a") == "from the select fn"
        assert raised(TypeError, m.karray_read_field_hcp, k, [REDUCE], [lambda *a: s], "a") == \
            "'HcpIdent' object is not an instance of 'tuple'"
        assert raised(TypeError, m.karray_read_field_hcp, k, [REDUCE], [7], "a") == \
            "'int' object is not callable"
        with pytest.raises(KeyboardInterrupt):
            m.karray_read_field_hcp(k, [REDUCE], [lambda *a: (_ for _ in ()).throw(KeyboardInterrupt)], "a")
        # The array is back in its slot after every failure.
        assert m.karray_read_field_hcp(k, [static(1)], [], "a").global_id == \
            m.karray_element_hcp(k, [1], "a").global_id

    def test_a_select_function_using_the_array_being_read_panics_cleanly(self, m, panic_type):
        k, other, seen = m.mk_karray("k", [2], [("a", 4)], REG), m.mk_karray("o", [3], [("a", 4)], REG), []

        def nosy(*args):
            # Other arrays are free to use; the one being read is out of its slot.
            seen.append(m.karray_read_field_hcp(other, [static(2)], [], "a").global_id)
            m.karray_shape(k)

        text = raised(panic_type, m.karray_read_field_hcp, k, [REDUCE], [nosy], "a")
        assert text.startswith("ArenaHandle element (global id ") and text.endswith(
            ") is already taken out of its arena")
        assert seen == [m.karray_element_hcp(other, [2], "a").global_id]
        assert m.karray_shape(k) == [2]


class TestArrayToArray:
    def test_same_array_is_taken_once_and_matching_is_by_name_and_width(self, m):
        k, src = m.mk_karray("k", [4], [("a", 4), ("b", 2)], REG), m.mk_karray("s", [2], [("b", 3), ("a", 4)], REG)
        # One take, two events and the node.
        assert ids_drawn(m, lambda: m.karray_assign_k2k(k, [static(0)], k, [static(3)], [], True)) == 4
        with pytest.warns(UserWarning) as rec:
            # Two takes, one event, the node.
            assert ids_drawn(m, lambda: m.karray_assign_k2k(k, [static(1)], src, [static(1)], [], True)) == 4
        assert [str(w.message) for w in rec] == [
            'karray-to-karray assign: skipped destination fields with no name+width match: ["b"]']
        # A warning turned error leaves the write made.
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            assert ids_drawn(m, lambda: pytest.raises(UserWarning, m.karray_assign_k2k, k, [static(1)], src,
                                                      [static(1)], [], True)) == 4

    def test_errors_are_raised_with_both_arrays_back(self, m):
        r, w = m.mk_karray("r", [2], [("a", 4)], REG), m.mk_karray("w", [2], [("a", 4)], WIRE)
        odd = m.mk_karray("odd", [2], [("a", 5)], REG)
        assert raised(TypeError, m.karray_assign_k2k, r, [static(0)], w, [static(0)], [], False) == \
            "`*=` (combinational assign) requires a wire-backed Karray"
        assert raised(ValueError, m.karray_assign_k2k, r, [static(0)], odd, [static(0)], [], True) == \
            "Karray assignment: no destination field matches a source field by name+width"
        assert raised(ValueError, m.karray_assign_k2k, r, [static(0)], w, [REDUCE], [], True) == \
            "Karray reduce: dimension 0 has no select fn"
        assert [m.karray_shape(k) for k in (r, w, odd)] == [[2]] * 3

    def test_a_reduced_source(self, m):
        dst, src, calls = m.mk_karray("d", [2], [("a", 4)], REG), m.mk_karray("s", [3], [("a", 4)], WIRE), []

        def first(*args):
            calls.append((args[1], args[3], args[4]))
            return m.mk_val("pick", 1, 1), []

        m.karray_assign_k2k(dst, [static(0)], src, [REDUCE], [first], True)
        assert calls == [([0], [1], 0), ([0, 1], [2], 1)]


class TestBorrows:
    def nested_in_a_warning(self, m, monkeypatch, call):
        """Runs `call` from the warnings hook of a held Karray method; returns
        what it raised."""
        k, s, out = m.mk_karray("k", [2], [("a", 4)], REG), m.mk_wire("s", 4), []

        def hook(*args, **kwargs):
            try:
                call(k)
            except BaseException as e:  # noqa: BLE001 - PanicException
                out.append(e)

        with warnings.catch_warnings():
            warnings.simplefilter("always")
            monkeypatch.setattr(warnings, "showwarning", hook)
            m.karray_assign_hcps(k, [static(0)], [("a", s), ("zz", s)], True)
        return out[0]

    def test_a_per_step_method_inside_a_held_call_panics(self, m, monkeypatch, panic_type):
        e = self.nested_in_a_warning(m, monkeypatch,
                                     lambda k: m.karray_read_field_hcp(k, [static(0)], [], "a"))
        assert type(e) is panic_type and str(e).startswith("Already borrowed")

    def test_per_step_methods_hold_nothing_while_select_functions_run(self, m):
        k, dst = m.mk_karray("k", [2], [("a", 4)], REG), m.mk_karray("d", [1], [("a", 4)], REG)
        other = m.mk_karray("o", [1], [("a", 4)], REG)

        def busy(*args):
            m.set_asm_pri_to_manual(m.get_asm_pri_val())
            m.karray_assign_hcps(other, [static(0)], [("a", m.mk_wire("x", 4))], True)
            m.karray_read_field_hcp(other, [dyn(m.mk_wire("i", 1))], [], "a")
            return m.mk_wire("p", 1), []

        m.karray_read_field_hcp(k, [REDUCE], [busy], "a")
        m.karray_assign_k2k(dst, [static(0)], k, [REDUCE], [busy], True)

    def test_other_threads_are_refused(self, m, panic_type):
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        e = run_in_thread(lambda: m.karray_read_field_hcp(k, [static(0)], [], "a"))["error"]
        assert type(e) is panic_type and "is unsendable, but sent to another thread" in str(e)
        assert m.karray_shape(k) == [2]

    def test_a_select_function_that_moves_the_model_away_panics_cleanly(self, m, panic_type):
        k, pick, backends = m.mk_karray("k", [2], [("a", 4)], REG), m.mk_wire("pick", 1), []

        def move_then(result):
            def fn(*args):
                backends.append(v.BackendVerilog(m))
                return result()
            return fn

        def fail():
            raise RuntimeError("moved")

        # The array's slot left with the model: it cannot go home, and says so.
        assert raised(panic_type, m.karray_read_field_hcp, k, [REDUCE], [move_then(fail)], "a") == (
            f"Karray 'KARRAY_k_{k.global_id}' cannot go back to its slot: its model left this "
            "ModelArena while the call ran")
        # A read that goes on finds the empty model that took its place.
        top = m.mk_module("top")
        m.track_module_at_com_init(top)
        k = m.mk_karray("k", [2], [("a", 4)], REG)
        assert raised(panic_type, m.karray_read_field_hcp, k, [REDUCE],
                      [move_then(lambda: (pick, []))], "a") == "ArenaHandle index out of range"
        # The object keeps working with its new model.
        m.set_top_module(m.mk_module("again"))
