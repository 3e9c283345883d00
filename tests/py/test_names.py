"""Names written into the Verilog: every name either makes a legal
identifier where it lands, or the call that receives it is refused before
anything is made; the top file name stays a file of the output directory."""
import os

import pytest

from vorlent import _vorlent as v
from model_helpers import refused
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
        ("mk_flow_block_zcase: name", "ZERO_SWITCH_CASE", lambda n: m.mk_flow_block_zcase(n, 0)),
        ("mark_as_io: io_name", None, lambda n: m.mark_as_io(r, False, n)),
    ]


def longest(m, display):
    """The longest name whose element's name "{display}_{name}_{id}" keeps to
    256 bytes, or for a module to 253 (its file "{name}.v" to 255)."""
    if display is None:
        return 256
    next_id = m.mk_reg("probe", 1).global_id + 1
    return (253 if display == "MODULE" else 256) - len(f"{display}__{next_id}")


def test_odd_names_are_refused_where_given(m):
    for where, display, call in places(m):
        port = where.startswith("mark_as_io")
        odd = [(n, "holds") for n in BAD_ANYWHERE] + [("x" * (longest(m, display) + 1), "bytes long")]
        if port:
            odd += [("", "is empty"), ("clk", "is taken"), ("mrst", "is taken"), ("module", "keyword"),
                    ("begin", "keyword"), ("always_ff", "keyword"), ("1abc", "starts with a digit"),
                    ("$x", "starts with a digit")]
        for name, words in odd:
            text = refused(m, ValueError, call, name)
            assert text.startswith(f'{where} "') and words in text, text
    # The text quotes the name, bytes that are not printable ASCII escaped.
    assert refused(m, ValueError, m.mk_reg, "aé\"", 1) == (
        'mk_reg: name "a\\xC3\\xA9\\"" holds "\\xC3" at byte 1; a name is written into the Verilog '
        'and may hold only ASCII letters, digits, "_" and "$"')


def test_accepted_odd_names_compile_in_both_tools(tmp_path):
    require_tool("iverilog")
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
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
    m.build_flow()
    top_name = m.module_verilog_name(top)
    v.BackendVerilog(m).emit(str(tmp_path), "chip")
    files = sorted(str(tmp_path / f) for f in os.listdir(tmp_path))
    assert len(files) == 2
    run_tool(["iverilog", "-g2012", "-o", str(tmp_path / "sim"), *files], check=True, capture_output=True)
    lint(top_name, files)


def ported_design(port_names):
    """A top module with a sub-module, each with an output port; returns the
    backend and the names of the sub-module and of the top's register."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    sub = m.mk_module("kits")
    m.track_module_at_com_init(sub)
    m.mark_as_io(m.mk_reg("s", 2), False, port_names[0])
    m.untrack_module_at_com_init(sub)
    r = m.mk_reg("count", 2)
    m.mark_as_io(r, False, port_names[1].format(reg="REG_count_{}".format(r.global_id),
                                                sub=m.module_verilog_name(sub)))
    m.untrack_module_at_com_init(top)
    m.build_flow()
    sub_name = m.module_verilog_name(sub)
    return v.BackendVerilog(m), sub_name


@pytest.mark.parametrize("ports, top_file, words", [
    (("out", "out"), "top", 'io_name "out" given to mark_as_io is declared twice in the top module "MODULE_top_'),
    (("o", "{reg}"), "top", "by a port and by a component"),
    (("o", "{sub}"), "top", "by a port and by a sub-module instance"),
    (("o", "p"), "", 'top_file_name "" is not a plain file name'),
    (("o", "p"), ".", "is not a plain file name"),
    (("o", "p"), "..", "is not a plain file name"),
    (("o", "p"), "../x", "is not a plain file name"),
    (("o", "p"), "a\x00b", "is not a plain file name"),
    (("o", "p"), "{sub}", "is the file name of module"),
    (("o", "p"), "{SUB}", "is the file name of module"),
    (("o", "p"), "{FOLDED}", "is the file name of module"),
])
def test_emit_refuses_clashing_ports_and_top_file_names_before_writing(tmp_path, ports, top_file, words):
    backend, sub = ported_design(ports)
    # KELVIN SIGN and LONG S fold to "k" and "s" where case is ignored.
    stem = top_file.format(sub=sub, SUB=sub.upper(), FOLDED=sub.replace("k", "\u212a").replace("s", "\u017f"))
    with pytest.raises(ValueError, match=words.replace("(", r"\(")):
        backend.emit(str(tmp_path), stem)
    assert os.listdir(tmp_path) == []
    # A top file name is judged before the model changes: a good one writes the design.
    if "top_file_name" in words or "file name of" in words:
        backend.emit(str(tmp_path), "top")
        assert sorted(os.listdir(tmp_path)) == [f"{sub}.v", "top.v"]
