"""Components, expressions, assignments, IO marks, resets and defaults, as the
front end calls them."""
import re
import warnings

import pytest

from vorlent import _vorlent as v
from model_helpers import ids_drawn, narrower, raised, refused, traced_model, wider
from verilog_sim import Design, lint, require_tool, run_tool, simulate

# Every warning a test does not expect fails it.
pytestmark = pytest.mark.filterwarnings("error")

OP = v.LogicOp


def reg_name(ident, name):
    return f"REG_{name}_{ident.global_id}"


class TestComponentFactories:
    def test_each_kind_is_made_with_its_width_and_sensitivity(self, m):
        reg, wire, val = m.mk_reg("r", 12), m.mk_wire("w", 3), m.mk_val("k", 8, 0xFF)
        wide, mem = m.mk_val_vv("kk", 130, [5]), m.mk_mem_blk("mem", 16, 4)
        ele = m.mk_mem_ele("rd", mem, wire, 16, True)
        made = [reg, wire, val, wide, mem, ele]
        assert [(h.hw_type, h.sensitive_type) for h in made[:3]] == \
            [("REG", "clocked"), ("WIRE", "combinational"), ("VAL", "read_only")]
        assert [h.hw_type for h in made[3:]] == ["VAL", "MEM_BLOCK", "MEM_BLOCK_INDEXER"] and ele.clocked
        # One id each, in call order.
        assert [h.global_id - reg.global_id for h in made] == list(range(6))
        assert [m.get_hw_bit_sz(h) for h in (reg, wire, val, wide, ele)] == [12, 3, 8, 130, 16]
        # Limbs of any number are brought to the width.
        for limbs in ([1, 2, 0], (5,), []):
            assert m.get_hw_bit_sz(m.mk_val_vv("k", 70, limbs)) == 70

    @pytest.mark.parametrize("width", [0, -(2**31)])
    def test_widths_below_one_are_refused_before_anything_is_made(self, m, width):
        mem, idx, reg = m.mk_mem_blk("mem", 8, 2), m.mk_wire("idx", 2), m.mk_reg("r", 4)
        # Each refusal names the parameter that holds the width.
        for call, param in [(lambda: m.mk_reg("r", width), "bit_width"), (lambda: m.mk_wire("w", width), "bit_width"),
                            (lambda: m.mk_val("k", width, 1), "bit_width"),
                            (lambda: m.mk_val_vv("kk", width, [1, 2]), "bit_width"),
                            (lambda: m.mk_mem_blk("mem", width, 4), "bit_width"),
                            (lambda: m.mk_mem_ele("rd", mem, idx, width, False), "bit_width"),
                            (lambda: m.mk_extend_bit("ext", reg, width), "c"),
                            (lambda: m.mk_karray("k", [2], [("f", 4), ("g", width)], v.HwComponentType.REG), "fields[1] width")]:
            assert refused(m, ValueError, call) == f"{param} must be positive, got {width}"

    def test_memory_element_needs_a_memory_block(self, m, panic_type):
        reg = m.mk_reg("r", 8)
        assert refused(m, ValueError, m.mk_mem_ele, "rd", reg, reg, 8, True) == \
            "master_mem_blk_i must be a MEM_BLOCK component, got REG"
        # The index signal may be of any kind.
        assert m.mk_mem_ele("rd", m.mk_mem_blk("mem", 8, 2), m.mk_val("i", 2, 1), 8, False).hw_type == "MEM_BLOCK_INDEXER"
        # A memory without index bits is the model's own fatal error.
        assert raised(panic_type, m.mk_mem_blk, "mem", 8, 0) == "index_width must be positive, got 0"

    def test_a_memory_is_as_deep_as_its_declaration_can_state(self, m, tmp_path):
        # The last address, 2^index_width - 1, is written as a signed 64-bit number.
        for width in (64, 2**31 - 1):
            assert refused(m, ValueError, m.mk_mem_blk, "mem", 8, width) == \
                f"index_width must be at most 63 (a memory of 2^63 words), got {width}"
        # The widest that is made is written.
        m = v.ModelArena()
        top = m.mk_module("top")
        m.set_top_module(top)
        m.track_module_at_com_init(top)
        deepest = m.hcp_verilog_name(m.mk_mem_blk("deepest", 1, 63))
        m.untrack_module_at_com_init(top)
        m.build_flow()
        v.BackendVerilog(m).emit(str(tmp_path), "top")
        assert f" {deepest} [0:{2**63 - 1}];" in (tmp_path / "top.v").read_text()

    @pytest.mark.parametrize("word, width", [(8, 16), (8, 9), (1, 2)])
    @pytest.mark.parametrize("is_read", [True, False])
    def test_a_memory_element_is_at_most_as_wide_as_the_word(self, m, word, width, is_read):
        """A wider write element wrote past the word (a select Verilator
        refuses) and a wider read element read bits no word holds."""
        mem, idx = m.mk_mem_blk("mem", word, 2), m.mk_wire("idx", 2)
        assert refused(m, ValueError, m.mk_mem_ele, "e", mem, idx, width, is_read) == (
            f'mk_mem_ele: bit_width {width} is wider than the {word}-bit words of memory '
            f'"{m.hcp_verilog_name(mem)}"; an element is at most as wide as its memory\'s word')
        for fits in {word, 1}:
            assert m.get_hw_bit_sz(m.mk_mem_ele("e", mem, idx, fits, is_read)) == fits

    @pytest.mark.parametrize("other", ["sub-module", "second root"])
    @pytest.mark.parametrize("role", ["memory block", "index"])
    def test_memory_element_is_made_in_the_module_of_its_block_and_index(self, other, role):
        """Its Verilog names both as they are, so in another module they would
        be declared nowhere."""
        m = v.ModelArena()
        top = m.mk_module("top")
        m.track_module_at_com_init(top)
        top_mem, top_idx = m.mk_mem_blk("mem", 8, 2), m.mk_wire("idx", 2)
        if other == "second root":
            m.untrack_module_at_com_init(top)
        elsewhere = m.mk_module("elsewhere")
        m.track_module_at_com_init(elsewhere)
        mem, idx = m.mk_mem_blk("mem", 8, 2), m.mk_wire("idx", 2)
        foreign, args = (top_mem, (top_mem, idx)) if role == "memory block" else (top_idx, (mem, top_idx))
        assert refused(m, ValueError, m.mk_mem_ele, "rd", *args, 8, True) == (
            f'mk_mem_ele: the {role} "{m.hcp_verilog_name(foreign)}" belongs to module '
            f'"{m.module_verilog_name(top)}" (id {top.global_id}), but the element would be made in module '
            f'"{m.module_verilog_name(elsewhere)}" (id {elsewhere.global_id}); an element names its memory block '
            "and its index in its own module's Verilog, so make it while the module that holds both is tracked")
        assert m.mk_mem_ele("rd", mem, idx, 8, True).hw_type == "MEM_BLOCK_INDEXER"


