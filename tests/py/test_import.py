import subprocess
import sys

import pytest

import vorlent
from vorlent import _vorlent


def test_package_re_exports_the_extension_and_the_panic_class():
    assert _vorlent.__name__ == "vorlent._vorlent" and vorlent._vorlent is _vorlent
    assert vorlent.__all__ == _vorlent.__all__ + ["PanicException"]
    for name in _vorlent.__all__:
        assert getattr(vorlent, name) is getattr(_vorlent, name)
    assert not hasattr(_vorlent, "PanicException")


def test_importing_the_package_draws_no_global_id():
    # A fresh process: the package's import makes its panic on a throwaway
    # model, and the first element made afterwards still gets id 0.
    run = subprocess.run([sys.executable, "-c", "import vorlent; print(vorlent.ModelArena().mk_module('m').global_id)"],
                         capture_output=True, text=True, check=True)
    assert run.stdout == "0\n"


def test_mistakes_raise_and_the_model_goes_on(tmp_path):
    m = vorlent.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    r = m.mk_reg("r", 8)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    pytest.raises(TypeError, m.mk_flow_block_sywait, "w", "3")
    pytest.raises(ValueError, m.mk_flow_block_sywait, "w", 0)
    # A broken rule of the model is a PanicException, which `except Exception` lets through.
    assert not issubclass(vorlent.PanicException, Exception)
    pytest.raises(vorlent.PanicException, m.mk_flow_block_counter_loop, "c", 0)
    pytest.raises(vorlent.PanicException, m.set_top_module, top)
    # The model is still whole: the description goes on, builds and is written.
    loop = m.mk_flow_block_counter_loop("c", 2)
    m.initialize_flow_block(loop)
    body = m.mk_flow_block_seq("s")
    m.initialize_flow_block(body)
    m.gen_basic_assign(r, 1)
    m.finalize_flow_block(body)
    m.finalize_flow_block(loop)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    m.build_flow()
    vorlent.BackendVerilog(m).emit(str(tmp_path), "top")
    assert (tmp_path / "top.v").read_text().startswith("/" * 80)
