"""Designs that build_flow and the backend must either handle or refuse with
a clean exception: nesting of any depth, and descriptions whose behaviour
would otherwise be lost from the Verilog without a word."""
import contextlib
import os
from functools import partial
import re
import subprocess
import sys
import warnings
from pathlib import Path

import pytest

import vorlent
from vorlent import _vorlent as v
from model_helpers import raised, refused
from verilog_sim import Design, lint, simulate

DEEP_DESIGN = os.path.join(os.path.dirname(__file__), "deep_design.py")


# A crash would kill the test run, so each design runs in a child process.
# 512 KiB is the stack of a secondary thread on macOS. Build and emit of the
# deepest take about a second; bench/scaling.py shows how the time grows.
@pytest.mark.parametrize("what, depth, stack_kib, last_line", [
    ("blocks", 20000, 0, "emitted"),
    ("modules", 20000, 0, "emitted"),
    ("par", 20000, 0, "emitted"),
    ("loops", 20000, 0, "emitted"),
    ("blocks", 2000, 512, "emitted"),
    ("zero_delay", 2000, 512, "emitted"),
    ("modules", 2000, 512, "emitted"),
    ("karray", 64, 512, "emitted"),
    ("karray", 65, 512, "PanicException: Karray 'k': shape has 65 dimensions; at most 64 are supported"),
    ("select", 16, 512, "emitted"),
    ("select", 200, 512, "RecursionError: karray_read_field_hcp: calls that run Python functions nest more "
                         "than 16 deep on this thread"),
])
def test_deep_nesting_builds_and_emits(tmp_path, what, depth, stack_kib, last_line):
    run = subprocess.run([sys.executable, DEEP_DESIGN, what, str(depth), str(stack_kib), str(tmp_path)],
                         capture_output=True, text=True, timeout=600)
    assert run.returncode == 0, run.stderr
    lines = run.stdout.splitlines()
    assert lines[-1] == last_line
    if last_line == "emitted":
        assert len(os.listdir(tmp_path)) == (depth + 1 if what == "modules" else 1)


