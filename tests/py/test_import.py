import ast
import enum
import inspect
import pathlib
import pydoc
import re
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


def _stub():
    """The classes of the installed type stub: name -> ClassDef."""
    tree = ast.parse(pathlib.Path(_vorlent.__file__).with_name("_vorlent.pyi").read_text())
    return {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}


def _stub_methods(cls):
    return [fn for fn in cls.body if isinstance(fn, ast.FunctionDef) and not fn.name.startswith("_")]


def test_classes_methods_and_properties_carry_the_stubs_docstrings():
    stub = {}
    for name, cls in _stub().items():
        stub[name, ""] = ast.get_docstring(cls)
        for fn in _stub_methods(cls):
            stub[name, fn.name] = ast.get_docstring(fn)
    runtime = {}
    for name in _vorlent.__all__:
        obj = getattr(_vorlent, name)
        if not isinstance(obj, type):
            continue
        runtime[name, ""] = obj.__doc__
        if not issubclass(obj, enum.Enum):
            runtime.update({(name, k): v.__doc__ for k, v in vars(obj).items() if not k.startswith("_")})
    assert runtime == stub
    assert all(runtime.values())
    # The module itself keeps no docstring.
    assert not _vorlent.__doc__


def test_help_shows_the_texts_and_the_signatures_still_read():
    text = pydoc.render_doc(_vorlent.ModelArena, renderer=pydoc.plaintext)
    assert ("mk_reg(self, /, name, bit_width)\n |      A register of `bit_width` bits, written at the "
            "rising clock edge.\n") in text
    assert text.count("(self, /") == len(_stub_methods(_stub()["ModelArena"]))
    for name, cls in _stub().items():
        runtime = getattr(_vorlent, name)
        for fn in _stub_methods(cls):
            if not any(isinstance(d, ast.Name) and d.id == "property" for d in fn.decorator_list):
                params = list(inspect.signature(getattr(runtime, fn.name)).parameters)
                assert params == [a.arg for a in fn.args.args], (name, fn.name)
    assert [str(inspect.signature(getattr(_vorlent, c))) for c in ("ModelArena", "BackendVerilog", "Slice")] == [
        "()", "(arena)", "(start=Ellipsis, stop=Ellipsis)"]


def test_logic_op_help_gives_the_verilog_each_op_is_written_as(tmp_path):
    """Each two-operand op that LogicOp's text writes as "Name a X b" is
    emitted as `a X b`."""
    said = dict(re.findall(r"(\w+) a (\S+) b\b", " ".join(_vorlent.LogicOp.__doc__.split())))
    assert said["RelationLe"] == "<" and said["RelationGe"] == ">" and len(said) == 18
    m = _vorlent.ModelArena()
    top = m.mk_module("t")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    a, b = m.mk_reg("a", 4), m.mk_reg("b", 4)
    made = {name: m.hcp_verilog_name(m.mk_expression(name, _vorlent.LogicOp[name], a, b)) for name in said}
    m.untrack_module_at_com_init(top)
    m.build_flow()
    names = m.hcp_verilog_name(a), m.hcp_verilog_name(b)
    _vorlent.BackendVerilog(m).emit(str(tmp_path), "t")
    text = (tmp_path / "t.v").read_text()
    for name, token in said.items():
        assert f"assign {made[name]} = {names[0]}[3:0] {token} {names[1]}[3:0];" in text, name
