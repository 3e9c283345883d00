"""docs/guide.md as a reader uses it: every ```python block runs in a fresh
interpreter, in a directory with an `out` directory. When a ```text table
of cycles follows a block, the Verilog it wrote is simulated (timing in
verilog_sim) and must give that table: a row named after an input port
drives it, every other row is an output port's value per cycle (x where a
bit is unknown). And the timing pictures are those that
scripts/timing-pictures draws today."""

import re
import subprocess
import sys
from pathlib import Path

import pytest

import vorlent as v
from verilog_sim import R, Design, lint, require_tool, run_tool, simulate

ROOT = Path(__file__).resolve().parents[2]
GUIDE = (ROOT / "docs" / "guide.md").read_text()


def snippets():
    """Each ```python block, with the table of cycles that follows it or None."""
    blocks = list(re.finditer(r"```(\w+)\n(.*?)```", GUIDE, re.S))
    for k, (block, after) in enumerate(zip(blocks, blocks[1:] + [None])):
        if block[1] == "python":
            table = after[2] if after and after[1] == "text" and after[2].startswith("cycle ") else None
            heading = re.findall(r"^##+ (.*)", GUIDE[:block.start()], re.M)[-1]
            yield pytest.param(block[2], table, id=re.sub(r"\W+", "_", heading).strip("_").lower() + f"-{k}")


