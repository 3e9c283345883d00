import enum
import inspect
import subprocess
import sys
import textwrap

import pytest

from vorlent import _vorlent as v

CLASSES = ["ModelArena", "HcpIdent", "Slice", "CcpIdent", "FlowBlockIdent", "ModuleIdent", "BackendVerilog"]
ENUMS = ["LogicOp", "ArbSamePriPolicy", "ArbLockedChannel", "HwComponentType", "FlowBlockType"]


def test_module_contents():
    names = CLASSES + ENUMS
    assert v.__all__ == names + v._ASM_PRIORITY_CONST_NAMES + ["_ASM_PRIORITY_CONST_NAMES"]
    assert all(type(getattr(v, n)) is int for n in v._ASM_PRIORITY_CONST_NAMES)
    assert v.__doc__ == ""
    # Its one function is the Ctrl-C tests' private hook, outside __all__.
    assert [n for n, o in vars(v).items() if inspect.isbuiltin(o) or inspect.isfunction(o)] == ["_signal_at_check"]
    for name in CLASSES:
        assert (getattr(v, name).__module__, getattr(v, name).__qualname__) == ("builtins", name)
    # Enumerations are IntEnums numbered in the model's order.
    for name in ENUMS:
        cls = getattr(v, name)
        assert issubclass(cls, enum.IntEnum) and [m.value for m in cls] == list(range(len(cls)))
    assert (v.LogicOp.ArithPlus, v.HwComponentType.WIRE, v.FlowBlockType.PickIf, len(v.LogicOp)) == (17, 6, 15, 26)


def test_every_panic_is_one_base_exception_class(panic_type):
    assert panic_type.__name__ == "PanicException" and issubclass(panic_type, BaseException)
    m = v.ModelArena()
    m.set_top_module(m.mk_module("t"))
    with pytest.raises(BaseException) as info:
        m.set_top_module(m.mk_module("t"))
    assert (type(info.value), info.value.args) == (panic_type, ("top_module is already set",))


def test_panic_exception_exists_from_start_up_and_threads_share_it():
    # A fresh interpreter: the class is made by the import, before any
    # panic, so threads meeting their first panic at once cannot make two.
    script = textwrap.dedent("""
        import gc, threading
        from vorlent import _vorlent as v
        made = [t for t in gc.get_objects() if isinstance(t, type) and t.__name__ == "PanicException"]
        barrier, seen = threading.Barrier(8), []

        def first_panic():
            m = v.ModelArena()
            barrier.wait()
            try:
                m.build_flow()
            except BaseException as e:
                seen.append(type(e))

        threads = [threading.Thread(target=first_panic) for _ in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert len(made) == 1 and seen == made * 8, (made, seen)
    """)
    subprocess.run([sys.executable, "-c", script], check=True)
