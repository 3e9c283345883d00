"""Names written into the Verilog: every name either makes a legal
identifier where it lands, or the call that receives it is refused before
anything is made; the top file name stays a file of the output directory."""
import itertools
import os
import re
import subprocess
import sys

import pytest

from vorlent import _vorlent as v
import test_block_timing
from model_helpers import ids_drawn, raised, refused
from verilog_sim import lint, require_tool, run_tool

# An output port name that, written as it stands, made both tools read the port as 42.
INJECTION = ("`ifdef INJ\n; end\nassign q = 8'd42;\nreg [7:0] sink;\nalways @(*) begin sink\n"
             "`else\n`define INJ\nq\n`endif\n")
BAD_ANYWHERE = [INJECTION, "a b", "a\tb", "a\nb", "a\x00b", 'a"b', "a'b", "a`b", "a\\b", "é", "a-b", "a/b"]
REG = v.HwComponentType.REG


def places(m):
    """Each place that takes a name: (where, display of the element made or None, call)."""
    r, mem = m.mk_reg("r", 8), m.mk_mem_blk("mb", 8, 2)
    return [
        ("mk_module: name", "MODULE", lambda n: m.mk_module(n)),
        ("mk_reg: name", "REG", lambda n: m.mk_reg(n, 8)),
        ("mk_mem_ele: name", "MEM_BLOCK_INDEXER", lambda n: m.mk_mem_ele(n, mem, r, 8, True)),
        ("mk_expression: name", "EXPR", lambda n: m.mk_expression(n, v.LogicOp.ArithPlus, r, 1)),
        ("gen_rotate_left: name", "EXPR", lambda n: m.gen_rotate_left(n, r, v.Slice(), 1)),
        ("mk_karray: name", "KARRAY", lambda n: m.mk_karray(n, [2], [("f", 4)], REG)),
        ("mk_karray: field name", None, lambda n: m.mk_karray("k", [2], [(n, 4)], REG)),
        # A block's name reaches the Verilog only in its cond slice's expression "{name}_CONDSLICE".
        ("mk_flow_block_cif: name", "COND_IF", lambda n: m.mk_flow_block_cif(n, r, v.Slice(2, 3))),
        ("mark_as_io: io_name", None, lambda n: m.mark_as_io(r, False, n)),
    ]


def longest(m, display, limit=None):
    """The longest name whose element's name "{display}_{name}_{id}" keeps to
    `limit`: 256 bytes, or for a module 253 (its file "{name}.v" to 255)."""
    if display is None:
        return 256
    next_id = m.mk_reg("probe", 1).global_id + 1
    return (limit or (253 if display == "MODULE" else 256)) - len(f"{display}__{next_id}")


def test_odd_names_are_refused_where_given(m):
    for where, display, call in places(m):
        port = where.startswith("mark_as_io")
        odd = [(n, "holds") for n in BAD_ANYWHERE]
        # An element's own name over MAX_NAME_LEN is the name rule's fatal error
        # (below); a module's file name, a field's and a port's limits are these checks' own.
        if display in (None, "MODULE"):
            odd.append(("x" * (longest(m, display) + 1), "bytes long"))
        if port:
            odd += [("", "is empty"), ("clk", "is taken"), ("mrst", "is taken"), ("module", "keyword"),
                    ("begin", "keyword"), ("always_ff", "keyword"), ("1abc", "starts with a digit"),
                    ("$x", "starts with a digit"), ("bool", "Verilator reserves"), ("delete", "Verilator reserves"),
                    ("mailbox", "Verilator reserves"), ("process", "Verilator reserves"),
                    ("semaphore", "Verilator reserves"), ("sc_in", "Verilator reserves"),
                    ("wreal", "Icarus reserves"), ("PATHPULSE$", "Icarus reserves"), ("PATHPULSE$a", "Icarus reserves")]
        for name, words in odd:
            text = refused(m, ValueError, call, name)
            assert text.startswith(f'{where} "') and words in text, text
    # A block's name is refused only where its cond slice's expression takes it, and says so.
    r = m.mk_reg("c", 4)
    assert refused(m, ValueError, m.mk_flow_block_cif, "a b", r, v.Slice(2, 3)).endswith(
        ' (with this cond_slice it names the expression "a b_CONDSLICE")')
    assert m.mk_flow_block_cif("a b", m.mk_reg("one", 1), v.Slice(0, 1)).global_id > r.global_id
    # The text quotes the name, bytes that are not printable ASCII escaped.
    assert refused(m, ValueError, m.mk_reg, "aé\"", 1) == (
        'mk_reg: name "a\\xC3\\xA9\\"" holds "\\xC3" at byte 1; a name is written into the Verilog '
        'and may hold only ASCII letters, digits, "_" and "$"')