class TestExpressions:
    def test_ops_are_checked_for_their_method(self, m):
        reg = m.mk_reg("r", 4)
        for call, text in [
            (lambda: m.mk_expression("e", 26, reg, reg), "LogicOp index out of range: 26"),
            (lambda: m.mk_expression("e", OP.LogicalNot, reg, reg),
             "LogicalNot is not a binary expression op (use mk_expression_single / mk_extend_bit / the assign path)"),
            (lambda: m.mk_expression_single("e", OP.SliceBit, reg),
             "SliceBit is not a unary expression op (use mk_expression / the assign path)"),
            # Two ints have no width to take: refused before any constant is made.
            (lambda: m.mk_expression("e", OP.ArithPlus, 3, 4),
             "expression needs at least one signal operand, not two ints"),
        ]:
            assert refused(m, ValueError, call) == text

    def test_int_operand_takes_the_whole_width_of_the_other(self, m):
        reg, made = m.mk_reg("r", 16), []
        # The constant is made first, then the expression: two ids.
        assert ids_drawn(m, lambda: made.append(m.mk_expression("e", OP.ArithPlus, 5, reg, b_slice=v.Slice(0, 4)))) == 2
        # The expression is as wide as its first operand, the constant: 16
        # bits, not the 4 of the slice given for the register.
        assert m.get_hw_bit_sz(made[0]) == 16
        # Given for the int operand, the slice reads the constant.
        assert m.get_hw_bit_sz(m.mk_expression("e", OP.BitwiseAnd, 5, reg, a_slice=v.Slice(0, 4))) == 4
        # Ints of any size; widths as the other operand's (all but -1 cut).
        with pytest.warns(UserWarning, match="does not fit") as record:
            made = [m.mk_expression("e", OP.BitwiseXor, 2**300 + 7, reg), m.mk_expression("e", OP.ArithMinus, reg, -1),
                    m.mk_expression("e", OP.BitwiseAnd, -(2**200), m.mk_wire("n", 3)),
                    m.mk_expression("e", OP.RelationEq, reg, 2**64)]
        assert [m.get_hw_bit_sz(h) for h in made] == [16, 16, 3, 1] and len(record) == 3


def slice_places(m):
    """Each place that takes a caller's slice of an 8-bit signal: (call given
    the slice, the call and parameter the refusal names, the signal as it is
    named there, whether the signal is a condition)."""
    r, d, c, one = m.mk_reg("r", 8), m.mk_reg("d", 8), m.mk_wire("c", 8), m.mk_wire("one", 1)
    arb, cnt = m.mk_arb("a", 0), m.mk_dyn_counter("n", 4)
    name = lambda h: f'"{m.hcp_verilog_name(h)}"'
    places = [
        (lambda s: m.gen_basic_assign(d, r, src_slice=s), "gen_basic_assign: src_slice", name(r), False),
        (lambda s: m.gen_basic_assign(d, r, des_slice=s), "gen_basic_assign: des_slice", name(d), False),
        (lambda s: m.mk_expression("e", OP.ArithPlus, r, d, a_slice=s), "mk_expression: a_slice", name(r), False),
        (lambda s: m.mk_expression("e", OP.ArithPlus, r, d, b_slice=s), "mk_expression: b_slice", name(d), False),
        # An int operand is read as its constant, as wide as the other operand.
        (lambda s: m.mk_expression("e", OP.ArithPlus, r, 3, b_slice=s), "mk_expression: b_slice", "int operand b", False),
        # So is an int source, as wide as the destination, and an int input, as the mux.
        (lambda s: m.gen_basic_assign(d, 3, src_slice=s), "gen_basic_assign: src_slice", "int operand src", False),
        (lambda s: m.gen_mux("x", one, v.Slice(), 3, r, true_slice=s), "gen_mux: true_slice", "int operand if_true",
         False),
        (lambda s: m.gen_mux("x", one, v.Slice(), 1, 2, false_slice=s, width=8), "gen_mux: false_slice",
         "int operand if_false", False),
        (lambda s: m.mk_expression_single("e", OP.BitwiseInvr, r, s), "mk_expression_single: a_slice", name(r), False),
        (lambda s: m.mk_extend_bit("e", r, 16, s), "mk_extend_bit: a_slice", name(r), False),
        (lambda s: m.gen_mux("x", one, v.Slice(), r, 0, true_slice=s), "gen_mux: true_slice", name(r), False),
        (lambda s: m.gen_mux("x", one, v.Slice(), 0, r, false_slice=s), "gen_mux: false_slice", name(r), False),
        (lambda s: m.gen_any_of("x", [(r, v.Slice()), (d, s)]), "gen_any_of: terms[1]", name(d), False),
        (lambda s: m.gen_sum_cnt("x", [(r, s)]), "gen_sum_cnt: bits[0]", name(r), False),
        (lambda s: m.gen_rotate_left("x", r, s, 1), "gen_rotate_left: sig_slice", name(r), False),
        (lambda s: m.gen_rotate_right("x", r, s, 1), "gen_rotate_right: sig_slice", name(r), False),
        (lambda s: m.dyn_counter_add(cnt, r, s), "dyn_counter_add: addend_slice", name(r), False),
        (lambda s: m.dyn_counter_add(cnt, r, None, c, s), "dyn_counter_add: enable_slice", name(c), True),
        (lambda s: m.gen_mux("x", c, s, r, d), "gen_mux: cond_slice", name(c), True),
        (lambda s: m.arb_set_hold(arb, c, s), "arb_set_hold: cond_slice", name(c), True),
        (lambda s: m.arb_set_reset(arb, c, s), "arb_set_reset: cond_slice", name(c), True),
        (lambda s: m.arb_set_master_ack(arb, c, s), "arb_set_master_ack: src_slice", name(c), True),
    ]
    for kind in ["cif", "sif", "cselif", "zif", "zelif", "cwhile", "swhile", "do_while", "pif", "scwait"]:
        make = getattr(m, f"mk_flow_block_{kind}")
        places.append((lambda s, make=make: make("b", c, s), f"mk_flow_block_{kind}: cond_slice", name(c), True))
    return places