def described(lose):
    """A top module with a register assigned in a seq block, then `lose`
    applied to the model; returns the model and the top module."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    r, c = m.mk_reg("r", 4), m.mk_reg("c", 1)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    s = m.mk_flow_block_seq("s")
    m.initialize_flow_block(s)
    m.gen_basic_assign(r, 1)
    m.finalize_flow_block(s)
    lose(m, top, r, c)
    return m, top


def trailing_chain(m, top, r, c):
    """A conditional chain at the end of the behaviour, and no
    finalize_flow_procedure to close it."""
    head = m.mk_flow_block_cif("tail", c)
    m.initialize_flow_block(head)
    body = m.mk_flow_block_seq("body")
    m.initialize_flow_block(body)
    m.gen_basic_assign(r, 2)
    m.finalize_flow_block(body)
    m.finalize_flow_block(head)
    m.untrack_module_at_flow_init(top)


def closed(m, top, r, c):
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)


def left_open(m, top, r, c):
    m.initialize_flow_block(m.mk_flow_block_seq("open"))


def read_from_outside(m, top, r, c):
    """A module made while nothing was tracked gets no file; one made under it
    but closed under the top module reads two of its registers (the refusal
    names the one made first)."""
    closed(m, top, r, c)
    lone = m.mk_module("lone")
    m.track_module_at_com_init(lone)
    x, inner, later = m.mk_reg("x", 4), m.mk_module("inner"), m.mk_reg("z", 4)
    m.untrack_module_at_com_init(lone)
    m.track_module_at_com_init(top)
    m.track_module_at_com_init(inner)
    m.mk_expression("y", v.LogicOp.ArithPlus, later, x)
    m.untrack_module_at_com_init(inner)
    m.untrack_module_at_com_init(top)


def outside(what):
    """A module made while nothing was tracked, so outside the top module's
    tree, with a block of its own, a port, or a register the top assigns."""
    def lose(m, top, r, c):
        closed(m, top, r, c)
        lone = m.mk_module("lone")
        m.track_module_at_com_init(lone)
        x = m.mk_reg("x", 4)
        if what == "port":
            m.mark_as_io(x, False, "x_o")
        m.untrack_module_at_com_init(lone)
        if what != "port":
            m.track_module_at_flow_init(lone if what == "block" else top)
            block = m.mk_flow_block_seq("b")
            m.initialize_flow_block(block)
            m.gen_basic_assign(x, 1)
            m.finalize_flow_block(block)
            closed(m, lone if what == "block" else top, r, c)
    return lose


def test_build_flow_refuses_a_chain_left_open_until_it_is_closed(tmp_path):
    m, top = described(trailing_chain)
    with pytest.raises(ValueError, match=r'build_flow: flow block "COND_IF_tail_\d+" \(id \d+\) still waits on the '
                                         r"flow-block stack .* finalize_flow_procedure"):
        m.build_flow()
    m.track_module_at_flow_init(top)  # the refusal left the model as it was
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    m.build_flow()
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    # Both assignments of r reach the Verilog, the chain's too.
    assert len(re.findall(r"REG_r_\d+\[3:0\] <= VAL_const_c_\d+", (tmp_path / "top.v").read_text())) == 2


def build_stopped(m, top, r, c):
    """A module listed under itself: build_flow stops when it reaches it again."""
    closed(m, top, r, c)
    m.track_module_at_com_init(top)
    sub = m.mk_module("sub")
    for call in (m.track_module_at_com_init,) * 2 + (m.untrack_module_at_com_init,) * 2:
        call(sub)
    m.untrack_module_at_com_init(top)
    with pytest.raises(vorlent.PanicException, match="appears more than once"):
        m.build_flow()


@pytest.mark.parametrize("lose, build, out_dir, message", [
    (closed, False, "OUT", r'BackendVerilog::emit: the flow blocks and assignments of module "MODULE_top_\d+" '
                           r"\(id \d+\) were never built; call build_flow"),
    (left_open, False, "OUT", r'BackendVerilog::emit: flow block "SEQUENTIAL_open_\d+" \(id \d+\) was never built; '
                              r"close it and call build_flow"),
    (build_stopped, False, "OUT", r"BackendVerilog::emit: build_flow stopped before it completed"),
    (closed, True, "", r"BackendVerilog::emit: output_dir is empty"),
    (read_from_outside, True, "OUT", r'BackendVerilog::emit: module "MODULE_inner_\d+" \(id \d+\) reads '
                                     r'"REG_x_\d+" of module "MODULE_lone_\d+" .* not in the top module\'s tree'),
    *[(outside(what), True, "OUT", r'BackendVerilog::emit: module "MODULE_lone_\d+" \(id \d+\) is not in the top '
                                   rf"module's tree and gets no file, so {lost} would be lost")
      for what, lost in [("block", "its flow blocks"), ("port", r'the port marked on "REG_x_\d+"'),
                         ("assigned", r'the assignments to "REG_x_\d+"')]],
])
def test_emit_refuses_lost_behaviour_before_it_prints_or_writes(tmp_path, capfd, lose, build, out_dir, message):
    m, _ = described(lose)
    if build:
        m.build_flow()
    backend = v.BackendVerilog(m)
    capfd.readouterr()
    # A name of its own, so that a failure of the empty-directory refusal
    # leaves no file in the filesystem root.
    stem = "vorlent_refused_emit"
    try:
        with pytest.raises(ValueError, match=message):
            backend.emit(out_dir.replace("OUT", str(tmp_path)), stem)
    finally:
        if os.path.exists(f"/{stem}.v"):
            os.remove(f"/{stem}.v")
    assert capfd.readouterr().out == ""
    assert os.listdir(tmp_path) == []


# How a module "sub", with a register "x", is left out of the top module's
# tree, as calls ("m+"/"m-" track/untrack the component phase of m, "m*"/"m/"
# its behaviour phase; "sub" and "x" make them), and what emit says of it.
MADE = "it was made while module {top} was tracked, but its component phase "
ENDED_ALONE = ("ended (untrack_module_at_com_init) after that module was untracked, with no module tracked, so it "
               "joined no module's sub-modules; end it while that module is tracked")
TO_JOIN = "while that module is tracked, which makes it that module's sub-module"
LEFT_OUT = {
    "after_its_parent": ("top+ sub top- sub+ x sub-", MADE + ENDED_ALONE),
    "its_parent_outside": ("lone+ sub lone- sub+ x sub-", MADE.replace("top", "lone") + ENDED_ALONE
                           + "; that module is not in the top module's tree either"),
    "never_ended": ("top+ sub top- sub+ x", MADE + "(track_module_at_com_init) never ended; end it "
                    f"(untrack_module_at_com_init) {TO_JOIN}"),
    "never_ran": ("top+ sub top- sub* x sub/", MADE + "never ran; track it (track_module_at_com_init) and untrack it "
                  f"(untrack_module_at_com_init) {TO_JOIN}"),
    "under_a_module_outside": ("lone+ sub sub+ x sub- lone-", "it is under module {lone}, which was made while no "
                               "module was tracked and joined no module's sub-modules; make {lone} with mk_module "
                               "while its parent module is tracked (track_module_at_com_init), or set the root of "
                               "the design as the top module"),
    "under_itself": ("top+ sub top- sub+ sub+ x sub- sub-", "it is listed only by itself or modules under it (its "
                     "component phase ended while it was tracked a second time), so no module of the tree lists it"),
}


@pytest.mark.parametrize("step", LEFT_OUT)
@pytest.mark.parametrize("lost", ["read", "port"])
def test_emit_names_the_step_that_left_a_module_out_of_the_tree(tmp_path, step, lost):
    """Made while its parent was tracked, a module joins the parent's
    sub-modules only when its own component phase ends while the parent is
    tracked: emit names what happened instead."""
    m = v.ModelArena()
    mods = {"top": m.mk_module("top"), "lone": m.mk_module("lone")}
    m.set_top_module(mods["top"])
    phases = {"+": m.track_module_at_com_init, "-": m.untrack_module_at_com_init,
              "*": m.track_module_at_flow_init, "/": m.untrack_module_at_flow_init}
    calls, why = LEFT_OUT[step]
    for call in calls.split():
        if call == "sub":
            mods["sub"] = m.mk_module("sub")
        elif call == "x":
            x = m.mk_reg("x", 4)
        else:
            phases[call[-1]](mods[call[:-1]])
    if lost == "read":
        phases["+"](mods["top"])  # above "sub" where its phase never ended
        m.mk_expression("y", v.LogicOp.ArithPlus, m.mk_reg("r", 4), x)
        phases["-"](mods["top"])
    else:
        m.mark_as_io(x, False, "x_o")
    m.build_flow()
    name = {k: f'"{m.module_verilog_name(mod)}" (id {mod.global_id})' for k, mod in mods.items()}
    x_name = m.hcp_verilog_name(x)
    head = (f"module {name['top']} reads \"{x_name}\" of module {name['sub']}, which is not in the top module's tree "
            "and gets no file" if lost == "read" else
            f"module {name['sub']} is not in the top module's tree and gets no file, so the port marked on "
            f"\"{x_name}\" would be lost")
    assert raised(ValueError, v.BackendVerilog(m).emit, str(tmp_path), "t") == \
        f"BackendVerilog::emit: {head}; {why.format(**name)}"


def test_emit_into_a_directory_it_cannot_write_names_the_directory(tmp_path, panic_type):
    def refuses_files(d):
        try:
            (d / "probe").touch()
        except PermissionError:
            return True
        except OSError:
            return False
        (d / "probe").unlink()
        return False

    (tmp_path / "locked").mkdir(mode=0o500)
    # The superuser writes anyway; Linux's /sys refuses even it.
    locked = next((d for d in (tmp_path / "locked", Path("/sys")) if refuses_files(d)), None)
    if locked is None:
        pytest.skip("no directory this user cannot write")
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.build_flow()
    with pytest.raises(panic_type) as info:
        v.BackendVerilog(m).emit(str(locked), "top")
    assert str(info.value) == (f"BackendVerilog::phase_emit \u2014 cannot open {locked}/top.v: no file can be made in "
                               f"directory {locked}: Permission denied")


def test_behaviour_described_after_build_flow_is_refused_and_components_are_still_made(tmp_path):
    m, top = described(closed)
    m.track_module_at_com_init(top)
    k = m.mk_karray("k", [2], [("a", 4)], v.HwComponentType.REG)
    cnt, arb, r, c = m.mk_dyn_counter("cnt", 4), m.mk_arb("a", 0), m.mk_reg("r2", 4), m.mk_wire("c2", 1)
    m.dyn_counter_add(cnt, r)
    m.untrack_module_at_com_init(top)
    m.build_flow()
    m.track_module_at_com_init(top)
    static = ("static", [0], [])
    for name, *args in [
        ("initialize_flow_block", m.mk_flow_block_seq("s")), ("track_module_at_flow_init", top),
        ("gen_basic_assign", r, 1), ("gen_mux", "x", c, v.Slice(0, 1), r, 1),
        ("set_reg_reset", r, m.mk_val("z", 4, 0)), ("set_wire_default", c, m.mk_val("z", 1, 0)),
        ("karray_reset_field", k, "a", 0), ("karray_assign_hcps", k, [static], [("a", r)], True),
        ("karray_assign_k2k", k, [static], k, [("static", [1], [])], [], True), ("dyn_counter_update", cnt),
        ("mk_arb", "b", 0), ("arb_add_leaf", arb, 1), ("arb_add_leaf_locked", arb, 1, 0), ("arb_set_hold", arb, c),
        ("arb_set_reset", arb, c), ("arb_set_master_ack", arb, c), ("arb_lock_master_ack", arb),
        ("mk_flow_block_pip", "p", arb), ("mk_flow_block_zync", "z", arb),
        ("mk_flow_block_zync_multi", "z", [(arb, None, 0, False)], False),
    ]:
        with pytest.raises(ValueError) as info:
            getattr(m, name)(*args)
        assert str(info.value) == (f"{name}: build_flow already ran; behaviour described after it would never "
                                   "reach the Verilog, so describe the whole design before build_flow")
    # Components, and logic that needs no build, are still made and written.
    m.gen_rotate_left("rl", r, v.Slice(0, 4), 1)
    m.dyn_counter_add(cnt, r)
    m.mark_as_io(m.karray_read_field_hcp(k, [("dyn", [], [c])], [], "a"), False, "out")
    m.untrack_module_at_com_init(top)
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    assert "output reg  [3:0] out" in (tmp_path / "top.v").read_text()


LOOSE = ("{}: no flow block is open, so this is a loose assignment of the top module, and no top module is set; "
         "call set_top_module first")
SLIP_TEXTS = {
    "com": ('initialize_flow_block: module "{}" is tracked for its components (track_module_at_com_init); flow blocks '
            "are described in its behaviour phase, so call untrack_module_at_com_init, then track_module_at_flow_init "
            "first"),
    "none": ("initialize_flow_block: no module is tracked; flow blocks are described in a module's behaviour phase, so "
             "call track_module_at_flow_init first"),
    "zync": ('finalize_flow_block: zync flow block "{}" holds nothing; a zync makes at least one assignment in the cycle '
             "it is granted, so describe one in it (an assignment, a Karray write, a zif chain or a zstate) and close it "
             "again"),
}


# A slip of order, made in `state` ("flow": no top module set, "com": the top
# module's component phase, "none": no module tracked, "zync": the empty zync
# or zync_multi `x[name]` open): refused with nothing changed. Once the call
# the text names is made, the same call goes through and the design builds;
# before, the slip stopped it with a panic at the call, at
# finalize_flow_block or at build_flow, after which emit refused the model.
@pytest.mark.parametrize("state, name, slip", [
    ("flow", "gen_basic_assign", lambda m, x: m.gen_basic_assign(x["r"], 1)),
    ("flow", "karray_assign_hcps", lambda m, x: m.karray_assign_hcps(x["k"], [("static", [0], [])], [("f", 1)], True)),
    ("flow", "karray_assign_k2k",
     lambda m, x: m.karray_assign_k2k(x["k"], [("static", [0], [])], x["k"], [("static", [1], [])], [], True)),
    ("com", "s", lambda m, x: m.initialize_flow_block(x["s"])),
    ("none", "s", lambda m, x: m.initialize_flow_block(x["s"])),
    ("zync", "z", lambda m, x: m.finalize_flow_block(x["z"])),
    ("zync", "zm", lambda m, x: m.finalize_flow_block(x["zm"])),
])
def test_a_slip_of_order_is_refused_at_the_call(tmp_path, state, name, slip):
    m = v.ModelArena()
    top = m.mk_module("top")
    m.track_module_at_com_init(top)
    arb = m.mk_arb("arb", v.ArbSamePriPolicy.AckOne)
    x = {"r": m.mk_reg("r", 4), "k": m.mk_karray("k", [2], [("f", 4)], REG), "s": m.mk_flow_block_seq("s"),
         "z": m.mk_flow_block_zync("z", arb), "zm": m.mk_flow_block_zync_multi("zm", [(arb, None, False, None)] * 2, False)}
    (m.set_top_module if state != "flow" else id)(top)
    (m.untrack_module_at_com_init if state != "com" else id)(top)
    (m.track_module_at_flow_init if state in ("flow", "zync") else id)(top)
    (m.initialize_flow_block if state == "zync" else id)(x.get(name))
    named = m.module_verilog_name(top) if state == "com" else f"ZYNC_{name}_{x[name].global_id}" if state == "zync" else name
    text = SLIP_TEXTS.get(state, LOOSE).format(named)
    # With no module tracked, no probe of the ids drawn can be made.
    assert (raised if state == "none" else partial(refused, m))(ValueError, slip, m, x) == text
    {"flow": m.set_top_module, "com": m.untrack_module_at_com_init, "none": id,
     "zync": lambda _: m.gen_basic_assign(x["r"], 2)}[state](top)
    if state in ("com", "none"):
        m.track_module_at_flow_init(top)
    slip(m, x)
    if state in ("com", "none"):
        m.gen_basic_assign(x["r"], 3)
        m.finalize_flow_block(x["s"])
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    m.build_flow()
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    written = r"^ +REG_(r|k_E0_f)_\d+\[3:0\] <= (VAL_k?const_c|REG_k_E1_f)_\d+"
    assert re.search(written, (tmp_path / "top.v").read_text(), re.M)


def test_emit_of_a_model_with_no_top_module_says_to_set_one(tmp_path, capfd):
    m = v.ModelArena()
    m.mk_module("top")
    assert raised(ValueError, v.BackendVerilog(m).emit, str(tmp_path), "top") == (
        "BackendVerilog::emit: the model has no top module; call set_top_module, then build_flow, on the model "
        "before handing it to BackendVerilog")
    assert capfd.readouterr().out == "" and os.listdir(tmp_path) == []


def boom(*args):
    raise RuntimeError("boom")


REG = v.HwComponentType.REG


def as_error(call, *args):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        return call(*args)


@pytest.mark.parametrize("exc, calls, pattern, count", [
    # Muxes made with the components: each joins the module's blocks at once.
    (None, lambda m, r, c: [m.gen_mux(n, c, v.Slice(), r, 3) for n in "xy"], r"WIRE_[xy]_\d+\[3:0\] <= REG_r_", 2),
    # A failed call leaves nothing it made: the muxes of a read whose select
    # function raised, the constant an int input became before the condition
    # was refused, the constant of an int source before a bare one was refused.
    (RuntimeError, lambda m, r, c: m.karray_read_field_hcp(m.mk_karray("k", [2, 2], [("a", 4)], REG), [
        ("reduce", [], []), ("dyn", [], [c])], [boom, None], "a"), "DMUX|_B0", 0),
    (ValueError, lambda m, r, c: m.gen_mux("mx", r, v.Slice(), 7, r), "VAL_mx_c", 0),
    (TypeError, lambda m, r, c: m.karray_assign_hcps(m.mk_karray("k", [2], [("a", 4), ("b", 1)], REG), [
        ("static", [0], [])], [("a", 5), (None, r)], True), "kconst", 0),
    # A warning turned error is raised once the call is complete: what it
    # made stays.
    (UserWarning, lambda m, r, c: as_error(m.mk_expression, "sum", v.LogicOp.ArithPlus, c, r), r"EXPR_sum_\d+ =", 1),
])
def test_what_a_component_phase_leaves_in_the_verilog(tmp_path, exc, calls, pattern, count):
    m, top = described(closed)
    m.track_module_at_com_init(top)
    r, c = m.mk_reg("r", 4), m.mk_wire("c", 1)
    with pytest.raises(exc) if exc else contextlib.nullcontext():
        calls(m, r, c)
    m.untrack_module_at_com_init(top)
    m.build_flow()
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    assert len(re.findall(pattern, (tmp_path / "top.v").read_text())) == count


# Memory runs out in the child, under a limit of its address space.
OUT_OF_MEMORY = """
import re, resource, sys
from vorlent import _vorlent as v
m = v.ModelArena()
top = m.mk_module("top")
m.set_top_module(top)
m.track_module_at_com_init(top)
limits = resource.getrlimit(resource.RLIMIT_AS)
size = int(re.search(r"VmSize:\\s+(\\d+)", open("/proc/self/status").read()).group(1)) * 1024
resource.setrlimit(resource.RLIMIT_AS, (size + 2**28, limits[1]))
try:
    m.mk_karray("k", [2**31], [("a", 8)], v.HwComponentType.REG)
