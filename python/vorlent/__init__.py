"""vorlent: the native core of a hardware construction language.

The extension module ``vorlent._vorlent`` holds a whole hardware design in one
in-memory model, lowers its structured control flow into clocked state
machines and writes it as Verilog, one file per module. Its public names are
re-exported here, together with ``PanicException``, the exception through
which a broken invariant of the model reaches Python (a ``BaseException``, so
``except Exception`` does not catch it). See docs/guide.md.
"""

from vorlent import _vorlent  # noqa: F401
from vorlent._vorlent import (
    DEFAULT_UE_PRI_FALLBACK,
    DEFAULT_UE_PRI_INTERNAL_MAX,
    DEFAULT_UE_PRI_INTERNAL_MIN,
    DEFAULT_UE_PRI_MIN,
    DEFAULT_UE_PRI_RST,
    DEFAULT_UE_PRI_USER,
    DEFAULT_UE_SUB_PRIORITY_USER,
    _ASM_PRIORITY_CONST_NAMES,
    ArbLockedChannel,
    ArbSamePriPolicy,
    BackendVerilog,
    CcpIdent,
    FlowBlockIdent,
    FlowBlockType,
    HcpIdent,
    HwComponentType,
    LogicOp,
    ModelArena,
    ModuleIdent,
    Slice,
)


def _panic_exception_class() -> type[BaseException]:
    """The class the extension raises for a broken invariant. It is not an
    attribute of the extension module, so it is taken from a real panic: a
    throwaway empty model refuses `build_flow` before it changes anything or
    draws a global id, so the ids of every later design are unchanged."""
    try:
        ModelArena().build_flow()
    except BaseException as e:  # noqa: BLE001 - the class is what we are after
        if type(e).__name__ != "PanicException":
            raise
        return type(e)
    raise ImportError("vorlent: an empty model accepted build_flow")


PanicException = _panic_exception_class()

__all__ = [
    "ModelArena",
    "HcpIdent",
    "Slice",
    "CcpIdent",
    "FlowBlockIdent",
    "ModuleIdent",
    "BackendVerilog",
    "LogicOp",
    "ArbSamePriPolicy",
    "ArbLockedChannel",
    "HwComponentType",
    "FlowBlockType",
    "DEFAULT_UE_PRI_USER",
    "DEFAULT_UE_PRI_INTERNAL_MAX",
    "DEFAULT_UE_PRI_INTERNAL_MIN",
    "DEFAULT_UE_PRI_RST",
    "DEFAULT_UE_PRI_MIN",
    "DEFAULT_UE_PRI_FALLBACK",
    "DEFAULT_UE_SUB_PRIORITY_USER",
    "_ASM_PRIORITY_CONST_NAMES",
    "PanicException",
]