@pytest.mark.parametrize("bad, why", [
    (v.Slice(4, 12), "reaches past the top bit"), (v.Slice(8, 9), "reaches past the top bit"),
    # Reversed, or with an omitted stop: neither is the whole signal.
    (v.Slice(7, 4), "selects no bits"), (v.Slice(4), "selects no bits"), (v.Slice(3, 3), "selects no bits"),
    (v.Slice(-1, 4), "starts below bit 0"), (v.Slice(-2, -1), "starts below bit 0"),
])
def test_every_slice_a_caller_gives_is_a_bit_range_of_its_signal(bad, why):
    m = traced_model("flow")
    for call, where, signal, is_cond in slice_places(m):
        text = refused(m, ValueError, call, bad)
        if is_cond and why.startswith("reaches"):
            # A condition keeps the refusal it always had.
            assert text == f"cond slice Slice {{ start: {bad.start}, stop: {bad.stop} }} does not fit cond variable of width 8"
        else:
            assert text == (f"{where} Slice {{ start: {bad.start}, stop: {bad.stop} }} {why} of {signal} (8 bits); "
                            "give Slice() for the whole signal or a bit range 0 <= start < stop <= 8"), where


def test_a_slice_up_to_the_top_bit_is_taken():
    m = traced_model("flow")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the resize warnings of the narrow slices
        # A condition takes one bit.
        for good, conds_too in ((v.Slice(7, 8), True), (v.Slice(), False), (v.Slice(0, 8), False)):
            for call, _, _, is_cond in slice_places(m):
                if conds_too or not is_cond:
                    call(good)


def signal_places(m, mem):
    """Each place where a call reads or writes a signal, given a 1-bit one:
    (call given the signal, "method: param" as the refusal names them, "read"
    or "written", the ids a refused call still draws)."""
    r, w = m.mk_reg("r", 1), m.mk_wire("w", 1)
    arb, cnt = m.mk_arb("a", 0), m.mk_dyn_counter("n", 4)
    k, k2 = (m.mk_karray(name, [2], [("f", 1), ("g", 1)], v.HwComponentType.REG) for name in ("k", "k2"))
    at0, dyn = [("static", [0], [])], lambda s: [("dyn", [], [s])]
    places = [
        (lambda s: m.gen_basic_assign(r, s), "gen_basic_assign: src"),
        (lambda s: m.mk_expression("e", OP.BitwiseAnd, s, r), "mk_expression: a"),
        (lambda s: m.mk_expression("e", OP.BitwiseAnd, r, s), "mk_expression: b"),
        (lambda s: m.mk_expression_single("e", OP.BitwiseInvr, s), "mk_expression_single: a"),
        (lambda s: m.mk_extend_bit("e", s, 4), "mk_extend_bit: a"),
        (lambda s: m.gen_mux("x", s, v.Slice(), r, 0), "gen_mux: cond_i"),
        (lambda s: m.gen_mux("x", r, v.Slice(), s, 0), "gen_mux: if_true"),
        (lambda s: m.gen_mux("x", r, v.Slice(), 0, s), "gen_mux: if_false"),
        (lambda s: m.gen_any_of("x", [(r, v.Slice()), (s, v.Slice())]), "gen_any_of: terms"),
        (lambda s: m.gen_any_of("x", [(s, v.Slice()), (r, v.Slice())]), "gen_any_of: terms"),  # each term, not the last
        (lambda s: m.gen_sum_cnt("x", [(s, v.Slice())]), "gen_sum_cnt: bits"),
        (lambda s: m.gen_rotate_left("x", s, v.Slice(), 1), "gen_rotate_left: sig_i"),
        (lambda s: m.gen_rotate_right("x", s, v.Slice(), 1), "gen_rotate_right: sig_i"),
        (lambda s: m.mk_flow_block_zstate("z", s), "mk_flow_block_zstate: state_i"),
        (lambda s: m.mk_flow_block_zync_multi("z", [(arb, None, False, s)], True), "mk_flow_block_zync_multi: binds"),
        (lambda s: m.dyn_counter_add(cnt, s), "dyn_counter_add: addend_i"),
        (lambda s: m.dyn_counter_add(cnt, r, enable_i=s), "dyn_counter_add: enable_i"),
        (lambda s: m.arb_set_hold(arb, s), "arb_set_hold: cond_i"),
        (lambda s: m.arb_set_reset(arb, s), "arb_set_reset: cond_i"),
        (lambda s: m.arb_set_master_ack(arb, s), "arb_set_master_ack: src_i"),
        (lambda s: m.karray_reset_field(k, "f", s), "karray_reset_field: value"),
        (lambda s: m.karray_assign_hcps(k, at0, [("f", s)], True), "karray_assign_hcps: sources"),
        (lambda s: m.karray_assign_hcps(k, at0, [("f", s), ("g", r)], True), "karray_assign_hcps: sources"),
        (lambda s: m.karray_assign_hcps(k, dyn(s), [("f", r)], True), "karray_assign_hcps: sel"),
        (lambda s: m.karray_read_field_hcp(k, dyn(s), [None], "f"), "karray_read_field_hcp: sel"),
        (lambda s: m.karray_assign_k2k(k, dyn(s), k2, at0, [], True), "karray_assign_k2k: dst_sel"),
        (lambda s: m.karray_assign_k2k(k, at0, k2, dyn(s), [], True), "karray_assign_k2k: src_sel"),
        (lambda s: m.mark_as_io(s, False, "o"), "mark_as_io (output port): hcp_i"),
        (lambda s: m.set_reg_reset(r, s), "set_reg_reset: reset_val_i"),
        (lambda s: m.set_wire_default(w, s), "set_wire_default: default_val_i"),
        (lambda s: m.mk_mem_ele("e", mem, s, 1, True), "mk_mem_ele: index_ident"),
    ]
    for kind in ["cif", "sif", "cselif", "zif", "zelif", "cwhile", "swhile", "do_while", "pif", "scwait"]:
        make = getattr(m, f"mk_flow_block_{kind}")
        places.append((lambda s, make=make: make("b", s), f"mk_flow_block_{kind}: cond_i"))
    places = [(call, where, "read", 0) for call, where in places]
    # A select function's pick is read once the read has taken its array out.
    places.append((lambda s: m.karray_read_field_hcp(k2, [("reduce", [], [])], [lambda *_: (s, [])], "f"),
                   "Karray reduce: select fn result", "read", 1))
    return places + [(lambda s: m.gen_basic_assign(s, r), "gen_basic_assign: des_i", "written", 0),
                     (lambda s: m.mark_as_io(s, True, "i"), "mark_as_io (input port): hcp_i", "written", 0)]