# A module's name is part of its file name "MODULE_<name>_<id>.v". Verilator,
# given that file by its path, reads "$HOME", "$(HOME)", "${HOME}" in it as
# the variable, a second "$" ending the name ("x$HOME$_7" became "x/root$_7"),
# and a "$" that ends the module name before "_<id>" ("$_7"); it leaves "$1"
# alone, which a shell or make would expand. No module name holds a "$".
@pytest.mark.parametrize("name, refused_at", [
    ("x$HOME$", 1), ("x$PATH$y", 1), ("x$y", 1), ("ab$", 2), ("$", 0), ("a$1", 1), ("__$$", 2),
    ("x", None), ("", None), ("1abc", None), ("module", None), ("HOME_", None),
])
def test_a_module_name_holding_a_dollar_is_refused(m, name, refused_at):
    if refused_at is None:
        made = m.mk_module(name)
        assert m.module_verilog_name(made) == f"MODULE_{name}_{made.global_id}"
        return
    assert refused(m, ValueError, m.mk_module, name) == (
        f'mk_module: name "{name}" holds "$" at byte {refused_at}; the name is part of the file name '
        '"MODULE_<name>_<id>.v", in which Verilator reads "$NAME" as an environment variable (and a shell '
        'or make "$1")')
    # Names that are no file name keep their "$".
    assert m.hcp_verilog_name(m.mk_reg(name, 1)).startswith(f"REG_{name}_")


def test_an_own_name_over_max_name_len_stops_the_factory_with_its_id_drawn(m, panic_type):
    for where, display, call in places(m):
        if display is None:
            continue
        # A module's own name between its file's limit and MAX_NAME_LEN is refused with no id drawn.
        if display == "MODULE":
            assert "bytes long" in refused(m, ValueError, call, "m" * (longest(m, display) + 3))
        texts, name = [], "x" * (longest(m, display, 256) + 1)
        drawn = ids_drawn(m, lambda: texts.append(raised(panic_type, call, name)))
        quoted = re.fullmatch(r'name exceeds MAX_NAME_LEN \(256\): "(\w+)"', texts[0]).group(1)
        # The element's own identity stops the call; what the factory makes
        # first from the name (an int's constant, the cond slice's expression) is cut.
        assert drawn >= 1 and len(quoted) > 256 and quoted.startswith(f"{display}_{name}_"), where
    # A name of 257 bytes is itself over the limit: the text quotes it, not the absolute name.
    assert raised(panic_type, m.mk_flow_block_seq, "s" * 257) == f'name exceeds MAX_NAME_LEN (256): "{"s" * 257}"'
    # The element's own: "{display}_{name}_{id}" with the id just drawn.
    name = "q" * (longest(m, "REG", 256) + 1)
    first = m.mk_reg("probe", 1).global_id + 1
    assert raised(panic_type, m.mk_reg, name, 8) == f'name exceeds MAX_NAME_LEN (256): "REG_{name}_{first}"'


# Run in a fresh process, where ids start at 0: the calls that draw ids
# before their element's, each with the display of that element.
OWN_ID_GAINS_A_DIGIT = """
import sys
from vorlent import _vorlent as v, PanicException
m = v.ModelArena()
top = m.mk_module("top")
m.set_top_module(top)
m.track_module_at_com_init(top)
r = m.mk_reg("r", 8)
display, call = {
    "mk_expression": ("EXPR", lambda n: m.mk_expression(n, v.LogicOp.ArithPlus, r, 1)),
    "gen_mux": ("WIRE", lambda n: m.gen_mux(n, r, v.Slice(2, 3), 1, 2, width=8)),
    "mk_arb": ("ARB", lambda n: m.mk_arb(n, 0)),
    "mk_karray": ("KARRAY", lambda n: m.mk_karray(n, [2], [("f", 4)], v.HwComponentType.REG)),
    "mk_flow_block_cif": ("COND_IF", lambda n: m.mk_flow_block_cif(n, r, v.Slice(2, 3))),
}[sys.argv[1]]
before = m.mk_reg("probe", 1).global_id
drawn_first = call("probe").global_id - before - 1
# The next id then has three digits, the element's four: judged by the
# next id, the name fits by one byte.
element_id = 1000
while m.mk_reg("d", 1).global_id + 1 < element_id - drawn_first:
    pass
name = "n" * (256 - len(f"{display}__{element_id - 1}"))
try:
    print("made", call(name).global_id, drawn_first)
except PanicException as e:
    print(e)
"""


