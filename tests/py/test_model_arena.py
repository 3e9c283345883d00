"""The ModelArena object: argument binding and conversion, the assignment
priority, borrows, threads and the Verilog backend's take of the model."""
import gc
import sys
import warnings

import pytest

from vorlent import _vorlent as v
from model_helpers import Liar, raised, refused, require_module, run_in_thread, traced_model

ARENA_PATH = "vorlent::applications::py::model::model_arena::PyModelArena"
BACKEND_PATH = "vorlent::applications::py::backends::verilog::backend_py::PyBackendVerilog"
OPERAND_ERROR = (
    "argument '{param}': failed to extract enum PyOperand ('Ident | Int')"
    "\n- variant Ident (Ident): failed to extract field PyOperand::Ident.0, caused by TypeError: {ident_text}"
    "\n- variant Int (Int): failed to extract field PyOperand::Int.0, caused by TypeError: "
    "'{obj_type}' object is not an instance of 'int'")
OUT_OF_RANGE = "out of range integral type conversion attempted"


class TestCalls:
    def test_binding_errors_use_the_interpreters_wording(self, arena):
        # A conversion's TypeError keeps the interpreter's own as its cause.
        with pytest.raises(TypeError) as info:
            arena.mk_module(5)
        assert (str(info.value), str(info.value.__cause__), type(info.value.__cause__)) == (
            "argument 'name': 'int' object is not an instance of 'str'", "'int' object is not an instance of 'str'",
            TypeError)
        cases = [
            (lambda: v.ModelArena(1), "ModelArena.__new__() takes 0 positional arguments but 1 was given"),
            (lambda: v.ModelArena(x=1), "ModelArena.__new__() got an unexpected keyword argument 'x'"),
            (lambda: arena.mk_module(), "ModelArena.mk_module() missing 1 required positional argument: 'name'"),
            (lambda: arena.mk_module("a", "b"), "ModelArena.mk_module() takes 1 positional argument but 2 were given"),
            (lambda: arena.mk_module("a", name="b"), "ModelArena.mk_module() got multiple values for argument 'name'"),
            (lambda: arena.get_asm_pri_val(1), "ModelArena.get_asm_pri_val() takes 0 positional arguments but 1 was given"),
            (lambda: v.BackendVerilog(), "BackendVerilog.__new__() missing 1 required positional argument: 'arena'"),
            (lambda: v.Slice(1, 2, 3), "Slice.__new__() takes from 0 to 2 positional arguments but 3 were given"),
        ]
        for call, message in cases:
            assert raised(TypeError, call) == message
        with pytest.raises(TypeError):
            v.ModelArena.mk_module(object(), "x")
        # Keywords work for every parameter, in any order.
        assert arena.mk_module(name="kw").depth_level == 0
        arena.set_asm_pri_to_manual(priority=3)
        assert arena.get_asm_pri_val() == 3
        assert [f.__text_signature__ for f in (v.ModelArena, v.ModelArena.mk_module, v.ModelArena.get_asm_pri_val,
                                               v.BackendVerilog, v.Slice)] == \
            ["()", "($self, name)", "($self)", "(arena)", "(start=..., stop=...)"]