except MemoryError:
    resource.setrlimit(resource.RLIMIT_AS, limits)
m.untrack_module_at_com_init(top)
m.build_flow()
v.BackendVerilog(m).emit(sys.argv[1], "top")
"""


@pytest.mark.skipif(sys.platform != "linux", reason="the address-space limit is Linux's")
def test_an_array_that_runs_out_of_memory_leaves_none_of_its_registers(tmp_path):
    subprocess.run([sys.executable, "-c", OUT_OF_MEMORY, str(tmp_path)], check=True, capture_output=True,
                   timeout=120)
    assert "REG_k_E0_a" not in (tmp_path / "top.v").read_text()


def test_a_sub_module_as_top_has_the_ports_of_the_design(tmp_path):
    """With a child as the top module and nothing in its parent, the child is
    the design: clk, mrst and its ports are its own, under their names."""
    m = v.ModelArena()
    root = m.mk_module("root")
    m.track_module_at_com_init(root)
    child = m.mk_module("child")
    m.track_module_at_com_init(child)
    rb, a = m.mk_reg("rb", 8), m.mk_wire("a", 8)
    m.set_reg_reset(rb, m.mk_val("rb_rst", 8, 0))
    m.mark_as_io(rb, False, "rb_o")
    m.mark_as_io(a, True, "a_i")
    m.untrack_module_at_com_init(child)
    m.untrack_module_at_com_init(root)
    m.set_top_module(child)
    m.track_module_at_flow_init(child)
    steps = m.mk_flow_block_seq("steps")
    m.initialize_flow_block(steps)
    m.gen_basic_assign(rb, 5)
    m.gen_basic_assign(rb, m.mk_expression("sum", v.LogicOp.ArithPlus, rb, a))
    m.finalize_flow_block(steps)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(child)
    m.build_flow()
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    assert os.listdir(tmp_path) == ["top.v"]
    top_name = re.search(r"^module (\w+)\(", (tmp_path / "top.v").read_text(), re.M).group(1)
    lint(top_name, [str(tmp_path / "top.v")])
    got = simulate(top_name, [str(tmp_path / "top.v")], tmp_path, {"port:rb_o": None},
                   inputs={"a_i": lambda cycle: 3}, cycles=7)
    assert got["port:rb_o"] == [0, 0, 0, 0, 5, 8, 8]


@pytest.mark.parametrize("owners", [("top",), ("lone",), ("top", "lone")],
                         ids=["in_tree", "outside", "second_of_two_outside"])
def test_zync_on_an_arbiter_outside_the_top_modules_tree_is_refused(tmp_path, owners):
    """build_flow builds the arbiters of the tree's modules only: one made in
    a module outside would never grant, and the zync would wait for ever,
    whichever of its binds names it."""
    d = Design()
    m, x = d.m, d.reg("x")
    arbs = []
    for k, owner in enumerate(owners):  # the last one is "a"
        with d.components(d.top if owner == "top" else m.mk_module(owner)):
            arbs.append(m.mk_arb("a" if k == len(owners) - 1 else "t", v.ArbSamePriPolicy.AckOne))

    def zync():
        return m.mk_flow_block_zync("z", arbs[0], 1) if len(arbs) == 1 else \
            m.mk_flow_block_zync_multi("z", [(a, 1, False, None) for a in arbs], False)
    with d.behaviour():
        d.seq("s", lambda: d.block(zync(), (x, 1)), (x, 7), (x, 9))
    if "lone" not in owners:
        # Granted at once (no rival): one step each from R+1.
        assert d.run(tmp_path, d.probes(x=x), cycles=7)["x"] == [0, 0, 0, 0, 1, 7, 9]
        return
    with pytest.raises(ValueError, match=r'^BackendVerilog::emit: flow block "ZYNC_z_\d+" \(id \d+\) binds '
                                         r'"ARB_a_\d+" of module "MODULE_lone_\d+" \(id \d+\), which is not in the '
                                         r"top module's tree, so build_flow never built it and the block would "
                                         r"wait for its grant for ever; that module was made while no module was "
                                         r"tracked and joined no module's sub-modules; make \"MODULE_lone_\d+\""):
        d.run(tmp_path, {})
    assert os.listdir(tmp_path) == []


# Two binds of one arbiter are two of its leaves, in bind order. A match_all
# zync needs both acknowledged in one cycle: which bind the arbiter never
# grants while the other requests (None: both are granted), under AckOne,
# AckAll and NotAck, for the binds' priorities and auto_acks.
MATCH_ALL_ON_ONE_ARBITER = {
    ((1, 1), (False, False)): (1, None, 0),
    ((1, 1), (False, True)): (None, None, 0),
    ((1, 1), (True, False)): (1, None, 1),
    ((2, 1), (False, False)): (1, 1, 1),
    ((2, 1), (False, True)): (None, None, None),
    ((2, 1), (True, False)): (1, 1, 1),
    ((1, 2), (False, False)): (0, 0, 0),
    ((1, 2), (False, True)): (0, 0, 0),
    ((1, 2), (True, False)): (None, None, None),
}
POLICIES = [v.ArbSamePriPolicy.AckOne, v.ArbSamePriPolicy.AckAll, v.ArbSamePriPolicy.NotAck]


@pytest.mark.parametrize("policy, priorities, auto_acks, waits", [
    (policy, priorities, auto_acks, waits[k])
    for (priorities, auto_acks), waits in MATCH_ALL_ON_ONE_ARBITER.items() for k, policy in enumerate(POLICIES)
] + [
    # Not match_all, or two arbiters: granted.
    (v.ArbSamePriPolicy.AckOne, (1, 1), (False, False), "any"),
    (v.ArbSamePriPolicy.AckOne, (1, 1), (False, False), "two arbiters"),
])
def test_match_all_zync_that_one_arbiter_never_grants_is_refused(tmp_path, policy, priorities, auto_acks, waits):
    d = Design()
    m, x = d.m, d.reg("x")
    with d.components():
        a = m.mk_arb("a", policy)
        b = m.mk_arb("b", policy) if waits == "two arbiters" else a
    binds = [(arb, p, auto, None) for arb, p, auto in zip((a, b), priorities, auto_acks)]
    with d.behaviour():
        if isinstance(waits, int):
            other = 1 - waits
            assert refused(m, ValueError, m.mk_flow_block_zync_multi, "z", binds, True) == (
                "mk_flow_block_zync_multi: zync block 'z' would wait for ever: with match_all it needs every bind "
                f'granted in one cycle, but arbiter "ARB_a_{a.global_id}" (policy {policy.name}) never grants '
                f"binds[{waits}] (priority {priorities[waits]}) while binds[{other}] (priority {priorities[other]}) "
                "requests; bind that arbiter once")
            assert m.arb_leaf_count(a) == 0
            return
        z = m.mk_flow_block_zync_multi("z", binds, waits != "any")
        d.seq("s", lambda: d.block(z, (x, 1)), (x, 7), (x, 9))
    # Granted at once (no rival): one step each from R+1.
    assert d.run(tmp_path, d.probes(x=x), cycles=7)["x"] == [0, 0, 0, 0, 1, 7, 9]


@pytest.mark.parametrize("policy, conds, refused_", [
    (v.ArbSamePriPolicy.NotAck, (False, False), True),
    (v.ArbSamePriPolicy.AckOne, (False, False), False),
    (v.ArbSamePriPolicy.AckAll, (False, False), False),
    (v.ArbSamePriPolicy.NotAck, (False, True), False),  # bind 1's condition is the constant 0: it never requests
])
def test_zync_whose_every_bind_waits_on_another_is_refused(tmp_path, policy, conds, refused_):
    """Without match_all one granted bind is enough; under NotAck two binds of
    equal priority that always request mask each other for ever."""
    d = Design()
    m, x = d.m, d.reg("x")
    with d.components():
        a = m.mk_arb("a", policy)
        low = m.mk_val("low", 1, 0)
    binds = [(a, 1, False, low if cond else None) for cond in conds]
    with d.behaviour():
        if refused_:
            assert refused(m, ValueError, m.mk_flow_block_zync_multi, "z", binds, False) == (
                "mk_flow_block_zync_multi: zync block 'z' would wait for ever: it needs one bind granted, and "
                f'each bind waits on another that always requests, but arbiter "ARB_a_{a.global_id}" (policy '
                "NotAck) never grants binds[0] (priority 1) while binds[1] (priority 1) requests; bind that "
                "arbiter once")
            assert m.arb_leaf_count(a) == 0
            return
        z = m.mk_flow_block_zync_multi("z", binds, False)
        d.seq("s", lambda: d.block(z, (x, 1)), (x, 7), (x, 9))
    assert d.run(tmp_path, d.probes(x=x), cycles=7)["x"] == [0, 0, 0, 0, 1, 7, 9]


# Binds "<arbiter><priority><condition>": "-" none, ":1" or ":0" a 1-bit
# constant, ":c" a 1-bit register reset to 0. A constant 1 requests whenever
# the block waits, as no condition; a constant 0 never requests. Refused: the
# bind that never requests or the pair that masks (0 = every bind waits on one
# that always requests).
@pytest.mark.parametrize("policy, binds, match_all, refused_", [
    ("NotAck", "a1- a1:1", False, (0, 1)),
    ("NotAck", "a1:1 a1:1", False, (0, 1)),
    ("NotAck", "a1:0", False, 0),
    ("NotAck", "a1:0 b1:0", False, 0),
    ("NotAck", "a1- a1- b1:0", False, 2),
    ("NotAck", "a1- b1:0", True, 1),
    ("NotAck", "a1- a2:0", True, 1),  # bind 0 is masked only while bind 1 requests
    ("NotAck", "a1:1 a1:0", False, None),
    ("NotAck", "a1- a1:c", False, None),  # a register's bind requests only while it holds 1
    ("AckOne", "a1- a1:1", False, None),
    ("NotAck", "a1:1 a2-", False, None),
    ("NotAck", "a1:1 b1:1", True, None),
])
def test_a_zync_bind_on_a_constant_condition_is_judged_by_its_value(tmp_path, policy, binds, match_all, refused_):
    """Accepted, each refused block waited for ever."""
    d = Design()
    m, x = d.m, d.reg("x")
    with d.components():
        arbs = {name: m.mk_arb(name, getattr(v.ArbSamePriPolicy, policy)) for name in "ab"}
        consts = {":0": m.mk_val("zero", 1, 0), ":1": m.mk_val("one", 1, 1), "-": None}
    consts[":c"] = d.reg("c", 1) if ":c" in binds else None
    binds = [(arbs[b[0]], int(b[1]), False, consts[b[2:]]) for b in binds.split()]
    with d.behaviour():
        if refused_ is not None:
            text = refused(m, ValueError, m.mk_flow_block_zync_multi, "z", binds, match_all)
            head = "mk_flow_block_zync_multi: zync block 'z' would wait for ever: "
            if isinstance(refused_, tuple):
                assert text == head + (
                    "it needs one bind granted, and each bind waits on another that always requests, but arbiter "
                    f'"ARB_a_{arbs["a"].global_id}" (policy NotAck) never grants binds[0] (priority 1) while binds[1] '
                    "(priority 1) requests; bind that arbiter once")
            else:
                others = "" if match_all or len(binds) == 1 else (
                    ", and no other bind is ever granted either (each has the constant 0 as its condition or waits on "
                    "a bind of its arbiter that always requests)")
                assert text == head + (
                    ("with match_all it needs every bind granted in one cycle" if match_all else
                     "it needs one bind granted") + f', but the condition of binds[{refused_}] ("VAL_zero_'
                    f'{consts[":0"].global_id}") is the constant 0, so that bind never requests{others}; give it a '
                    "condition that can be 1, or drop the bind")
            assert m.arb_leaf_count(arbs["a"]) == 0
            return
        z = m.mk_flow_block_zync_multi("z", binds, match_all)
        d.seq("s", lambda: d.block(z, (x, 1)), (x, 7), (x, 9))
    assert d.run(tmp_path, d.probes(x=x), cycles=7)["x"] == [0, 0, 0, 0, 1, 7, 9]


@pytest.mark.parametrize("top_reads_leaf, r_o, q_o", [
    (True, [0, 0, 0, 0, 5, 3, 3], [0, 0, 0, 0, 3, 4, 4]),
    (False, [0, 0, 0, 0, 5, 6, 6], [0, 0, 0, 0, 3, 5, 5]),
], ids=["top_reads_leaf", "leaf_reads_top"])
def test_a_top_module_with_a_parent_and_sub_modules_is_written_as_its_own_tree(tmp_path, top_reads_leaf, r_o, q_o):
    """The leaf is made while its parent, the top module, is tracked alone:
    the depth it records counts from there, not from the root above the top.
    Routing follows the sub-module lists, as the files instantiate them."""
    m = v.ModelArena()
    root = m.mk_module("root")

    def output_reg(module, name):
        """An 8-bit register of `module`, reset to 0, marked as port {name}_o;
        `module` is left tracked."""
        m.track_module_at_com_init(module)
        reg = m.mk_reg(name, 8)
        m.set_reg_reset(reg, m.mk_val(f"{name}_rst", 8, 0))
        m.mark_as_io(reg, False, f"{name}_o")
        return reg

    m.track_module_at_com_init(root)
    top = m.mk_module("top")
    r = output_reg(top, "r")
    m.untrack_module_at_com_init(top)
    m.untrack_module_at_com_init(root)
    m.track_module_at_com_init(top)
    leaf = m.mk_module("leaf")
    q = output_reg(leaf, "q")
    m.untrack_module_at_com_init(leaf)
    m.untrack_module_at_com_init(top)
    assert (top.depth_level, leaf.depth_level) == (1, 1)
    m.set_top_module(top)
    for module, steps in [(top, [(r, 5), (r, q if top_reads_leaf else 6)]),
                          (leaf, [(q, 3), (q, 4 if top_reads_leaf else r)])]:
        m.track_module_at_flow_init(module)
        seq = m.mk_flow_block_seq("s")
        m.initialize_flow_block(seq)
        for dst, src in steps:
            m.gen_basic_assign(dst, src)
        m.finalize_flow_block(seq)
        m.finalize_flow_procedure()
        m.untrack_module_at_flow_init(module)
    m.build_flow()
    top_name, leaf_name = m.module_verilog_name(top), m.module_verilog_name(leaf)
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    files = sorted(str(tmp_path / f) for f in os.listdir(tmp_path))
    assert [os.path.basename(f) for f in files] == [f"{leaf_name}.v", "top.v"]
    lint(top_name, files)
    got = simulate(top_name, files, tmp_path, {"port:r_o": None, "port:q_o": None}, cycles=7)
    assert (got["port:r_o"], got["port:q_o"]) == (r_o, q_o)
