"""Helpers of the method tests."""

import collections.abc
import importlib
import os
import threading

import pytest

from vorlent import _vorlent as v


def missing(what):
    """Skips the test for want of `what`; under CI (CI=true), where every
    test dependency is installed, fails it."""
    (pytest.fail if os.environ.get("CI") == "true" else pytest.skip)(f"{what} is not installed")


def require_module(name):
    """The module `name` (a test dependency), or the test skipped without it."""
    try:
        return importlib.import_module(name)
    except ImportError:
        missing(name)


def traced_model(stage):
    """A model whose top module is set and traced at `stage`: "com" while
    components are made, "flow" while behaviour is described."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    {"com": m.track_module_at_com_init, "flow": m.track_module_at_flow_init}[stage](top)
    return m


def ids_drawn(m, call):
    """How many global ids `call` drew, measured between two probe registers
    (ids are process-wide, so only the gap says what the call made)."""
    before = m.mk_reg("probe", 1).global_id
    call()
    return m.mk_reg("probe", 1).global_id - before - 1


def raised(exc, call, *args, **kwargs):
    """The text of the `exc` that call(*args, **kwargs) raises."""
    with pytest.raises(exc) as info:
        call(*args, **kwargs)
    return str(info.value)


def refused(m, exc, call, *args, **kwargs):
    """The text of the `exc` that call(*args, **kwargs) raises before the
    model draws any global id."""
    texts = []
    assert ids_drawn(m, lambda: texts.append(raised(exc, call, *args, **kwargs))) == 0
    return texts[0]


def narrower(src, des, des_name):
    return (f"assignment source ({src} bits) is narrower than destination '{des_name}' "
            f"({des} bits); zero-extended (unsigned) to fit")


def wider(src, des, des_name):
    return (f"assignment source ({src} bits) is wider than destination '{des_name}' "
            f"({des} bits); MSBs dropped to fit")


def run_in_thread(fn):
    """Runs fn on a new thread; returns {"result": ...} or {"error": the
    exception it raised}."""
    out = {}

    def body():
        try:
            out["result"] = fn()
        except BaseException as e:  # noqa: BLE001 - PanicException
            out["error"] = e

    t = threading.Thread(target=body)
    t.start()
    t.join()
    return out


class Liar(collections.abc.Sequence):
    """A sequence whose length may lie and whose items may run a hook."""

    def __init__(self, items, claimed, hook=None):
        self.items, self.claimed, self.hook = items, claimed, hook

    def __len__(self):
        return self.claimed

    def __getitem__(self, i):
        if self.hook:
            self.hook()
        return self.items[i]

    def __repr__(self):
        return f"Liar({self.items!r}, claimed={self.claimed}, hook={self.hook!r})"