@pytest.mark.parametrize("misuse", ["element against its direction", "memory block"])
def test_a_memory_is_read_and_written_only_through_elements_of_that_direction(misuse):
    """A write into a read element was lost, a read of a write element or of
    the block named what no declaration holds: each is refused at its call."""
    m = traced_model("flow")
    mem = m.mk_mem_blk("mem", 1, 1)
    rd, wr = m.mk_mem_ele("rd", mem, m.mk_reg("i", 1), 1, True), m.mk_mem_ele("wr", mem, m.mk_reg("j", 1), 1, False)
    mem_name = m.hcp_verilog_name(mem)
    for call, where, access, drawn in signal_places(m, mem):
        sig = mem if misuse == "memory block" else (wr if access == "read" else rd)
        texts = []
        assert ids_drawn(m, lambda: texts.append(raised(ValueError, call, sig))) == drawn, where
        head = f'{where} "{m.hcp_verilog_name(sig)}" is {access} here, but it is '
        if sig == mem:
            assert texts[0] == head + "a memory block, which is read and written only through its elements (mk_mem_ele)"
        elif access == "read":
            assert texts[0] == head + (f'a write element of memory "{mem_name}", which is only written '
                                       "(read the memory through an element made with is_read=True)")
        else:
            assert texts[0] == head + (f'a read element of memory "{mem_name}", which is only read '
                                       "(write the memory through an element made with is_read=False)")


def test_each_place_takes_the_memory_element_of_its_direction_and_the_tools_take_the_file(tmp_path):
    m = traced_model("flow")
    mem = m.mk_mem_blk("mem", 1, 1)
    rd, j = m.mk_mem_ele("rd", mem, m.mk_reg("i", 1), 1, True), m.mk_reg("j", 1)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the widths the places fit the element to
        for call, _, access, _ in signal_places(m, mem):
            # A write element is assigned or an input port: one for each place.
            call(rd if access == "read" else m.mk_mem_ele("wr", mem, j, 1, False))
    m.finalize_flow_procedure()
    m.build_flow()
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    text = (tmp_path / "top.v").read_text()
    top_name = re.search(r"^module (\w+)\(", text, re.M).group(1)
    lint(top_name, [str(tmp_path / "top.v")])
    require_tool("iverilog")
    run_tool(["iverilog", "-g2012", "-o", str(tmp_path / "sim"), str(tmp_path / "top.v")], check=True)