class TestArgumentConversion:
    """Every method converts its arguments through one runtime, in parameter
    order, before the model is touched: each kind of parameter is pinned
    here once, on a method that has it."""

    def test_refused_arguments_name_their_parameter_and_make_nothing(self, m):
        reg, sub = m.mk_reg("r", 4), m.mk_module("sub")
        for call, exc, text in [
            # text
            (lambda: m.mk_module(None), TypeError, "argument 'name': 'NoneType' object is not an instance of 'str'"),
            # no UTF-8 form: a ValueError naming the argument, also inside a list
            (lambda: m.mk_module("\udc80"), ValueError,
             "argument 'name': 'utf-8' codec can't encode character '\\udc80' in position 0: surrogates not allowed"),
            (lambda: m.mk_karray("k", [2], [("a\ud800", 4)], v.HwComponentType.REG), ValueError,
             "argument 'fields': 'utf-8' codec can't encode character '\\ud800' in position 1: surrogates not allowed"),
            # 32-bit integers: anything with __index__, held to the type's range
            (lambda: m.mk_reg("r", 2**31), OverflowError, OUT_OF_RANGE),
            (lambda: m.mk_mem_blk("mem", 8, -(2**31) - 1), OverflowError, OUT_OF_RANGE),
            (lambda: m.mk_reg("r", 2**64), OverflowError, None),  # beyond the platform's long
            (lambda: m.mk_expression("e", -1, reg, reg), OverflowError, OUT_OF_RANGE),  # unsigned
            (lambda: m.gen_rotate_left("r", reg, v.Slice(), 2**63), OverflowError, None),  # 64-bit
            (lambda: m.mk_wire("w", 3.0), TypeError, "argument 'bit_width': 'float' object cannot be interpreted as an integer"),
            # 64-bit unsigned integers: the interpreter's own range errors
            (lambda: m.mk_val("k", 8, -1), OverflowError, None),
            (lambda: m.mk_val("k", 8, 2**64), OverflowError, None),
            # flags: True or False, never 0 or 1
            (lambda: m.mark_as_io(reg, 1, "p"), TypeError, "argument 'is_input': 'int' object is not an instance of 'bool'"),
            # identities and slices: an instance of the class
            (lambda: m.get_hw_bit_sz(None), TypeError, "argument 'hcp_i': 'None' is not an instance of 'HcpIdent'"),
            (lambda: m.mk_mem_ele("rd", sub, reg, 4, True), TypeError,
             "argument 'master_mem_blk_i': 'ModuleIdent' object is not an instance of 'HcpIdent'"),
            (lambda: m.gen_basic_assign(reg, reg, (0, 4)), TypeError,
             "argument 'src_slice': 'tuple' object is not an instance of 'Slice'"),
            # lists: any sequence but a str, each element by its kind
            (lambda: m.mk_val_vv("k", 70, "12"), TypeError, "argument 'limbs': Can't extract `str` to `Vec`"),
            (lambda: m.mk_val_vv("k", 70, {1}), TypeError, "argument 'limbs': 'set' object is not an instance of 'Sequence'"),
            (lambda: m.mk_val_vv("k", 70, ["1"]), TypeError,
             "argument 'limbs': 'str' object cannot be interpreted as an integer"),
            (lambda: m.mk_val_vv("k", 70, [1, -1]), OverflowError, None),
            # tuples inside lists: exactly that length
            (lambda: m.gen_any_of("any", [(reg,)]), TypeError,
             "argument 'terms': expected tuple of length 2, but got tuple of length 1"),
            (lambda: m.gen_any_of("any", [[reg, v.Slice()]]), TypeError,
             "argument 'terms': 'list' object is not an instance of 'tuple'"),
            (lambda: m.gen_any_of("any", [(reg, None)]), TypeError, "argument 'terms': 'None' is not an instance of 'Slice'"),
            # an operand: an identity or an int
            (lambda: m.gen_basic_assign(reg, "x"), TypeError, OPERAND_ERROR.format(
                param="src", obj_type="str", ident_text="'str' object is not an instance of 'HcpIdent'")),
            # the first failing parameter, before the checks on the master's
            # kind and on the width
            (lambda: m.mk_mem_ele("rd", reg, 5, 0, 1), TypeError,
             "argument 'index_ident': 'int' object is not an instance of 'HcpIdent'"),
        ]:
            got = refused(m, exc, call)
            assert text is None or got == text
        # The interpreter's error stays as the cause of one that names the argument.
        with pytest.raises(ValueError) as info:
            m.mk_reg("\udfff", 1)
        assert type(info.value) is ValueError and type(info.value.__cause__) is UnicodeEncodeError

    def test_a_list_is_read_item_by_item_whatever_length_it_claims(self, m):
        reg = m.mk_reg("r", 4)
        # Room for 2**40 items is never asked for: the missing item fails the call.
        for call in (lambda: m.mk_val_vv("k", 70, Liar([1, 2], 2**40)),
                     lambda: m.gen_any_of("any", Liar([(reg, v.Slice(0, 1))], 2**40)),
                     lambda: m.mk_karray("k", Liar([2], 2**40), [("a", 1)], v.HwComponentType.REG),
                     lambda: m.mk_karray("k", [2], Liar([("a", 1), ("b", 2)], 2**40), v.HwComponentType.REG)):
            assert refused(m, IndexError, call) == "list index out of range"

    def test_accepted_arguments(self, m):
        reg = m.mk_reg("r", 8)
        # The edges of 32 bits; anything with __index__: enumeration members, bools.
        for priority, got in [(2**31 - 1, 2**31 - 1), (-(2**31), -(2**31)), (v.LogicOp.ArithPlus, 17), (True, 1)]:
            m.set_asm_pri_to_manual(priority)
            assert m.get_asm_pri_val() == got
        assert m.mk_val("k", 64, 2**64 - 1).hw_type == "VAL"
        # Any sequence of any length.
        for limbs in ((5,), range(2)):
            assert m.get_hw_bit_sz(m.mk_val_vv("k", 70, limbs)) == 70
        assert m.gen_any_of("t", ((reg, v.Slice(0, 1)), (reg, v.Slice()))).hw_type == "EXPR"
        # None and omitted are the same for an optional parameter (equal
        # widths: any resize warning would fail the test).
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            m.gen_basic_assign(reg, reg, None, None)
            # bool and enumeration members are int operands.
            m.gen_basic_assign(reg, True)
            m.gen_basic_assign(reg, v.LogicOp.ArithPlus)

    def test_numpy_scalars_are_ints_by_index_and_its_bools_flags(self):
        np = require_module("numpy")
        m = traced_model("flow")
        assert m.get_hw_bit_sz(m.mk_reg("n", np.int32(5))) == m.get_hw_bit_sz(m.mk_reg("n", np.int64(5))) == 5
        # An assigned wire may leave as an output port but not enter as an input.
        assigned = m.mk_wire("w", 4)
        m.gen_basic_assign(assigned, 1)
        refused(m, ValueError, m.mark_as_io, assigned, np.True_, "p")
        m.mark_as_io(assigned, np.False_, "q")

    def test_an_index_method_that_fails_is_raised_as_is(self, arena):
        class Bad:
            def __index__(self):
                raise ValueError("no index today")

        arena.set_asm_pri_to_manual(4)
        assert raised(ValueError, arena.set_asm_pri_to_manual, Bad()) == "no index today"
        # A refused argument changes nothing.
        assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Manual", 4)


