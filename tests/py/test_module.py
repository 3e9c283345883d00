import enum
import inspect
import subprocess
import sys
import textwrap

from vorlent import _vorlent as v

CLASSES = ["ModelArena", "HcpIdent", "Slice", "CcpIdent", "FlowBlockIdent", "ModuleIdent", "BackendVerilog"]
ENUMS = ["LogicOp", "ArbSamePriPolicy", "ArbLockedChannel", "HwComponentType", "FlowBlockType"]
CONSTANTS = {
    "DEFAULT_UE_PRI_USER": 10,
    "DEFAULT_UE_PRI_INTERNAL_MAX": 100,
    "DEFAULT_UE_PRI_INTERNAL_MIN": 50,
    "DEFAULT_UE_PRI_RST": 2147483647,
    "DEFAULT_UE_PRI_MIN": 0,
    "DEFAULT_UE_PRI_FALLBACK": 1,
    "DEFAULT_UE_SUB_PRIORITY_USER": 0,
}


def test_all_lists_every_name_in_order_and_doc_is_empty():
    assert v.__all__ == CLASSES + ENUMS + list(CONSTANTS) + ["_ASM_PRIORITY_CONST_NAMES"]
    assert v.__doc__ == ""
    for name in v.__all__:
        assert hasattr(v, name)


def test_module_has_no_functions_of_its_own():
    assert not [n for n, o in vars(v).items() if inspect.isbuiltin(o) or inspect.isfunction(o)]


def test_classes_live_in_builtins():
    for name in CLASSES:
        cls = getattr(v, name)
        assert cls.__module__ == "builtins"
        assert cls.__qualname__ == name


def test_enumerations_are_int_enums_numbered_in_model_order():
    for name in ENUMS:
        cls = getattr(v, name)
        assert issubclass(cls, enum.IntEnum)
        assert [m.value for m in cls] == list(range(len(cls)))

    assert [m.name for m in v.LogicOp][:9] == [
        "BitwiseAnd", "BitwiseOr", "BitwiseXor", "BitwiseInvr", "BitwiseShl", "BitwiseShr",
        "LogicalAnd", "LogicalOr", "LogicalNot",
    ]
    assert (v.LogicOp.ArithPlus, v.LogicOp.SliceBit, v.LogicOp.Dummy, len(v.LogicOp)) == (17, 23, 25, 26)
    assert [m.name for m in v.ArbSamePriPolicy] == ["AckOne", "AckAll", "NotAck"]
    assert [m.name for m in v.ArbLockedChannel] == ["Req", "Ack"]
    assert [m.name for m in v.HwComponentType] == [
        "REG", "SR_ST", "SR_CDWT", "SR_CYWT", "CNT_REG", "SR_SY", "WIRE", "NEST", "VAL",
        "MEM_BLOCK_INDEXER", "EXPR", "IO_WIRE", "MEM_BLOCK",
    ]
    # Flow-block kinds use CamelCase names, unlike the display texts of the identities.
    assert [m.name for m in v.FlowBlockType] == [
        "Sequential", "Parallel", "CondIf", "CondElif", "ZeroCondIf", "ZeroCondElif", "ZeroSwitch",
        "ZeroSwitchCase", "WhileLoop", "DoWhile", "CounterLoop", "Wait", "Pipeline", "Zync", "Pick",
        "PickIf",
    ]


def test_priority_constants():
    for name, value in CONSTANTS.items():
        assert getattr(v, name) == value and type(getattr(v, name)) is int
    assert v._ASM_PRIORITY_CONST_NAMES == list(CONSTANTS)


def test_panic_exception_is_a_base_exception_outside_the_module(panic_type):
    assert panic_type.__name__ == "PanicException"
    assert issubclass(panic_type, BaseException)
    assert not issubclass(panic_type, Exception)
    assert not hasattr(v, "PanicException")
    # One class for every panic.
    m = v.ModelArena()
    m.set_top_module(m.mk_module("t"))
    try:
        m.set_top_module(m.mk_module("t"))
    except BaseException as e:  # noqa: BLE001
        assert type(e) is panic_type
        assert e.args == ("top_module is already set",)


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
