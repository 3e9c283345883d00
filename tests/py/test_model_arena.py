import gc
import sys
import threading

import pytest

from vorlent import _vorlent as v

ARENA_PATH = "vorlent::applications::py::model::model_arena::PyModelArena"
BACKEND_PATH = "vorlent::applications::py::backends::verilog::backend_py::PyBackendVerilog"


def run_in_thread(fn):
    """Runs fn on a new thread; returns its result or the exception it raised."""
    out = {}

    def body():
        try:
            out["result"] = fn()
        except BaseException as e:  # noqa: BLE001
            out["error"] = e

    t = threading.Thread(target=body)
    t.start()
    t.join()
    return out


class TestCalls:
    def test_constructor_takes_no_arguments(self):
        with pytest.raises(TypeError, match=r"^ModelArena.__new__\(\) takes 0 positional arguments but 1 was given$"):
            v.ModelArena(1)
        with pytest.raises(TypeError, match=r"^ModelArena.__new__\(\) got an unexpected keyword argument 'x'$"):
            v.ModelArena(x=1)
        assert v.ModelArena.__text_signature__ == "()"

    def test_text_signatures(self):
        assert v.ModelArena.mk_module.__text_signature__ == "($self, name)"
        assert v.ModelArena.set_asm_pri_to_manual.__text_signature__ == "($self, priority)"
        assert v.ModelArena.get_asm_pri_val.__text_signature__ == "($self)"

    def test_binding_errors_use_the_interpreters_wording(self, arena):
        cases = [
            (lambda: arena.mk_module(), "ModelArena.mk_module() missing 1 required positional argument: 'name'"),
            (lambda: arena.mk_module("a", "b"), "ModelArena.mk_module() takes 1 positional argument but 2 were given"),
            (lambda: arena.mk_module("a", name="b"), "ModelArena.mk_module() got multiple values for argument 'name'"),
            (lambda: arena.mk_module(nam="a"), "ModelArena.mk_module() got an unexpected keyword argument 'nam'"),
            (lambda: arena.get_asm_pri_val(1), "ModelArena.get_asm_pri_val() takes 0 positional arguments but 1 was given"),
            (lambda: arena.set_asm_pri_to_manual(), "ModelArena.set_asm_pri_to_manual() missing 1 required positional argument: 'priority'"),
            (lambda: v.BackendVerilog(), "BackendVerilog.__new__() missing 1 required positional argument: 'arena'"),
        ]
        for call, message in cases:
            with pytest.raises(TypeError) as info:
                call()
            assert str(info.value) == message
        # Keywords work for every parameter.
        assert arena.mk_module(name="kw").depth_level == 0
        arena.set_asm_pri_to_manual(priority=3)
        assert arena.get_asm_pri_val() == 3

    def test_receiver_must_be_a_model_arena(self):
        with pytest.raises(TypeError):
            v.ModelArena.mk_module(object(), "x")