def test_priority_is_shared_by_the_models_of_a_thread(arena):
    def state(m):
        return m.get_asm_pri_mode(), m.get_asm_pri_val()

    assert state(arena) == ("Auto", 10)
    arena.set_asm_pri_to_manual(-5)
    assert state(v.ModelArena()) == ("Manual", -5)

    def other():
        seen = state(v.ModelArena())
        v.ModelArena().set_asm_pri_to_manual(7)
        return seen

    assert run_in_thread(other)["result"] == ("Auto", 10)
    assert state(arena) == ("Manual", -5)
    arena.set_asm_pri_to_auto()
    assert state(arena) == ("Auto", 10)


class TestBorrow:
    def test_reentry_during_argument_conversion(self, arena, panic_type):
        class Reenter:
            def __init__(self, call):
                self.call = call

            def __index__(self):
                self.call()
                return 3

        # Exclusive call running; another exclusive call is refused ...
        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            arena.set_asm_pri_to_manual(Reenter(arena.set_asm_pri_to_auto))
        # ... and so is a shared one.
        with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
            arena.set_asm_pri_to_manual(Reenter(arena.get_asm_pri_val))
        # Other objects are not held.
        other = v.ModelArena()
        arena.set_asm_pri_to_manual(Reenter(other.set_asm_pri_to_auto))
        assert arena.get_asm_pri_val() == 3

        # The borrow is released on every path: after errors and panics too.
        with pytest.raises(panic_type):
            arena.untrack_module_at_com_init(arena.mk_module("m"))
        arena.set_asm_pri_to_manual(Reenter(lambda: None))
        assert arena.get_asm_pri_val() == 3

    def test_backend_cannot_take_a_model_in_use(self, arena):
        top = arena.mk_module("top")

        class TakeModel:
            def __index__(self):
                v.BackendVerilog(arena)
                return 1

        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            arena.set_asm_pri_to_manual(TakeModel())
        # The model stayed where it was.
        arena.set_top_module(top)


