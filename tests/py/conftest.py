import gc

import pytest

import vorlent
from vorlent import _vorlent as v
from model_helpers import traced_model


@pytest.fixture
def arena():
    return v.ModelArena()


@pytest.fixture
def m():
    """A model whose top module is set and traced while components are made
    (files that describe behaviour override it)."""
    return traced_model("com")


@pytest.fixture(autouse=True)
def auto_priority():
    """The assignment priority is per thread; leave it as a new thread has it."""
    yield
    v.ModelArena().set_asm_pri_to_auto()


@pytest.fixture(autouse=True)
def collect_garbage():
    """Models are bound to the thread that made them. One left in a reference
    cycle (a traceback, a hook closure) is freed by whichever thread next runs
    the cyclic collector, which may be a worker thread of a later test: free
    each test's garbage here, on the thread that made it."""
    yield
    gc.collect()


@pytest.fixture
def panic_type():
    """The class of every panic, as the package exports it."""
    return vorlent.PanicException