class TestArgumentConversion:
    def test_text_arguments(self, arena):
        with pytest.raises(TypeError) as info:
            arena.mk_module(5)
        assert str(info.value) == "argument 'name': 'int' object is not an instance of 'str'"
        assert isinstance(info.value.__cause__, TypeError)
        assert str(info.value.__cause__) == "'int' object is not an instance of 'str'"
        with pytest.raises(TypeError, match=r"^argument 'name': 'NoneType' object is not an instance of 'str'$"):
            arena.mk_module(None)
        with pytest.raises(TypeError, match=r"^argument 'name': 'bytes' object"):
            arena.mk_module(b"top")
        # Lone surrogates have no UTF-8 form: the interpreter's error, unchanged.
        with pytest.raises(UnicodeEncodeError):
            arena.mk_module("\udc80")
        # Multi-byte names are fine.
        arena.mk_module("modül")

    def test_identity_arguments(self, arena):
        with pytest.raises(TypeError) as info:
            arena.track_module_at_com_init(None)
        assert str(info.value) == "argument 'module_i': 'None' is not an instance of 'ModuleIdent'"
        with pytest.raises(TypeError, match=r"^argument 'module_i': 'Slice' object is not an instance of 'ModuleIdent'$"):
            arena.set_top_module(v.Slice())
        with pytest.raises(TypeError, match=r"^argument 'module_i': 'str' object is not an instance of 'ModuleIdent'$"):
            arena.untrack_module_at_com_init("top")

    def test_signed_32_bit_arguments(self, arena):
        arena.set_asm_pri_to_manual(2**31 - 1)
        assert arena.get_asm_pri_val() == 2**31 - 1
        arena.set_asm_pri_to_manual(-(2**31))
        assert arena.get_asm_pri_val() == -(2**31)
        # Anything with __index__ converts: enumeration members, bools.
        arena.set_asm_pri_to_manual(v.LogicOp.ArithPlus)
        assert arena.get_asm_pri_val() == 17
        arena.set_asm_pri_to_manual(True)
        assert arena.get_asm_pri_val() == 1

        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            arena.set_asm_pri_to_manual(2**31)
        with pytest.raises(OverflowError):
            arena.set_asm_pri_to_manual(2**64)  # beyond the platform's long
        with pytest.raises(TypeError, match=r"^argument 'priority': 'float' object cannot be interpreted as an integer$"):
            arena.set_asm_pri_to_manual(3.0)
        with pytest.raises(TypeError, match=r"^argument 'priority': 'NoneType' object cannot be interpreted as an integer$"):
            arena.set_asm_pri_to_manual(None)
        with pytest.raises(TypeError, match=r"^argument 'priority': "):
            arena.set_asm_pri_to_manual("7")
        # A refused argument changes nothing.
        assert arena.get_asm_pri_val() == 1
        assert arena.get_asm_pri_mode() == "Manual"

    def test_an_index_method_that_fails_is_raised_as_is(self, arena):
        class Bad:
            def __index__(self):
                raise ValueError("no index today")

        with pytest.raises(ValueError, match="^no index today$"):
            arena.set_asm_pri_to_manual(Bad())


class TestPriority:
    def test_manual_and_auto(self, arena):
        assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Auto", 10)
        arena.set_asm_pri_to_manual(-5)
        assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Manual", -5)
        # Shared by every model on the thread.
        assert v.ModelArena().get_asm_pri_val() == -5
        arena.set_asm_pri_to_auto()
        assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Auto", 10)

    def test_state_is_per_thread(self, arena):
        arena.set_asm_pri_to_manual(42)

        def other():
            m = v.ModelArena()
            seen = (m.get_asm_pri_mode(), m.get_asm_pri_val())
            m.set_asm_pri_to_manual(7)
            return seen

        assert run_in_thread(other)["result"] == ("Auto", 10)
        assert arena.get_asm_pri_val() == 42


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
        # Nothing changed on the owner's side.
        arena.set_top_module(arena.mk_module("top"))

    def test_other_threads_may_pass_identities_and_slices(self, arena):
        top = arena.mk_module("top")
        out = run_in_thread(lambda: (top.global_id, repr(v.Slice(1, 2))))
        assert out["result"] == (top.global_id, "Slice(start=1, stop=2)")

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
        assert len(reports) == 1
        assert reports[0].exc_type is RuntimeError
        assert str(reports[0].exc_value) == f"{path} is unsendable, but is being dropped on another thread"


class TestPanics:
    def test_panics_escape_except_exception(self, arena, panic_type):
        with pytest.raises(panic_type):
            try:
                arena.untrack_module_at_com_init(arena.mk_module("m"))
            except Exception:  # noqa: BLE001
                pytest.fail("PanicException must not be an Exception")

    def test_name_longer_than_256_bytes(self, arena, panic_type):
        with pytest.raises(panic_type) as info:
            arena.mk_module("n" * 257)
        assert str(info.value) == 'name exceeds MAX_NAME_LEN (256): "' + "n" * 257 + '"'
        # The absolute name counts too.
        with pytest.raises(panic_type, match=r"^name exceeds MAX_NAME_LEN \(256\): \"MODULE_n"):
            arena.mk_module("n" * 256)