class TestTakes:
    def test_a_failing_later_step_leaves_every_element_taken_before_it_home(self, m, panic_type):
        """Each call takes one or two elements out, then fails; its probe takes
        them again, which fails if any was left out of its slot."""
        # A signal whose conversion passes but whose take is refused: a
        # multiplexer that a select function kept of a read that then failed,
        # and that the failure took out for good.
        kept, one_bit = [], m.mk_wire("c", 1)

        def keep_and_fail(a_fields, a_coords, b_fields, b_coords, level):
            if level == 1:
                kept.append(a_fields[0][1])
                raise RuntimeError("kept")
            return one_bit, []

        with pytest.raises(RuntimeError):
            m.karray_read_field_hcp(m.mk_karray("four", [4], [("a", 1)], v.HwComponentType.WIRE),
                                    [("reduce", [], [])], [keep_and_fail], "a")
        gone_wire = kept[0]
        k, src = (m.mk_karray(name, [2], [("a", 1)], v.HwComponentType.REG) for name in ("k", "src"))
        elem = m.karray_element_hcp(k, [0], "a")
        m.karray_reset_field(k, "a", 0)
        cnt, sub = m.mk_dyn_counter("c", 4), m.mk_module("sub")
        n = v.ModelArena()
        n_top = n.mk_module("n")
        n.track_module_at_com_init(n_top)
        arb = n.mk_arb("a", 0)
        n.untrack_module_at_com_init(n_top)
        static, dyn_gone = ("static", [0], []), ("dyn", [], [gone_wire])

        def k2k(dst_sel, src_i, src_sel):
            return lambda: m.karray_assign_k2k(k, dst_sel, src_i, src_sel, [], True)

        def build_with_a_module_under_itself():
            for call in (m.track_module_at_com_init,) * 2 + (m.untrack_module_at_com_init,) * 2:
                call(sub)
            m.build_flow()

        def take_top_and_sub():
            late = m.mk_module("late")
            m.track_module_at_com_init(late)
            m.untrack_module_at_com_init(late)  # files `late` in the top module
            m.track_module_at_com_init(sub)
            m.mk_reg("in_sub", 1)  # files the register in `sub`

        def k2k_from_a_read_of_src():
            # The read keeps `src` out of its slot while its select function runs.
            def select(*args):
                k2k([static], src, [static])()
            m.karray_read_field_hcp(src, [("reduce", [], [])], [select], "a")

        taken_out = f"ArenaHandle element (global id {gone_wire.global_id}) is already taken out of its arena"
        cases = [
            # the destination is out when the source's take fails
            (k2k_from_a_read_of_src, f"ArenaHandle element (global id {src.global_id}) is already taken out of its "
             "arena", k2k([static], src, [static])),
            # both arrays are out when the read, or the write, fails
            (k2k([static], src, [dyn_gone]), taken_out, k2k([static], src, [static])),
            (k2k([dyn_gone], src, [static]), taken_out, k2k([static], src, [static])),
            (lambda: m.karray_read_field_hcp(k, [dyn_gone], [None], "a"), taken_out, lambda: m.karray_shape(k)),
            (lambda: m.karray_assign_hcps(k, [static], [("a", gone_wire)], True), taken_out,
             lambda: m.karray_shape(k)),
            # the array and the field's first register
            (lambda: m.karray_reset_field(k, "a", 1), "reset_val is set already",
             lambda: (m.karray_shape(k), m.mark_as_io(elem, False, "e"))),
            (lambda: m.dyn_counter_add(cnt, gone_wire), taken_out, lambda: m.dyn_counter_get_now(cnt)),
            # the arbiter, when its new leaf finds no module traced
            (lambda: n.arb_add_leaf(arb, 1), "module trace stack is empty", lambda: n.arb_leaf_count(arb)),
            # the top module and `sub`
            (build_with_a_module_under_itself,
             f'build_flow: module "MODULE_sub_{sub.global_id}" (id {sub.global_id}) appears more than once '
             "in the module tree", take_top_and_sub),
        ]
        for call, text, probe in cases:
            assert raised(panic_type, call) == text
            probe()

    def test_identities_of_another_model_are_refused_naming_the_argument(self, panic_type):
        """Each identity of one of two models of the same shape would name a slot
        of the other holding another element: its conversion refuses it, also
        when it would be kept for later, inside a list, or its model is gone."""
        def shaped():
            m = traced_model("com")
            reg, wire, val = m.mk_reg("r", 4), m.mk_wire("w", 2), m.mk_val("v", 4, 1)
            blk, sub, arb = m.mk_mem_blk("b", 4, 2), m.mk_module("sub"), m.mk_arb("a", 0)
            k = m.mk_karray("k", [2], [("f", 1)], v.HwComponentType.REG)
            return m, reg, wire, val, blk, sub, arb, k

        m, reg, wire, val, blk, sub, arb, k = shaped()
        far, far_reg, far_wire, far_val, far_blk, far_sub, far_arb, far_k = shaped()
        gone = traced_model("com")
        gone_arb = gone.mk_arb("g", 0)
        del gone
        gc.collect()
        # What a Karray read hands back, and a field its select function is given.
        given, reads = [], [m.karray_read_field_hcp(k, [("static", [1], [])], [None], "f")]
        for model, karray in ((m, k), (far, far_k)):
            reads.append(model.karray_read_field_hcp(karray, [("dyn", [], [model.mk_wire("i", 1)])], [None], "f"))
            reads.append(model.karray_read_field_hcp(karray, [("reduce", [], [])], [
                lambda a, a_at, b, b_at, level, model=model: (given.append(a[0][1]), (model.mk_wire("p", 1), []))[1]
            ], "f"))
        far_read = far.karray_read_field_hcp(far_k, [("static", [1], [])], [None], "f")
        cases = [
            (lambda: m.set_reg_reset(reg, far_val), "reset_val_i", far.hcp_verilog_name(far_val)),
            (lambda: m.set_wire_default(wire, far_val), "default_val_i", far.hcp_verilog_name(far_val)),
            (lambda: m.get_hw_bit_sz(far_wire), "hcp_i", far.hcp_verilog_name(far_wire)),
            (lambda: m.hcp_verilog_name(far_reg), "hcp_i", far.hcp_verilog_name(far_reg)),
            (lambda: m.mk_expression("e", v.LogicOp.ArithPlus, reg, far_val), "b", far.hcp_verilog_name(far_val)),
            (lambda: m.mk_mem_ele("e", far_blk, reg, 4, True), "master_mem_blk_i", far.hcp_verilog_name(far_blk)),
            (lambda: m.gen_mux("x", reg, v.Slice(0, 1), far_wire, wire), "if_true", far.hcp_verilog_name(far_wire)),
            # kept for a later step
            (lambda: m.mk_flow_block_zstate("z", far_reg), "state_i", far.hcp_verilog_name(far_reg)),
            (lambda: m.track_module_at_com_init(far_sub), "module_i", far.module_verilog_name(far_sub)),
            # an arbiter, also inside a list, and one of a model that is gone
            (lambda: m.mk_flow_block_pip("p", far_arb), "arb_i", f"ARB_a_{far_arb.global_id}"),
            (lambda: m.mk_flow_block_zync("z", far_arb), "arb_i", f"ARB_a_{far_arb.global_id}"),
            (lambda: m.mk_flow_block_zync_multi("z", [(arb, None, False, None), (far_arb, None, False, None)], True),
             "binds", f"ARB_a_{far_arb.global_id}"),
            (lambda: m.arb_add_leaf(gone_arb, 1), "arb_i", f"ARB_g_{gone_arb.global_id}"),
            # a call that borrows the model per step, and a signal inside a selector
            (lambda: m.karray_read_field_hcp(far_k, [("static", [0], [])], [None], "f"), "karray_i",
             f"KARRAY_k_{far_k.global_id}"),
            (lambda: m.karray_read_field_hcp(k, [("dyn", [], [far_wire])], [None], "f"), "sel",
             far.hcp_verilog_name(far_wire)),
            # what a Karray read of the other model handed back
            (lambda: m.get_hw_bit_sz(far_read), "hcp_i", far.hcp_verilog_name(far_read)),
            (lambda: m.mk_expression("e", v.LogicOp.ArithPlus, reg, reads[3]), "b", far.hcp_verilog_name(reads[3])),
            (lambda: m.set_wire_default(wire, reads[4]), "default_val_i", far.hcp_verilog_name(reads[4])),
            (lambda: m.hcp_verilog_name(given[1]), "hcp_i", far.hcp_verilog_name(given[1])),
        ]
        for call, param, name in cases:
            assert refused(m, panic_type, call) == f"argument '{param}': {name} belongs to another model"
        assert m.get_hw_bit_sz(wire) == 2
        m.set_reg_reset(reg, val)
        assert m.arb_add_leaf(arb, 1) == 0
        # Its own model takes what a read handed back.
        assert [m.get_hw_bit_sz(r) for r in reads[:3] + given[:1]] == [1, 1, 1, 1]
        assert m.hcp_verilog_name(reads[0]) == m.hcp_verilog_name(m.karray_element_hcp(k, [1], "f"))
        m.gen_basic_assign(m.mk_wire("o", 1), reads[2])