@pytest.mark.parametrize("code, table", snippets())
def test_guide_snippet(tmp_path, code, table):
    (tmp_path / "out").mkdir()
    run = subprocess.run([sys.executable, "-c", code], cwd=tmp_path, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    if table is None:
        return
    rows = {line.split()[0]: [None if x == "x" else int(x) for x in line.split()[1:]]  # x: unknown
            for line in table.splitlines()}
    cycles = rows.pop("cycle")
    assert cycles == list(range(len(cycles)))
    top_file = tmp_path / "out" / (re.search(r'\.emit\("out", "(\w+)"\)', code).group(1) + ".v")
    top = re.search(r"module (\w+)\(", top_file.read_text()).group(1)
    ins = set(re.findall(r"input wire (?:\[\d+:0\] )?(\w+)", top_file.read_text())) & rows.keys()
    files = sorted(str(f) for f in (tmp_path / "out").glob("*.v"))
    lint(top, files)
    got = simulate(top, files, tmp_path, {f"port:{name}": None for name in rows.keys() - ins},
                   inputs={name: (lambda vals: lambda c: vals[max(c - R, 0)])(rows[name]) for name in ins},
                   cycles=R + len(cycles))
    for name in rows.keys() - ins:
        assert got[f"port:{name}"][R:] == rows[name], name


def test_timing_pictures_are_up_to_date(tmp_path):
    require_tool("iverilog")
    subprocess.run([sys.executable, str(ROOT / "scripts" / "timing-pictures"), str(tmp_path)], check=True)
    want = {p.name: p.read_text() for p in (ROOT / "docs" / "timing").glob("*.svg")}
    got = {p.name: p.read_text() for p in tmp_path.glob("*.svg")}
    assert sorted(k for k in want.keys() | got.keys() if want.get(k) != got.get(k)) == [], \
        "run scripts/timing-pictures to redraw docs/timing"
    assert set(re.findall(r"\(timing/([\w-]+\.svg)\)", GUIDE)) == set(want)


# ---- claims of the guide that are no timing: each checked by a call or a tool

TEXT = " ".join(GUIDE.split())  # the guide's words, line breaks aside


def section(title):
    return " ".join(re.search(rf"^## {re.escape(title)}\n(.*?)^## ", GUIDE, re.M | re.S)[1].split())


def flow_model():
    """A model in its top module's behaviour phase, with a 1-bit and a 4-bit
    signal and an arbiter for the blocks that need one."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    c1, c4, arb = m.mk_wire("c1", 1), m.mk_wire("c4", 4), m.mk_arb("arb", v.ArbSamePriPolicy.AckOne)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    return m, c1, c4, arb


def open_zstate(m, c1, c4, arb):
    zs = m.mk_flow_block_zstate("zs", c4)
    m.initialize_flow_block(zs)
    return lambda name: m.mk_flow_block_zcase(name, 1)


BLOCKS = {  # a maker of blocks of each kind, given the model of flow_model()
    "seq": lambda m, c1, c4, arb: m.mk_flow_block_seq,
    "cif": lambda m, c1, c4, arb: lambda name: m.mk_flow_block_cif(name, c1),
    "zif": lambda m, c1, c4, arb: lambda name: m.mk_flow_block_zif(name, c1),
    "counter_loop": lambda m, c1, c4, arb: lambda name: m.mk_flow_block_counter_loop(name, 2),
    "scwait": lambda m, c1, c4, arb: lambda name: m.mk_flow_block_scwait(name, c1),
    "zync": lambda m, c1, c4, arb: lambda name: m.mk_flow_block_zync(name, arb),
    "zcase": open_zstate,
}


def test_a_block_name_has_the_room_its_kind_and_id_leave():
    kinds = set()
    for kind, maker in BLOCKS.items():
        make = maker(*flow_model())
        first, second = make("a"), make("b")
        kinds.add(second.block_type)
        step, kind_len = second.global_id - first.global_id, len(second.block_type)
        # The longest name whose <KIND>_<name>_<id> fits 256 bytes, and one more.
        gid = second.global_id + step
        assert make("n" * (254 - kind_len - len(str(gid)))).global_id == gid, kind
        gid += step
        with pytest.raises(v.PanicException, match=r"name exceeds MAX_NAME_LEN \(256\)"):
            make("n" * (255 - kind_len - len(str(gid))))
    lens = sorted(len(k) for k in kinds)
    assert lens[0] == 4 and lens[-1] == 16  # WAIT ... ZERO_SWITCH_CASE: the guide's extremes
    assert f"{254 - lens[-1] - 1} to {254 - lens[0] - 1} with a one-digit id" in section("Names")


@pytest.mark.parametrize("kind", ["cif", "sif", "zif", "cwhile", "swhile", "do_while", "scwait"])
def test_only_scwait_takes_any_name_with_a_cond_slice(kind):
    m, c1, c4, _ = flow_model()
    make = getattr(m, f"mk_flow_block_{kind}")
    make("wait-ack", c1)  # the whole condition: any text names the block
    if kind == "scwait":
        make("wait-ack", c4, v.Slice(1, 2))
        assert "`scwait` makes no such expression and takes any name" in section("Names")
    else:
        with pytest.raises(ValueError, match='name "wait-ack" holds "-"'):
            make("wait-ack", c4, v.Slice(1, 2))


@pytest.mark.parametrize("stem, env, read_as", [
    ("MODULE_x$HOME$_7", "HOME=/h", "MODULE_x/h$_7"), ("MODULE_x$HOME$_7", "HOME=/h _7=q", "MODULE_x/hq"),
    ("MODULE_x$(HOME)_7", "HOME=/h", "MODULE_x/h_7"), ("MODULE_x${HOME}_7", "HOME=/h", "MODULE_x/h_7"),
    ("MODULE_x$y_7", "y=q", None), ("MODULE_x$1_7", "1_7=q 1=q", None)])
def test_verilator_reads_a_variable_in_a_file_name_as_names_says(tmp_path, stem, env, read_as):
    """Why a module's name holds no "$": Verilator, given a module's file by
    its path, reads the variables set in its name."""
    require_tool("verilator")
    (tmp_path / f"{stem}.v").write_text("module sub(input a, output b); assign b = a; endmodule\n")
    (tmp_path / "top.v").write_text("module top(input a, output b); sub u(.a(a), .b(b)); endmodule\n")
    run = run_tool(["env", *env.split(), "verilator", "--lint-only", "--top-module", "top",
                    str(tmp_path / "top.v"), str(tmp_path / f"{stem}.v")], capture_output=True, text=True)
    if read_as is None:
        assert run.returncode == 0, run.stderr
    else:
        assert f"Cannot find file containing module: {tmp_path}/{read_as}.v" in run.stderr
    assert "`MODULE_x$HOME$_7.v` is read as `MODULE_x/h$_7.v`" in section("Names")


def design_of_width(what, n, out_dir):
    """A design whose output holds one thing n wide: an all-ones constant of n
    bits, a register of n bits, or a memory of 2^n words."""
    m = v.ModelArena()
    top = m.mk_module("t")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    o = m.mk_wire("o", 8)
    m.mark_as_io(o, False, "o")
    if what == "constant":
        c = m.mk_val_vv("c", n, [2**64 - 1] * (n // 64) + ([2**(n % 64) - 1] if n % 64 else []))
    elif what == "register":
        r = m.mk_reg("r", n)
    else:
        a = m.mk_wire("a", n)
        m.mark_as_io(a, True, "a")
        mem = m.mk_mem_blk("mem", 8, n)
        wr, rd = m.mk_mem_ele("wr", mem, a, 8, False), m.mk_mem_ele("rd", mem, a, 8, True)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    if what == "constant":
        m.gen_basic_assign(o, c, v.Slice(0, 8))
    elif what == "register":
        m.gen_basic_assign(r, o, None, v.Slice(0, 8))
        m.gen_basic_assign(o, r, v.Slice(n - 8, n))
    else:
        m.gen_basic_assign(wr, 5)
        m.gen_basic_assign(o, rd)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    m.build_flow()
    v.BackendVerilog(m).emit(str(out_dir), "t")
    return str(out_dir / "t.v")


@pytest.mark.parametrize("what, n, tool, reads", [
    ("constant", 65520, "iverilog", True), ("constant", 65521, "iverilog", False),
    ("constant", 65536, "verilator", True), ("constant", 65537, "verilator", False),
    ("register", 2**28, "verilator", True), ("register", 2**28 + 1, "verilator", False),
    ("register", 2**30 + 1, "iverilog", True),
    ("memory", 31, "iverilog", True), ("memory", 32, "iverilog", False),
    ("memory", 28, "verilator", True), ("memory", 29, "verilator", False),
    ("memory", 32, "verilator", True), ("memory", 33, "verilator", False)])
def test_the_tools_read_the_widths_the_size_section_says(tmp_path, what, n, tool, reads):
    require_tool(tool)
    f = design_of_width(what, n, tmp_path)
    cmd = {"iverilog": ["iverilog", "-g2012", "-o", str(tmp_path / "sim")],
           "verilator": ["verilator", "--lint-only", "-Wno-WIDTH", "-Wno-COMBDLY"]}[tool]
    run = run_tool(cmd + [f], capture_output=True, text=True)
    assert (run.returncode == 0) == reads, run.stdout + run.stderr
    assert all(limit in section("Size") for limit in ["65,536 bits", "65,520 bits", "2^28 bits",
                                                      "2^32 words"])


def extension_design(pad, out_dir):
    """A 4-bit input `a` zero-extended by `pad` bits; the output `hi` holds
    the extension's top 8 bits, `lo` its low 8. Returns (top module, file,
    the extension's assignment)."""
    m = v.ModelArena()
    top = m.mk_module("t")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    a, hi, lo = m.mk_wire("a", 4), m.mk_wire("hi", 8), m.mk_wire("lo", 8)
    for sig, name, is_input in [(a, "a", True), (hi, "hi", False), (lo, "lo", False)]:
        m.mark_as_io(sig, is_input, name)
    e = m.mk_extend_bit("e", a, pad + 4)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    m.gen_basic_assign(hi, e, v.Slice(pad - 4, pad + 4))
    m.gen_basic_assign(lo, e, v.Slice(0, 8))
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    m.build_flow()
    assign = f"assign {m.hcp_verilog_name(e)} = "
    top_name = m.module_verilog_name(top)
    v.BackendVerilog(m).emit(str(out_dir), "t")
    text = (out_dir / "t.v").read_text()
    return top_name, str(out_dir / "t.v"), text[text.index(assign) + len(assign):].split(";")[0]


def verilator_wall(top_name, f):
    """Every warning of verilator --lint-only -Wall (the design's, with the
    ones every emitted file gives left out)."""
    require_tool("verilator")
    run = run_tool(["verilator", "--lint-only", "-Wall", "-Wno-DECLFILENAME", "-Wno-UNUSED", "-Wno-COMBDLY",
                    "--top-module", top_name, f], capture_output=True, text=True)
    return re.findall(r"%Warning-(\w+)", run.stderr)


@pytest.mark.parametrize("pad, written", [
    (8192, "{8192{1'b0}}"), (8193, "{1{{8192{1'b0}}}}, {1{1'b0}}"),
    (9000, "{1{{8192{1'b0}}}}, {808{1'b0}}"), (20000, "{2{{8192{1'b0}}}}, {3616{1'b0}}")])
def test_a_zero_extension_beyond_8192_bits_is_written_so_both_tools_take_it(tmp_path, pad, written):
    """Verilator warned of one replication of more than 8,192 copies."""
    top_name, f, assign = extension_design(pad, tmp_path)
    assert assign.startswith("{" + written + ", WIRE_a_")
    assert verilator_wall(top_name, f) == []
    got = simulate(top_name, [f], tmp_path, {"port:hi": None, "port:lo": None}, inputs={"a": lambda c: 3 * c % 16},
                   cycles=4)
    assert got == {"port:hi": [0] * 4, "port:lo": [0, 3, 6, 9]}


@pytest.mark.parametrize("pad, tool, reads", [(2**24 - 1, "verilator", True), (2**24, "verilator", True),
                                              (8192**2 + 8192, "verilator", True), (2**24, "iverilog", False)])
def test_the_tools_take_the_zero_extensions_the_size_section_says(tmp_path, pad, tool, reads):
    """Icarus's limit is its own (a replication of 2^24 bits stops vvp,
    however it is written); simulating up to it takes minutes, so only the
    side it refuses is run here."""
    top_name, f, _ = extension_design(pad, tmp_path)
    if tool == "verilator":
        assert (verilator_wall(top_name, f) == []) == reads
    else:
        require_tool("iverilog")
        run_tool(["iverilog", "-g2012", "-o", str(tmp_path / "sim"), f], check=True)
        run = run_tool(["vvp", "-n", str(tmp_path / "sim")], capture_output=True, text=True)
        assert (run.returncode == 0) == reads, run.stdout + run.stderr
    assert all(claim in section("Size") for claim in [
        "adds more than 8,192 bits", "2^24 bits or more", "(`{2{{8192{1'b0}}}}, {3616{1'b0}}` for 20,000 bits)"])


def test_a_module_writes_the_registers_of_another(tmp_path):
    d = Design()
    pr = d.reg("pr")
    with d.components():
        child = d.m.mk_module("child")
        cr = d.reg("cr", module=child)
    # Each counts the other's register with a loose assignment.
    with d.behaviour(child):
        d.m.gen_basic_assign(pr, d.m.mk_expression("pr_next", v.LogicOp.ArithPlus, pr, 2))
    with d.behaviour():
        d.m.gen_basic_assign(cr, d.inc(cr))
    inst = d.m.module_verilog_name(child)
    got = d.run(tmp_path, {"pr": d.probe(pr), "cr": f"dut.{inst}.{d.m.hcp_verilog_name(cr)}"}, cycles=6)
    assert got == {"pr": [0, 0, 0, 2, 4, 6], "cr": [0, 0, 0, 1, 2, 3]}
    assert "A module reads and writes any register of the design directly" in TEXT


@pytest.mark.parametrize("call_priority, shown", [(7, 7), (None, 10)])
def test_a_zync_bind_without_priority_takes_the_calls_or_10(call_priority, shown):
    """The refusal of two binds of one arbiter names each bind's leaf priority."""
    m, c1, c4, arb = flow_model()
    binds = [(arb, None, False, None), (arb, 3, False, None)]
    with pytest.raises(ValueError, match=rf"binds\[1\] \(priority 3\) while binds\[0\] \(priority {shown}\)"):
        m.mk_flow_block_zync_multi("z", binds, True, call_priority)
    assert "None takes the call's `priority`, or 10 without one" in section("Arbiters: `pip` and `zync`")


def test_a_reduce_read_gives_the_declared_fields_and_what_the_top_level_returned():
    m, c1, c4, arb = flow_model()
    k = m.mk_karray("k", [3], [("v", 4), ("at", 2)], v.HwComponentType.REG)
    sides, carried = [], []

    def fn(left, left_at, right, right_at, level):
        sides.append((left_at, right_at, [(n, s.global_id) for n, s in right]))
        carried.append(m.mk_wire(f"at_{level}", 2))
        return c1, [("at", carried[-1]), ("idx", carried[-1])]

    assert m.karray_read_field_hcp(k, [("reduce", [], [])], [fn], "at").global_id == carried[-1].global_id
    # Element 2 has no partner at level 0: at level 1 it is a side of its own,
    # its fields the element's own components.
    own = [(f, m.karray_element_hcp(k, [2], f).global_id) for f in ("v", "at")]
    assert [(left_at, right_at) for left_at, right_at, _ in sides] == [([0], [1]), ([0, 1], [2])]
    assert sides[1][2] == own
    # An extra the array does not declare reaches no caller.
    with pytest.raises(ValueError, match="^Karray has no field 'idx'$"):
        m.karray_read_field_hcp(k, [("reduce", [], [])], [fn], "idx")
    assert "\"Karray has no field 'idx'\"" in section("Karrays")


# ---- the panics that slips in describing behaviour raise, as Failures lists them

SLIP_TABLE = GUIDE.partition("\n| `PanicException` text |")[2].split("\n\n")[0]


def slip_model():
    """A model in its top module's behaviour phase: a 4-bit register, a
    1-bit wire, an arbiter and a REG Karray of one 4-bit field."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    r, c, arb = m.mk_reg("r", 4), m.mk_wire("c", 1), m.mk_arb("arb", v.ArbSamePriPolicy.AckOne)
    k = m.mk_karray("k", [2], [("f", 4)], v.HwComponentType.REG)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    return m, r, c, arb, k


def opened(m, block, *assignments):
    """Opens `block` and makes the assignments, (register, value) each, in it."""
    m.initialize_flow_block(block)
    for des, src in assignments:
        m.gen_basic_assign(des, src)
    return block


def closed(m, block, *assignments):
    m.finalize_flow_block(opened(m, block, *assignments))


def with_body(m, block, r):
    """Opens `block` and gives it a body: a seq of one step; leaves it open."""
    opened(m, block)
    closed(m, m.mk_flow_block_seq("body"), (r, 1))
    return block


# Each slip describes up to the call that raises and returns that call.
def assignment_in_open_wait(m, r, c, arb, k):
    opened(m, m.mk_flow_block_seq("s"))
    opened(m, m.mk_flow_block_sywait("w", 2))
    return lambda: m.gen_basic_assign(r, 1)


def karray_write_in_open_wait(m, r, c, arb, k):
    opened(m, m.mk_flow_block_scwait("w", c))
    return lambda: m.karray_assign_hcps(k, [("static", [0], [])], [("f", 1)], True)


def pip_in_zelse(m, r, c, arb, k):
    closed(m, m.mk_flow_block_zif("i", c), (r, 1))
    opened(m, m.mk_flow_block_zelse("e"))
    pip = with_body(m, m.mk_flow_block_pip("p", arb), r)
    return lambda: m.finalize_flow_block(pip)


def seq_in_zif(m, r, c, arb, k):
    opened(m, m.mk_flow_block_zif("i", c))
    seq = opened(m, m.mk_flow_block_seq("s"), (r, 1))
    return lambda: m.finalize_flow_block(seq)


def seq_in_zcase(m, r, c, arb, k):
    opened(m, m.mk_flow_block_zstate("zs", r))
    opened(m, m.mk_flow_block_zcase("zc", 1))
    seq = opened(m, m.mk_flow_block_seq("s"), (r, 1))
    return lambda: m.finalize_flow_block(seq)


def second_set_reg_reset(m, r, c, arb, k):
    m.set_reg_reset(r, m.mk_val("a", 4, 0))
    return lambda: m.set_reg_reset(r, m.mk_val("b", 4, 0))


def second_karray_reset_field(m, r, c, arb, k):
    m.karray_reset_field(k, "f", 0)
    return lambda: m.karray_reset_field(k, "f", 1)


SLIPS = {
    "wait block accepts no direct nodes": [assignment_in_open_wait, karray_write_in_open_wait],
    "zero-cond-if sub blocks must have BasicNodeFlow join policy": [pip_in_zelse, seq_in_zif],
    "zero-switch-case sub blocks must have BasicNodeFlow join policy": [seq_in_zcase],
    "reset_val is set already": [second_set_reg_reset, second_karray_reset_field],
}


@pytest.mark.parametrize("text, slip", [pytest.param(text, slip, id=slip.__name__)
                                        for text, slips in SLIPS.items() for slip in slips])
def test_a_slip_raises_the_panic_text_that_failures_lists(text, slip):
    m, *args = slip_model()
    last_call = slip(m, *args)
    with pytest.raises(v.PanicException) as raised:
        last_call()
    assert str(raised.value).removeprefix("assertion `left == right` failed: ").split("\n")[0] == text
    assert f"`{text}`" in SLIP_TABLE


def test_the_table_of_slips_lists_the_texts_tested_here():
    # The zcase's text shares the row of the zif chain's.
    first_column = set(re.findall(r"^\| `([^`]+)`", SLIP_TABLE, re.M))
    assert first_column | {"zero-switch-case sub blocks must have BasicNodeFlow join policy"} == SLIPS.keys()