class TestModules:
    def test_untrack_checks_the_stack(self, arena, panic_type):
        top = arena.mk_module("top")
        other = arena.mk_module("other")
        with pytest.raises(panic_type, match="^module trace stack is empty$"):
            arena.untrack_module_at_flow_init(top)
        with pytest.raises(panic_type, match="^module trace stack is empty$"):
            arena.untrack_module_at_com_init(top)

        arena.track_module_at_flow_init(top)
        with pytest.raises(panic_type) as info:
            arena.untrack_module_at_com_init(other)
        assert str(info.value).startswith(
            "assertion `left == right` failed: finalize_module: ident mismatch \u2014 wrong module finalized\n"
            "  left: ModuleIdent { "
        )
        assert "\n right: ModuleIdent { " in str(info.value)
        # The mismatched entry stays removed.
        with pytest.raises(panic_type, match="^module trace stack is empty$"):
            arena.untrack_module_at_flow_init(top)

    def test_stage_of_the_popped_entry_is_not_compared(self, arena):
        top = arena.mk_module("top")
        arena.track_module_at_flow_init(top)
        arena.untrack_module_at_com_init(top)
        arena.track_module_at_com_init(top)
        arena.untrack_module_at_flow_init(top)

    def test_nesting_records_depth(self, arena):
        top = arena.mk_module("top")
        arena.track_module_at_com_init(top)
        child = arena.mk_module("child")
        arena.track_module_at_com_init(child)
        grandchild = arena.mk_module("grandchild")
        arena.untrack_module_at_com_init(child)
        arena.untrack_module_at_com_init(top)
        assert [m.depth_level for m in (top, child, grandchild)] == [0, 1, 2]
        assert arena.mk_module("root2").depth_level == 0

    def test_top_module_is_set_once(self, arena, panic_type):
        arena.set_top_module(arena.mk_module("top"))
        with pytest.raises(panic_type, match="^top_module is already set$"):
            arena.set_top_module(arena.mk_module("other"))

    def test_bad_handle_leaves_no_top_module(self, arena, panic_type):
        foreign = v.ModelArena().mk_module("elsewhere")
        with pytest.raises(panic_type, match="^ArenaHandle index out of range$"):
            arena.set_top_module(foreign)
        # Nothing was recorded, so a good module can still become the top.
        arena.set_top_module(arena.mk_module("top"))


class TestBackendVerilog:
    def test_takes_the_model_and_leaves_an_empty_one(self, arena, panic_type):
        old = arena.mk_module("old")
        backend = v.BackendVerilog(arena)
        assert type(backend) is v.BackendVerilog
        # The arena holds a new, empty model: the old module is not in it.
        with pytest.raises(panic_type, match="^ArenaHandle index out of range$"):
            arena.set_top_module(old)
        # ... and stays usable; global ids keep counting.
        new = arena.mk_module("new")
        assert new.global_id > old.global_id
        arena.set_top_module(new)
        # A second backend takes that model in turn.
        v.BackendVerilog(arena=arena)

    def test_argument_must_be_a_model_arena(self, arena):
        with pytest.raises(TypeError) as info:
            v.BackendVerilog(3)
        assert str(info.value) == "argument 'arena': 'int' object is not an instance of 'ModelArena'"
        assert isinstance(info.value.__cause__, TypeError)
        with pytest.raises(TypeError, match=r"^argument 'arena': 'None' is not an instance of 'ModelArena'$"):
            v.BackendVerilog(None)
        with pytest.raises(TypeError, match=r"^argument 'arena': 'BackendVerilog' object is not an instance of 'ModelArena'$"):
            v.BackendVerilog(v.BackendVerilog(arena))
        assert v.BackendVerilog.__text_signature__ == "(arena)"