class TestThreads:
    def test_methods_refuse_other_threads(self, arena, panic_type):
        out = run_in_thread(lambda: arena.mk_module("x"))
        assert type(out["error"]) is panic_type
        text = str(out["error"])
        assert text.startswith(f"assertion `left == right` failed: {ARENA_PATH} is unsendable, but sent to another thread\n  left: ")
        assert "\n right: " in text
        # Shared methods too, and BackendVerilog from another thread.
        assert type(run_in_thread(arena.get_asm_pri_val)["error"]) is panic_type
        assert type(run_in_thread(lambda: v.BackendVerilog(arena))["error"]) is panic_type
        # Identities and slices may go to other threads.
        top = arena.mk_module("top")
        assert run_in_thread(lambda: (top.global_id, repr(v.Slice(1, 2))))["result"] == \
            (top.global_id, "Slice(start=1, stop=2)")
        # Nothing changed on the owner's side.
        arena.set_top_module(top)

    @pytest.mark.parametrize("make, path", [
        (lambda: v.ModelArena(), ARENA_PATH),
        (lambda: v.BackendVerilog(v.ModelArena()), BACKEND_PATH),
    ])
    def test_dropping_on_another_thread_is_reported(self, monkeypatch, make, path):
        reports = []
        monkeypatch.setattr(sys, "unraisablehook", reports.append)
        holder = run_in_thread(make)
        assert reports == []
        del holder
        gc.collect()
        assert [(r.exc_type, str(r.exc_value)) for r in reports] == \
            [(RuntimeError, f"{path} is unsendable, but is being dropped on another thread")]


class TestBackendVerilog:
    def test_takes_the_model_and_leaves_an_empty_one(self, arena, panic_type):
        old, backend = arena.mk_module("old"), v.BackendVerilog(arena)
        assert type(backend) is v.BackendVerilog
        # The arena holds a new, empty model: the old module is not in it.
        assert raised(panic_type, arena.set_top_module, old) == \
            f"argument 'module_i': MODULE_old_{old.global_id} belongs to another model"
        # ... and stays usable; global ids keep counting.
        new = arena.mk_module("new")
        assert new.global_id > old.global_id
        arena.set_top_module(new)
        # A second backend takes that model in turn.
        v.BackendVerilog(arena=arena)

        for bad, kind in [(3, "'int' object"), (None, "'None'"), (v.BackendVerilog(arena), "'BackendVerilog' object")]:
            assert raised(TypeError, v.BackendVerilog, bad) == f"argument 'arena': {kind} is not an instance of 'ModelArena'"