@pytest.mark.parametrize("method", ["mk_expression", "gen_mux", "mk_arb", "mk_karray", "mk_flow_block_cif"])
def test_an_own_name_is_judged_by_the_id_its_element_takes(method):
    run = subprocess.run([sys.executable, "-c", OWN_ID_GAINS_A_DIGIT, method], capture_output=True, text=True,
                         check=True)
    display = {"mk_expression": "EXPR", "gen_mux": "WIRE", "mk_arb": "ARB", "mk_karray": "KARRAY",
               "mk_flow_block_cif": "COND_IF"}[method]
    name = "n" * (256 - len(f"{display}__999"))
    assert run.stdout == f'name exceeds MAX_NAME_LEN (256): "{display}_{name}_1000"\n'


def traced_top():
    """A model and its top module, traced while components are made."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    return m, top


def emitted_compiles_in_both_tools(m, top, tmp_path, top_file):
    """Builds and emits the design; its files compile in Icarus and pass Verilator's lint."""
    require_tool("iverilog")
    m.build_flow()
    top_name = m.module_verilog_name(top)
    v.BackendVerilog(m).emit(str(tmp_path), top_file)
    files = sorted(str(tmp_path / f) for f in os.listdir(tmp_path))
    run = run_tool(["iverilog", "-g2012", "-o", str(tmp_path / "sim"), *files], capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    lint(top_name, files)
    return files


def test_accepted_odd_names_compile_in_both_tools(tmp_path):
    m, top = traced_top()
    # Names at the length limit grow past it in the names derived from them
    # (assignments, wire defaults, routing), which are cut to fit.
    sub = m.mk_module("m" * longest(m, "MODULE"))
    m.track_module_at_com_init(sub)
    src = m.mk_reg("s" * longest(m, "REG"), 8)
    w = m.mk_wire("w" * longest(m, "WIRE"), 8)
    k = m.mk_karray("k" * longest(m, "KARRAY"), [2], [("f" * 256, 8)], REG)
    m.untrack_module_at_com_init(sub)
    regs = [m.mk_reg(n, 8) for n in ["1abc", "module", "begin", "", "a$b"]]
    m.mark_as_io(regs[0], False, "_p$1")
    m.mark_as_io(m.mk_expression("endmodule", v.LogicOp.ArithPlus, src, w), False, "o")
    m.mark_as_io(m.karray_element_hcp(k, [1], "f" * 256), False, "k1")
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(sub)
    seq = m.mk_flow_block_seq("q" * longest(m, "SEQUENTIAL"))
    m.initialize_flow_block(seq)
    m.gen_basic_assign(src, 3)
    m.gen_basic_assign(regs[0], src)
    m.finalize_flow_block(seq)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(sub)
    assert len(emitted_compiles_in_both_tools(m, top, tmp_path, "chip")) == 2


# Names tried as ports of both tools: C and C++ keywords, alternative tokens and
# library words, SystemC's, Verilog-AMS keywords, words of the tools' own, and
# some of the language's keywords.
PORT_NAME_CANDIDATES = """
    alignas alignof and and_eq asm atomic_cancel atomic_commit atomic_noexcept auto bitand bitor bool break case
    catch char char8_t char16_t char32_t class co_await co_return co_yield compl concept const consteval constexpr
    constinit const_cast continue decltype default delete do double dynamic_cast else enum explicit export extern
    false final float for friend goto if import inline int long module mutable namespace new noexcept not not_eq
    nullptr operator or or_eq override private protected public reflexpr register reinterpret_cast requires return
    short signed sizeof static static_assert static_cast struct switch synchronized template this thread_local throw
    transaction_safe transaction_safe_dynamic true try typedef typeid typename union unsigned using virtual void
    volatile wchar_t while xor xor_eq NULL _Bool _Complex _Alignas _Atomic _Generic _Noreturn _Static_assert restrict
    fortran entry overload __attribute__ __asm__ __inline __restrict __cdecl __stdcall _asm _far
    int8_t int16_t int32_t int64_t uint8_t uint16_t uint32_t uint64_t size_t ssize_t ptrdiff_t intptr_t uintptr_t
    FILE EOF errno stdin stdout stderr std string vector map set list array deque queue stack pair tuple bitset
    iterator bit_vector complex valarray type_info exception main exit abort malloc free printf memcpy assert
    value_type size_type difference_type reference const_reference pointer const_pointer const_iterator
    reverse_iterator const_reverse_iterator allocator_type key_type mapped_type hasher multimap multiset
    cdecl pascal near far huge interrupt cin cout endl thread mutex atomic function optional variant
    sc_in sc_out sc_inout sc_signal sc_clock sc_module sc_main SC_MODULE SC_CTOR SC_METHOD SC_THREAD sc_bv sc_lv
    sc_bit sc_logic sc_int sc_uint sc_time sc_start sc_fifo sc_port sc_event sensitive sensitive_pos sensitive_neg
    abs absdelay abstol access acos ac_stim aliasparam analog analysis asin atan atan2 branch ceil connect
    connectmodule connectrules continuous cos cosh ddt ddx discipline discrete domain driver_update endconnectrules
    enddiscipline endnature endparamset exclude exp final_step flicker_noise floor flow from ground hypot idt
    idtmod inf initial_step laplace_nd last_crossing limexp ln log max merged min nature net_resolution
    noise_table paramset potential pow resolveto sin sinh slew split sqrt tan tanh timer transition units
    white_noise wreal zi_nd zi_zp above acosh asinh atanh ddt_nature idt_nature laplace_np laplace_zd laplace_zp
    zi_np zi_zd wone uwire
    mailbox process semaphore randomize srandom PATHPULSE$ PATHPULSE$a PATHPULSE$a$b PATHPULSE pathpulse$x
    vlSymsp vlSelf VL_INLINE VlWide Verilated IData QData __Vtemp __Vx TOP Vtop
    interconnect nettype implements soft logic bit byte wire reg input output always begin end endmodule
    clk mrst start ok _ __ a$ x$1
""".split()


def test_every_port_name_the_check_lets_through_compiles_in_both_tools(tmp_path):
    m, top = traced_top()
    taken = []
    for i, name in enumerate(PORT_NAME_CANDIDATES):
        # Inputs and outputs by turns.
        h = m.mk_wire("i", 1) if i % 2 else m.mk_reg("o", 1)
        try:
            m.mark_as_io(h, bool(i % 2), name)
            taken.append(name)
        except ValueError:
            pass
    m.untrack_module_at_com_init(top)
    assert {"int64_t", "start", "max", "_", "PATHPULSE", "value_type"} <= set(taken)
    assert not {"delete", "bool", "wreal", "wone", "const_iterator", "reference"} & set(taken)
    emitted_compiles_in_both_tools(m, top, tmp_path, "top")


def ported_design(port_names):
    """A top module with a sub-module, each with an output port; returns the
    backend and the names of the sub-module and of the top's register."""
    m, top = traced_top()
    # Every letter, so that the case folding of each is tried.
    sub = m.mk_module("kits_abcdefghijklmnopqrstuvwxyz")
    m.track_module_at_com_init(sub)
    m.mark_as_io(m.mk_reg("s", 2), False, port_names[0])
    m.untrack_module_at_com_init(sub)
    r = m.mk_reg("count", 2)
    m.mark_as_io(r, False, port_names[1].format(reg="REG_count_{}".format(r.global_id),
                                                sub=m.module_verilog_name(sub), top=m.module_verilog_name(top)))
    m.untrack_module_at_com_init(top)
    m.build_flow()
    sub_name = m.module_verilog_name(sub)
    return v.BackendVerilog(m), sub_name


@pytest.mark.parametrize("ports, top_file, words", [
    (("out", "out"), "top", 'io_name "out" given to mark_as_io is declared twice in the top module "MODULE_top_'),
    (("o", "{reg}"), "top", "by a port and by a component"),
    (("o", "{sub}"), "top", "by a port and by a sub-module instance"),
    (("o", "{top}"), "top", "by a port and by the module's own name"),
    (("o", "p"), "", 'top_file_name "" is not a plain file name'),
    (("o", "p"), ".", "is not a plain file name"),
    (("o", "p"), "..", "is not a plain file name"),
    (("o", "p"), "../x", "is not a plain file name"),
    (("o", "p"), "a\x00b", "is not a plain file name"),
    (("o", "p"), "a\nb", 'top_file_name "a\\x0Ab" holds a line feed, a carriage return, a backtick, ")", "}" or "$"'),
    (("o", "p"), "a\rb", "holds a line feed"),
    (("o", "p"), "a`b", "holds a line feed"),
    # Verilator stops on a file name holding ")" or "}", and reads "$HOME" in
    # one as the environment variable.
    (("o", "p"), "a)b", "holds a line feed"),
    (("o", "p"), "a)", "holds a line feed"),
    (("o", "p"), "a}}b", "holds a line feed"),
    (("o", "p"), "a$HOME", "holds a line feed"),
    (("o", "p"), "a$(HOME)", "holds a line feed"),
    (("o", "p"), "{sub}", "is the file name of module"),
    (("o", "p"), "{SUB}", "is the file name of module"),
    (("o", "p"), "{FOLDED}", "is the file name of module"),
])
def test_emit_refuses_clashing_ports_and_top_file_names_before_writing(tmp_path, ports, top_file, words):
    backend, sub = ported_design(ports)
    # KELVIN SIGN and LONG S fold to "k" and "s" where case is ignored.
    stem = top_file.format(sub=sub, SUB=sub.upper(), FOLDED=sub.replace("k", "\u212a").replace("s", "\u017f"))
    with pytest.raises(ValueError, match=re.escape(words)):
        backend.emit(str(tmp_path), stem)
    assert os.listdir(tmp_path) == []
    # A top file name is judged before the model changes: a good one writes the design.
    if "top_file_name" in words or "file name of" in words:
        backend.emit(str(tmp_path), "top")
        assert sorted(os.listdir(tmp_path)) == [f"{sub}.v", "top.v"]


# Every printable ASCII character and a tab that a top file name may hold,
# and a letter beyond ASCII.
TOP_FILE_CHARS = "".join(chr(c) for c in range(32, 127) if chr(c) not in "/`)}$") + "\t\u00e9"


def test_a_top_file_name_of_every_character_the_check_lets_through_compiles_in_both_tools(tmp_path):
    m, top = traced_top()
    sub = m.mk_module("sub")
    m.track_module_at_com_init(sub)
    m.mark_as_io(m.mk_reg("s", 1), False, "s")
    m.untrack_module_at_com_init(sub)
    m.untrack_module_at_com_init(top)
    assert len(emitted_compiles_in_both_tools(m, top, tmp_path, TOP_FILE_CHARS)) == 2


@pytest.mark.parametrize("length, written", [(253, True), (254, False)])
def test_a_top_file_name_may_fill_a_file_name_with_its_extension(tmp_path, length, written):
    backend, sub = ported_design(("o", "p"))
    stem = "t" * length
    if written:
        backend.emit(str(tmp_path), stem)
        assert sorted(os.listdir(tmp_path)) == sorted([f"{sub}.v", f"{stem}.v"])
    else:
        # Refused as a caller's mistake before anything is written, not a
        # file that cannot be opened.
        with pytest.raises(ValueError, match="top_file_name"):
            backend.emit(str(tmp_path), stem)
        assert os.listdir(tmp_path) == []


# The block-timing cases that together make every kind of flow block, the
# condition kinds on 1-bit conditions (no slice expression takes the name).
EVERY_BLOCK_KIND = ["seq", "par_auto-fixed", "par_no_sync-fixed", "cselif", "sif-read", "zif", "zstate", "cwhile",
                    "swhile", "do_while", "counter_loop", "sywait", "scwait", "pick", "pip", "zync"]


@pytest.mark.parametrize("case", EVERY_BLOCK_KIND)
def test_block_names_are_never_written_so_any_text_names_a_block(tmp_path, capfd, case):
    odd = ("stage1.fetch", "wait-ack", "loop[3]", "a b", "", "\u00e9", "x\ny", '"q"', "`define")
    t = test_block_timing.build(case, (f"{odd[i % len(odd)]}#{i}" for i in itertools.count()))
    # The design behaves as with plain names, and no name reaches its files.
    test_block_timing.check_timing(tmp_path, capfd, case, t)
    for f in os.listdir(tmp_path):
        if f.endswith(".v") and f != "tb.v":
            assert "#" not in (tmp_path / f).read_text(), f