@pytest.mark.parametrize("where, marked", [("top", "before"), ("sub-module", "before"), ("top", "after")])
def test_a_write_element_that_is_an_input_port_writes_as_a_loose_assignment_would(tmp_path, where, marked):
    """It was written combinationally: a word changed within its cycle and
    took the next write's data. Now each word takes the data of the cycle
    its address was given, at the rising edge that ends it; a read of that
    word in that cycle still sees the old value. A sub-module with nothing
    else clocked gets the clock for it; a mark made after build_flow works
    too."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    traced = [top] if where == "top" else [top, None]
    m.track_module_at_com_init(top)
    if where == "sub-module":
        traced[1] = m.mk_module("ram")
        m.track_module_at_com_init(traced[1])
    wa, ra, mem = m.mk_wire("wa", 2), m.mk_wire("ra", 2), m.mk_mem_blk("mem", 8, 2)
    wr, rd = m.mk_mem_ele("wr", mem, wa, 8, False), m.mk_mem_ele("rd", mem, ra, 8, True)
    for sig, name, is_input in [(wa, "wa", True), (ra, "ra", True), (rd, "q", False)]:
        m.mark_as_io(sig, is_input, name)
    if marked == "before":
        m.mark_as_io(wr, True, "d")
    for module in reversed(traced):
        m.untrack_module_at_com_init(module)
    m.build_flow()
    if marked == "after":
        m.mark_as_io(wr, True, "d")
    top_name = m.module_verilog_name(top)
    v.BackendVerilog(m).emit(str(tmp_path), "top")
    files = sorted(str(f) for f in tmp_path.glob("*.v"))
    lint(top_name, files)
    wa_at, d_at, ra_at = [0, 1, 2, 3, 1, 0, 2, 3], [10, 11, 12, 13, 14, 15, 16, 17], [0, 0, 1, 2, 1, 1, 0, 2]
    got = simulate(top_name, files, tmp_path, {"port:q": None}, cycles=8,
                   inputs={"wa": wa_at.__getitem__, "d": d_at.__getitem__, "ra": ra_at.__getitem__})
    # Cycle 4 reads word 1 while it is written: 11 still, 14 from cycle 5.
    assert got["port:q"] == [None, 10, 11, 12, 11, 14, 15, 16]


def test_a_register_that_is_an_input_port_is_a_wire_that_a_higher_write_wins_over(tmp_path):
    """As the guide says: it holds the port's value of each cycle, a write at
    51 or above in the cycle its step is active only, the reset value while
    mrst is high; so does a register element of a Karray."""
    d = Design()
    m = d.m
    cfg = d.reg("cfg", 8, 7)
    with d.components():
        k = m.mk_karray("k", [2], [("f", 8)], v.HwComponentType.REG)
        elem = m.karray_element_hcp(k, [1], "f")
        for sig, name in [(cfg, "cfg"), (elem, "kin")]:
            m.mark_as_io(sig, True, name)
    with d.behaviour():
        m.set_asm_pri_to_manual(51)
        d.seq("s", lambda: d.block(m.mk_flow_block_sywait("w", 1)), (cfg, 200),
              lambda: m.karray_assign_hcps(k, [("static", [1], [])], [("f", 201)], True))
        m.set_asm_pri_to_auto()
    got = d.run(tmp_path, d.probes(cfg=cfg, elem=elem), cycles=7,
                inputs={"cfg": lambda c: 100 + c, "kin": lambda c: 50 + c})
    # mrst is high in rows 0 and 1; the steps are active in cycles 2 and 3 (rows 4 and 5).
    assert got == {"cfg": [7, 7, 102, 103, 200, 105, 106], "elem": [50, 51, 52, 53, 54, 201, 56]}


def test_an_input_port_of_a_write_element_needs_build_flow(tmp_path):
    """Its memory is written at the clock that build_flow makes."""
    m = traced_model("com")
    mem = m.mk_mem_blk("mem", 8, 2)
    wr = m.mk_mem_ele("wr", mem, m.mk_wire("wa", 2), 8, False)
    m.mark_as_io(wr, True, "d")
    name = m.hcp_verilog_name(wr)
    assert raised(ValueError, v.BackendVerilog(m).emit, str(tmp_path), "top") == (
        f'BackendVerilog::emit: the input port of memory write element "{name}" of module '
        f'"MODULE_top_{wr.global_id - 3}" (id {wr.global_id - 3}) writes its memory at the clock that build_flow '
        "makes; call build_flow on the model before handing it to BackendVerilog")
    assert list(tmp_path.iterdir()) == []


class TestAssignment:
    def test_int_source_is_a_constant_of_the_destination_width(self, m):
        reg, big = m.mk_reg("r", 8), m.mk_reg("big", 72)
        # Of the destination's width: equal widths, no warning (any warning
        # fails this test), for every int the width holds, down to the
        # signed range. Slice() or a slice of all its bits reads it whole.
        for dest, value in [(reg, 255), (reg, -128), (big, 2**70), (big, -(2**71)), (m.mk_reg("small", 3), -4)]:
            m.gen_basic_assign(dest, value)
        m.gen_basic_assign(reg, -1, src_slice=v.Slice())
        m.gen_basic_assign(reg, -1, src_slice=v.Slice(0, 8))
        # The constant, its event and the assignment node.
        assert ids_drawn(m, lambda: m.gen_basic_assign(reg, 7)) == 3
        # A src_slice given with it reads those bits of the constant, as of a
        # signal: 2 bits into 8 are extended, one id more.
        with pytest.warns(UserWarning) as record:
            assert ids_drawn(m, lambda: m.gen_basic_assign(reg, -1, src_slice=v.Slice(0, 2))) == 4
        assert [str(w.message) for w in record] == [narrower(2, 8, reg_name(reg, "r"))]
        # Into a narrower slice the constant is still the whole width: cut,
        # warned of only when the int does not fit (see the next test).
        with pytest.warns(UserWarning) as record:
            m.gen_basic_assign(reg, 1, des_slice=v.Slice(0, 4))
            m.gen_basic_assign(big, 2**71, des_slice=v.Slice(8, 12))
        assert [str(w.message) for w in record] == [wider(72, 4, reg_name(big, "big"))]

    # (destination width, int, src_slice, des_slice, the source width warned
    # of as cut, or None): what is judged is what the int gives, the int
    # itself (a negative one by its signed range) or, through a src_slice,
    # the bits read of its constant as an unsigned number.
    @pytest.mark.parametrize("width, value, src_slice, des_slice, warned", [
        (8, 3, None, v.Slice(4, 8), None),
        (8, 15, None, v.Slice(4, 8), None),
        (8, 16, None, v.Slice(4, 8), 8),
        (8, -8, None, v.Slice(0, 4), None),
        (8, -9, None, v.Slice(0, 4), 8),
        (8, 0x5A, v.Slice(0, 8), v.Slice(0, 7), None),
        (8, 0x5A, v.Slice(4, 8), v.Slice(0, 3), None),  # reads 5
        (8, 0x5A, v.Slice(4, 8), v.Slice(0, 2), 4),
        (8, -1, v.Slice(0, 7), v.Slice(0, 4), 7),  # reads 127
        (72, 3 << 64, v.Slice(60, 72), v.Slice(0, 6), None),  # reads 48, across limbs
        (72, 3 << 64, v.Slice(60, 72), v.Slice(0, 5), 12),
    ])
    def test_int_into_fewer_bits_is_warned_of_only_when_it_does_not_fit(self, m, width, value, src_slice, des_slice,
                                                                        warned):
        des = m.mk_reg("r", width)
        with warnings.catch_warnings(record=True) as record:
            warnings.simplefilter("always")
            m.gen_basic_assign(des, value, src_slice, des_slice)
        expected = [wider(warned, des_slice.stop - des_slice.start, reg_name(des, "r"))] if warned else []
        assert [str(w.message) for w in record] == expected

    def test_resize_warnings(self, m):
        reg = m.mk_reg("d", 8)
        name, narrow, wide = reg_name(reg, "d"), m.mk_wire("n", 4), m.mk_reg("w", 16)
        with pytest.warns(UserWarning) as record:
            m.gen_basic_assign(reg, narrow)
            m.gen_basic_assign(reg, wide)
            m.gen_basic_assign(reg, wide, src_slice=v.Slice(4, 6), des_slice=v.Slice(0, 4))
        assert [(w.category, str(w.message)) for w in record] == \
            [(UserWarning, t) for t in (narrower(4, 8, name), wider(16, 8, name), narrower(2, 4, name))]
        # A narrower source draws one more id than an equal one: its extension.
        assert ids_drawn(m, lambda: m.gen_basic_assign(reg, wide, src_slice=v.Slice(8, 16))) == 2
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            assert ids_drawn(m, lambda: m.gen_basic_assign(reg, narrow)) == 3

    def test_warning_turned_error_keeps_the_assignment(self):
        m = traced_model("flow")
        reg, narrow, seq = m.mk_reg("d", 8), m.mk_wire("n", 4), m.mk_flow_block_seq("body")
        m.initialize_flow_block(seq)
        with pytest.raises(ValueError, match="^seq flow block has no element$"):
            m.check_flow_block_prefinalize(seq)

        def as_error():
            with warnings.catch_warnings():
                warnings.simplefilter("error")
                assert raised(UserWarning, m.gen_basic_assign, reg, narrow) == narrower(4, 8, reg_name(reg, "d"))

        def ignored():
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                m.gen_basic_assign(reg, narrow)

        # The raising call made as much as a silent one: extension, event,
        # node, and the take of the block the node joined ...
        assert ids_drawn(m, as_error) == ids_drawn(m, ignored) == 4
        # ... and its node is in the open block.
        m.check_flow_block_prefinalize(seq)

    def test_memory_block_is_no_destination(self, m, panic_type):
        mem = m.mk_mem_blk("mem", 8, 2)
        # Refused before anything is made (see the memory tests above) ...
        for call in (lambda: m.gen_basic_assign(mem, 1), lambda: m.gen_basic_assign(mem, m.mk_reg("r", 8))):
            assert "is written here, but it is a memory block" in raised(ValueError, call)
        # ... but the block has no width of its own to tell.
        assert raised(panic_type, m.get_hw_bit_sz, mem) == "MemBlk is not an assignment destination"


class TestIoMarksResetsAndDefaults:
    def test_io_marks_and_resets_and_defaults_set_once_on_their_own_kind(self, m, panic_type):
        reg = m.mk_reg("r", 4)
        assert m.is_marked_as_io(reg) is False
        m.mark_as_io(reg, True, "din")
        m.mark_as_io(reg, False, "dout")  # replaces the mark
        assert m.is_marked_as_io(reg) is True
        wire, zero = m.mk_wire("w", 4), m.mk_val("z", 4, 0)
        assert raised(ValueError, m.set_reg_reset, wire, zero) == "reg_i must be a REG component, got WIRE"
        assert raised(ValueError, m.set_wire_default, reg, zero) == "wire_i must be a WIRE component, got REG"
        # A refused kind leaves both free to take their one value.
        m.set_reg_reset(reg, zero)
        m.set_wire_default(wire, zero)
        assert raised(panic_type, m.set_reg_reset, reg, zero) == "reset_val is set already"
        assert raised(panic_type, m.set_wire_default, wire, reg) == "default_val is set already"
        # A reset of another width is written as its assignment would be, with
        # that warning; a default of another width could not be built.
        r2, w2 = m.mk_reg("r2", 8), m.mk_wire("w2", 8)
        with pytest.warns(UserWarning) as caught:
            m.set_reg_reset(r2, m.mk_wire("x", 1))
        assert [str(w.message) for w in caught] == [narrower(1, 8, reg_name(r2, "r2"))]
        assert refused(m, ValueError, m.set_wire_default, w2, zero) == (
            f'set_wire_default: default_val_i "VAL_z_{zero.global_id}" is 4 bits wide but wire '
            f'"WIRE_w2_{w2.global_id}" is 8; give a value of the wire\'s width')
        m.set_wire_default(w2, m.mk_val("z8", 8, 0))


@pytest.mark.parametrize("where, what", [
    ("set_reg_reset", "reset value of \"REG_r_{}\" is the register itself"),
    ("set_wire_default", "default value of \"WIRE_w_{}\" is the wire itself"),
    # Each register of the field, not only one element's.
    ("karray_reset_field", "reset value \"REG_k_E4_a_{}\" is a register of field \"a\" (element [1, 1]), the field "
                           "being reset"),
])
def test_a_reset_or_default_that_is_the_signal_itself_is_refused(tmp_path, where, what):
    """Accepted, it stopped build_flow with a panic and the design was lost."""
    d = Design()
    with d.components() as m:
        k = m.mk_karray("k", [2, 3], [("a", 4), ("b", 4), ("c", 4)], int(v.HwComponentType.REG))
        if where == "set_reg_reset":
            signal = m.mk_reg("r", 4)
            give = lambda value: m.set_reg_reset(signal, value)  # noqa: E731
        elif where == "set_wire_default":
            signal = m.mk_wire("w", 4)
            give = lambda value: m.set_wire_default(signal, value)  # noqa: E731
        else:
            signal = m.karray_element_hcp(k, [1, 1], "a")
            give = lambda value: m.karray_reset_field(k, "a", value)  # noqa: E731
            m.karray_reset_field(k, "b", m.karray_element_hcp(k, [0, 0], "a"))  # another field's register is taken
            m.karray_reset_field(k, "c", m.karray_element_hcp(k, [0, 1], "a"))  # one after the field's first register too
        assert refused(m, ValueError, give, signal) == \
            f"{where}: the {what.format(signal.global_id)}; give another signal or a constant"
        give(m.mk_val("three", 4, 3))
    with d.behaviour():
        pass
    assert d.run(tmp_path, d.probes(s=signal), cycles=4)["s"][-1] == 3


@pytest.mark.parametrize("width, value, most", [(30, 2**30, "1073741823"), (63, -1, str(2**63 - 1)),
                                                (64, -1, str(2**64 - 1)), (65, -1, "2^65-1"), (4000, -7, "2^4000-1")])
def test_a_zcase_that_never_matches_says_what_its_selector_holds(width, value, most):
    m = traced_model("flow")
    zstate, case = m.mk_flow_block_zstate("zs", m.mk_wire("sel", width)), m.mk_flow_block_zcase("zc", value)
    m.initialize_flow_block(zstate)
    with pytest.warns(UserWarning) as record:
        m.initialize_flow_block(case)
    assert [str(w.message).split(": ", 1)[1] for w in record] == \
        [f"selector 'WIRE_sel_{case.global_id - 2}' is {width} bits wide, 0..{most}"]


# An int shift amount that its constant, as wide as operand a, cannot hold is
# warned of as cut, also where that constant is written as a's width for the
# tools (an amount the shift reads over more than 32 bits); one that it holds
# is not, however it is written.
# The warning says what the constant holds: the int's low bits, or, where
# those are 2^32 or more, a shift by the width of a's bits shifted.
@pytest.mark.parametrize("width, amount, warned, a_slice", [
    (33, 2**63 - 1, True, None), (40, 2**64 - 1, True, None), (63, 2**64 - 1, True, None), (8, 2**64 - 1, True, None),
    (64, 2**64 - 1, False, None), (40, 2**40 - 1, False, None), (40, 2**64 - 1, True, v.Slice(0, 8)),
])
def test_a_shift_amount_its_constant_cannot_hold_is_warned_of(m, width, amount, warned, a_slice):
    a = m.mk_reg("a", width)
    kept, shifted = amount % 2**width, a_slice.size if a_slice else width
    held = (rf"holds a shift by {shifted} instead, the width of the operand it shifts, which shifts every bit out "
            rf"as its low {width} bits \({kept}\) would" if kept >= 2**32 else rf"keeps its low {width} bits: {kept}")
    for op in (OP.BitwiseShl, OP.BitwiseShr):
        with warnings.catch_warnings(record=True) as record:
            warnings.simplefilter("always")
            m.mk_expression("s", op, a, amount, a_slice=a_slice)
        text = rf"int {amount} does not fit in {width} bits; constant 'VAL_s_c_\d+' {held}"
        assert [bool(re.fullmatch(text, str(w.message))) for w in record] == ([True] if warned else [])


def test_silent_width_and_port_mistakes_are_refused_or_warned_of_at_the_call():
    m = traced_model("flow")
    a4, b8, r8, wide, c = m.mk_reg("a", 4), m.mk_reg("b", 8), m.mk_reg("r", 8), m.mk_reg("wide", 200), m.mk_wire("c", 1)
    port, written, sel = m.mk_wire("port", 4), m.mk_wire("written", 4), m.mk_wire("sel", 2)
    m.mark_as_io(port, True, "din")
    m.gen_basic_assign(written, a4)
    # Memory write elements likewise: one an input port, one assigned.
    mem = m.mk_mem_blk("mem", 4, 2)
    mem_port, mem_written = m.mk_mem_ele("wp", mem, sel, 4, False), m.mk_mem_ele("ww", mem, sel, 4, False)
    m.mark_as_io(mem_port, True, "d")
    m.gen_basic_assign(mem_written, a4)
    # Registers likewise, for writes at the port's priority (50) or below:
    # one an input port, one assigned, one a counter's.
    reg_port, reg_written, cnt = m.mk_reg("rp", 4), m.mk_reg("rw", 4), m.mk_dyn_counter("n", 4)
    m.mark_as_io(reg_port, True, "rin")
    m.gen_basic_assign(reg_written, a4)
    m.mark_as_io(m.dyn_counter_get_reg(cnt), True, "nin")
    m.dyn_counter_add(cnt, a4)
    k, kw = m.mk_karray("k", [1], [("f", 2)], v.HwComponentType.REG), m.mk_karray("kw", [1], [("f", 4)], v.HwComponentType.WIRE)
    kr = m.mk_karray("kr", [2], [("f", 4)], v.HwComponentType.REG)
    m.karray_assign_hcps(kr, [("static", [0], [])], [("f", a4)], True)
    kr0 = m.karray_element_hcp(kr, [0], "f")

    def at_priority(p, call):
        m.set_asm_pri_to_manual(p)
        try:
            return call()
        finally:
            m.set_asm_pri_to_auto()

    def zcase(value):
        zstate, case = m.mk_flow_block_zstate("zs", sel), m.mk_flow_block_zcase("zc", value)
        for block in (zstate, case):
            m.initialize_flow_block(block)
        for block in (case, zstate):
            m.finalize_flow_block(block)

    def cut(value, width, const, kept):
        return rf"int {value} does not fit in {width} bits; constant 'VAL_{const}_\d+' keeps its low {width} bits: {kept}"

    def never(value):
        return rf"zcase 'ZERO_SWITCH_CASE_zc_\d+' value {value} never matches: selector 'WIRE_sel_\d+' is 2 bits wide, 0..3"

    # Refused before anything is made: writes into an input port's wire or
    # memory write element, in both orders, and an extension that would cut.
    for call, text in [
        (lambda: m.gen_basic_assign(port, a4), r"cannot assign to 'WIRE_port_\d+': it is the input port 'din', "
                                               "whose value overrides every assignment to it"),
        (lambda: m.mark_as_io(written, True, "din2"), r"cannot mark 'WIRE_written_\d+' as the input port 'din2': it "
                                                      "is assigned, and the port's value would override every assignment to it"),
        (lambda: m.gen_basic_assign(mem_port, a4), r"cannot assign to 'MEM_BLOCK_INDEXER_wp_\d+': it is the input port 'd', "
                                                   "whose value, written into its memory in every cycle, overrides every "
                                                   "assignment to it"),
        (lambda: m.mark_as_io(mem_written, True, "d2"), r"cannot mark 'MEM_BLOCK_INDEXER_ww_\d+' as the input port 'd2': "
                                                        "it is assigned, and the port's value, written into its memory in "
                                                        "every cycle, would override every assignment to it"),
        (lambda: m.gen_basic_assign(reg_port, a4), r"cannot assign to 'REG_rp_\d+' at priority 10: it is the input port "
                                                   "'rin', whose value overrides every assignment to it at priority 50 or "
                                                   r"below; one at 51 or above \(set_asm_pri_to_manual\(51\)\) wins over the port"),
        (lambda: at_priority(50, lambda: m.gen_basic_assign(reg_port, a4)), r"cannot assign to 'REG_rp_\d+' at priority 50: .*"),
        (lambda: m.dyn_counter_update(cnt), r"cannot assign to 'REG_n_CNT_\d+' at priority 10: it is the input port 'nin', .*"),
        (lambda: m.mark_as_io(reg_written, True, "rin2"), r"cannot mark 'REG_rw_\d+' as the input port 'rin2': it is assigned "
                                                          "at priority 10, and the port's value would override every assignment "
                                                          r"to it at priority 50 or below; one at 51 or above \(set_asm_pri_to_manual"
                                                          r"\(51\)\) wins over the port"),
        (lambda: m.mark_as_io(kr0, True, "kr0"), r"cannot mark 'REG_kr_E0_f_\d+' as the input port 'kr0': it is "
                                                 "assigned at priority 10, .*"),
        (lambda: m.mk_extend_bit("x", b8, 4), r"mk_extend_bit: c \(4\) is narrower than operand a \(8 bits\); c is the "
                                              r"width of the result, at least the operand's \(slice the operand to narrow it\)"),
    ]:
        assert re.fullmatch(text, refused(m, ValueError, call))
    # A Karray write into an element wire marked as an input, likewise, and
    # into a register element that any selector picks, before a constant or
    # a read is made (the one id drawn is the array's take).
    m.mark_as_io(m.karray_element_hcp(kw, [0], "f"), True, "kin")
    m.mark_as_io(m.karray_element_hcp(kr, [1], "f"), True, "krin")
    for call, port in [(lambda: m.karray_assign_hcps(kw, [("static", [0], [])], [("f", 3)], False), "kin"),
                       (lambda: m.karray_assign_hcps(kr, [("dyn", [], [sel])], [("f", 3)], True), "krin"),
                       (lambda: m.karray_assign_k2k(kr, [("cus", [], [c, c])], kr, [("dyn", [], [sel])], [], True), "krin")]:
        texts = []
        assert ids_drawn(m, lambda: texts.append(raised(ValueError, call))) == 1
        assert f"it is the input port '{port}'" in texts[0]
    # Warned of once made: ints cut to their width, a wider operand b whose
    # high bits the result drops, a zcase that never matches.
    for call, text in [
        (lambda: m.mk_expression("hit", OP.RelationEq, a4, 20), cut(20, 4, "hit_c", 4)),
        (lambda: m.gen_basic_assign(wide, 2**300), cut(2**300, 200, "const_c", 0)),
        (lambda: m.gen_basic_assign(r8, -200), cut(-200, 8, "const_c", 56)),
        (lambda: m.mk_val("v", 4, 20), cut(20, 4, "v", 4)),
        (lambda: m.gen_mux("mx", c, v.Slice(), 300, 0, width=8), cut(300, 8, "mx_c", 44)),
        (lambda: m.karray_reset_field(k, "f", 5), cut(5, 2, "kconst_c", 1)),
        (lambda: m.mk_expression("sum", OP.ArithPlus, a4, b8), r"expression 'EXPR_sum_\d+' \(ArithPlus\): operand b \(8 bits\) is "
         r"wider than operand a \(4 bits\); the result is as wide as a, MSBs dropped \(put the wider operand first, or extend a\)"),
        (lambda: zcase(4), never(4)),
        (lambda: zcase(-1), never(-1)),
    ]:
        with pytest.warns(UserWarning) as record:
            call()
        assert [bool(re.fullmatch(text, str(w.message))) for w in record] == [True]
    # An int b counts with what it gives: through b_slice, the bits read of
    # its constant (0x1F0 over bits 4..11 is 0x1F, five bits).
    with pytest.warns(UserWarning) as record:
        m.mk_expression("sl", OP.ArithPlus, wide, 0x1F0, v.Slice(0, 4), v.Slice(4, 12))
        m.mk_expression("sl", OP.ArithPlus, wide, 0xF0, v.Slice(0, 4), v.Slice(4, 12))
    assert [re.search(r"operand b \((\d+) bits\)", str(w.message)).group(1) for w in record] == ["5"]
    # Like the sum, every op whose result drops what a wider b adds.
    for op in (OP.BitwiseOr, OP.BitwiseXor, OP.ArithMinus, OP.ArithMul):
        with pytest.warns(UserWarning):
            m.mk_expression("e", op, a4, b8)
    # The usual idioms stay quiet (any warning fails this test): a 1-bit int
    # b, ops that lose nothing to a wider b, an extension to the operand's
    # width, a write that wins over an input port, a case the selector holds.
    for op, a, b, a_slice in [(OP.ArithPlus, a4, 1, None), (OP.ArithPlus, b8, 1, v.Slice(0, 4)), (OP.RelationLe, a4, b8, None),
                              (OP.BitwiseShl, a4, b8, None), (OP.BitwiseAnd, a4, b8, None), (OP.ArithDiv, a4, b8, None)]:
        m.mk_expression("e", op, a, b, a_slice)
    m.mk_extend_bit("x", b8, 8), m.mk_extend_bit("x", b8, 6, v.Slice(0, 4))
    at_priority(51, lambda: m.gen_basic_assign(reg_port, 1))
    at_priority(51, lambda: m.karray_assign_hcps(kr, [("dyn", [], [sel])], [("f", 3)], True))
    # Marked again as an output, a port's register (wire) is written as any.
    for sig in (reg_port, written):
        m.mark_as_io(sig, False, "dout")
        m.gen_basic_assign(sig, a4)
    zcase(3)
