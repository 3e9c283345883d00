"""Components, expressions, assignments, IO marks, resets and defaults, as the
front end calls them."""
import warnings

import pytest

from vorlent import _vorlent as v

# Every warning a test does not expect fails it.
pytestmark = pytest.mark.filterwarnings("error")

OP = v.LogicOp


@pytest.fixture
def m():
    """A model whose top module is set and traced while components are made."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.track_module_at_com_init(top)
    return arena


def ids_drawn(m, call):
    """How many global ids `call` drew, measured between two probe registers
    (ids are process-wide, so only the gap says what the call made)."""
    before = m.mk_reg("probe", 1).global_id
    call()
    return m.mk_reg("probe", 1).global_id - before - 1


def abs_name(kind, name, ident):
    return f"{kind}_{name}_{ident.global_id}"


def narrower(src, des, des_name):
    return (f"assignment source ({src} bits) is narrower than destination '{des_name}' "
            f"({des} bits); zero-extended (unsigned) to fit")


def wider(src, des, des_name):
    return (f"assignment source ({src} bits) is wider than destination '{des_name}' "
            f"({des} bits); MSBs dropped to fit")


def operand_error(param, obj_type, ident_text=None):
    ident_text = ident_text or f"'{obj_type}' object is not an instance of 'HcpIdent'"
    return (
        f"argument '{param}': failed to extract enum PyOperand ('Ident | Int')"
        f"\n- variant Ident (Ident): failed to extract field PyOperand::Ident.0, caused by TypeError: {ident_text}"
        f"\n- variant Int (Int): failed to extract field PyOperand::Int.0, caused by TypeError: '{obj_type}' object is not an instance of 'int'"
    )


class TestComponentFactories:
    def test_each_kind_is_made_with_its_width_and_sensitivity(self, m):
        reg = m.mk_reg("r", 12)
        wire = m.mk_wire("w", 3)
        val = m.mk_val("k", 8, 0x1FF)
        wide = m.mk_val_vv("kk", 130, [5])
        mem = m.mk_mem_blk("mem", 16, 4)
        ele = m.mk_mem_ele("rd", mem, wire, 16, True)
        made = [reg, wire, val, wide, mem, ele]
        assert [h.hw_type for h in made] == ["REG", "WIRE", "VAL", "VAL", "MEM_BLOCK", "MEM_BLOCK_INDEXER"]
        assert [h.sensitive_type for h in made[:3]] == ["clocked", "combinational", "read_only"]
        assert ele.clocked
        # One id each, in call order.
        assert [h.global_id - reg.global_id for h in made] == list(range(6))
        assert [m.get_hw_bit_sz(h) for h in (reg, wire, val, wide, ele)] == [12, 3, 8, 130, 16]

    @pytest.mark.parametrize("width", [0, -1, -(2**31)])
    def test_widths_below_one_are_refused_before_anything_is_made(self, m, width):
        mem = m.mk_mem_blk("mem", 8, 2)
        idx = m.mk_wire("idx", 2)
        reg = m.mk_reg("r", 4)
        calls = [
            lambda: m.mk_reg("r", width),
            lambda: m.mk_wire("w", width),
            lambda: m.mk_val("k", width, 1),
            lambda: m.mk_val_vv("kk", width, [1, 2]),
            lambda: m.mk_mem_blk("mem", width, 4),
            lambda: m.mk_mem_ele("rd", mem, idx, width, False),
            lambda: m.mk_extend_bit("ext", reg, width),
        ]
        for call in calls:
            def refused():
                with pytest.raises(ValueError) as info:
                    call()
                assert str(info.value) == f"bit_width must be positive, got {width}"
            assert ids_drawn(m, refused) == 0

    def test_index_width_below_one_is_the_models_fatal_error(self, m, panic_type):
        with pytest.raises(panic_type, match=r"^index_width must be positive, got 0$"):
            m.mk_mem_blk("mem", 8, 0)

    def test_memory_element_needs_a_memory_block(self, m):
        reg = m.mk_reg("r", 8)
        with pytest.raises(ValueError, match=r"^master_mem_blk_i must be a MEM_BLOCK component, got REG$"):
            m.mk_mem_ele("rd", reg, reg, 8, True)
        # The index signal may be of any kind.
        assert m.mk_mem_ele("rd", m.mk_mem_blk("mem", 8, 2), m.mk_val("i", 2, 1), 8, False).hw_type == "MEM_BLOCK_INDEXER"

    def test_no_traced_module_is_fatal(self, panic_type):
        m = v.ModelArena()
        for call in (lambda: m.mk_reg("r", 1), lambda: m.mk_val_vv("k", 70, [1])):
            with pytest.raises(panic_type, match="^module trace stack is empty$"):
                call()


class TestArgumentConversion:
    def test_integers_of_each_width_kind(self, m):
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            m.mk_reg("r", 2**31)
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            m.mk_mem_blk("mem", 8, -(2**31) - 1)
        with pytest.raises(TypeError, match=r"^argument 'bit_width': 'float' object cannot be interpreted as an integer$"):
            m.mk_wire("w", 3.0)
        # init_val is unsigned 64-bit: the interpreter's own range errors.
        with pytest.raises(OverflowError):
            m.mk_val("k", 8, -1)
        with pytest.raises(OverflowError):
            m.mk_val("k", 8, 2**64)
        assert m.mk_val("k", 64, 2**64 - 1).hw_type == "VAL"
        # op is unsigned 32-bit; an enumeration member or a plain int serves.
        reg = m.mk_reg("r", 4)
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            m.mk_expression("e", -1, reg, reg)
        assert m.get_hw_bit_sz(m.mk_expression("e", 17, reg, reg)) == 4

    def test_flags_take_bools_only(self, m):
        reg = m.mk_reg("r", 4)
        mem = m.mk_mem_blk("mem", 4, 2)
        with pytest.raises(TypeError) as info:
            m.mark_as_io(reg, 1, "p")
        assert str(info.value) == "argument 'is_input': 'int' object is not an instance of 'bool'"
        with pytest.raises(TypeError, match=r"^argument 'is_read': 'NoneType' object is not an instance of 'bool'$"):
            m.mk_mem_ele("rd", mem, reg, 4, None)
        assert not m.is_marked_as_io(reg)
        m.mark_as_io(reg, False, "p")
        assert m.is_marked_as_io(reg)

    def test_numpy_values(self, m):
        np = pytest.importorskip("numpy")
        reg = m.mk_reg("r", np.int32(5))
        assert m.get_hw_bit_sz(reg) == 5
        m.mark_as_io(reg, np.True_, "p")
        assert m.is_marked_as_io(reg)

    def test_limbs_take_sequences_but_not_text(self, m):
        # Any sequence of any length: the limbs are brought to the width.
        for limbs in ([1, 2, 3], (5,), range(2), []):
            assert m.get_hw_bit_sz(m.mk_val_vv("k", 70, limbs)) == 70
        with pytest.raises(TypeError, match=r"^argument 'limbs': Can't extract `str` to `Vec`$"):
            m.mk_val_vv("k", 70, "12")
        with pytest.raises(TypeError, match=r"^argument 'limbs': 'set' object is not an instance of 'Sequence'$"):
            m.mk_val_vv("k", 70, {1})
        with pytest.raises(TypeError, match=r"^argument 'limbs': 'str' object cannot be interpreted as an integer$"):
            m.mk_val_vv("k", 70, ["1"])
        with pytest.raises(OverflowError):
            m.mk_val_vv("k", 70, [1, -1])
        with pytest.raises(OverflowError):
            m.mk_val_vv("k", 70, [2**64])

    def test_slices_are_a_slice_or_none(self, m):
        des = m.mk_reg("d", 8)
        src = m.mk_reg("s", 8)
        # None and omitted are the same: the whole signal, equal widths, no warning.
        m.gen_basic_assign(des, src, None, None)
        m.gen_basic_assign(des, src, src_slice=v.Slice(), des_slice=v.Slice())
        with pytest.raises(TypeError, match=r"^argument 'src_slice': 'tuple' object is not an instance of 'Slice'$"):
            m.gen_basic_assign(des, src, (0, 4))
        with pytest.raises(TypeError, match=r"^argument 'a_slice': 'int' object is not an instance of 'Slice'$"):
            m.mk_expression_single("e", OP.BitwiseInvr, des, 3)

    def test_operands_are_an_identity_or_an_int(self, m):
        des = m.mk_reg("d", 8)
        with pytest.raises(TypeError) as info:
            m.gen_basic_assign(des, "x")
        assert str(info.value) == operand_error("src", "str")
        assert isinstance(info.value.__cause__, TypeError)
        with pytest.raises(TypeError) as info:
            m.mk_expression("e", OP.ArithPlus, des, None)
        assert str(info.value) == operand_error("b", "NoneType", "'None' is not an instance of 'HcpIdent'")
        with pytest.raises(TypeError) as info:
            m.mk_expression("e", OP.ArithPlus, 1.5, des)
        assert str(info.value) == operand_error("a", "float")
        # bool and enumeration members are ints.
        m.gen_basic_assign(des, True)
        m.gen_basic_assign(des, OP.ArithPlus)

    def test_identities_must_be_of_the_class(self, m):
        reg = m.mk_reg("r", 4)
        with pytest.raises(TypeError, match=r"^argument 'hcp_i': 'None' is not an instance of 'HcpIdent'$"):
            m.get_hw_bit_sz(None)
        with pytest.raises(TypeError, match=r"^argument 'reset_val_i': 'int' object is not an instance of 'HcpIdent'$"):
            m.set_reg_reset(reg, 0)
        # Only mk_expression takes int operands; elsewhere `a` is a signal.
        with pytest.raises(TypeError, match=r"^argument 'a': 'int' object is not an instance of 'HcpIdent'$"):
            m.mk_extend_bit("e", 3, 8)
        with pytest.raises(TypeError, match=r"^argument 'master_mem_blk_i': 'ModuleIdent' object"):
            m.mk_mem_ele("rd", m.mk_module("sub"), reg, 4, True)

    def test_first_failing_argument_is_reported_and_nothing_is_made(self, m):
        reg = m.mk_reg("r", 4)

        def bad():
            with pytest.raises(TypeError, match=r"^argument 'index_ident': "):
                m.mk_mem_ele("rd", reg, 5, 0, 1)

        # Conversion comes before the checks on the master's kind and the width.
        assert ids_drawn(m, bad) == 0


class TestExpressions:
    def test_op_checks(self, m):
        reg = m.mk_reg("r", 4)

        def refused():
            with pytest.raises(ValueError, match="^LogicOp index out of range: 26$"):
                m.mk_expression("e", 26, reg, reg)
            with pytest.raises(ValueError) as info:
                m.mk_expression("e", OP.LogicalNot, reg, reg)
            assert str(info.value) == (
                "LogicalNot is not a binary expression op "
                "(use mk_expression_single / mk_extend_bit / the assign path)")
            with pytest.raises(ValueError, match=r"^ExtendBit is not a binary expression op "):
                m.mk_expression("e", OP.ExtendBit, reg, 3)
            with pytest.raises(ValueError) as info:
                m.mk_expression_single("e", OP.SliceBit, reg)
            assert str(info.value) == "SliceBit is not a unary expression op (use mk_expression / the assign path)"
            with pytest.raises(ValueError, match="^LogicOp index out of range: 4294967295$"):
                m.mk_expression_single("e", 2**32 - 1, reg)
            # Two ints have no width to take: refused before any constant is made.
            with pytest.raises(ValueError, match="^expression needs at least one signal operand, not two ints$"):
                m.mk_expression("e", OP.ArithPlus, 3, 4)

        assert ids_drawn(m, refused) == 0

    def test_widths(self, m):
        a = m.mk_reg("a", 16)
        b = m.mk_wire("b", 3)
        assert m.get_hw_bit_sz(m.mk_expression("sum", OP.ArithPlus, a, b)) == 16
        assert m.get_hw_bit_sz(m.mk_expression("lt", OP.RelationLe, a, b)) == 1
        assert m.get_hw_bit_sz(m.mk_expression("lo", OP.BitwiseAnd, a, b, v.Slice(2, 7))) == 5
        assert m.get_hw_bit_sz(m.mk_expression_single("inv", OP.BitwiseInvr, a, v.Slice(0, 6))) == 6
        assert m.get_hw_bit_sz(m.mk_expression_single("not", OP.LogicalNot, a)) == 1
        assert m.get_hw_bit_sz(m.mk_extend_bit("ext", b, 12)) == 12
        assert m.get_hw_bit_sz(m.mk_extend_bit("ext", a, 9, a_slice=v.Slice(0, 3))) == 9

    def test_operand_slices_must_select_bits(self, m):
        reg = m.mk_reg("r", 8)

        def refused():
            # Read as given, these would make an expression of -3 or 0 bits.
            with pytest.raises(ValueError) as info:
                m.mk_expression("e", OP.BitwiseAnd, reg, reg, v.Slice(5, 2))
            assert str(info.value) == ("a_slice Slice { start: 5, stop: 2 } selects no bits "
                                       "(need 0 <= start < stop, or Slice() for the whole signal)")
            with pytest.raises(ValueError, match=r"^b_slice Slice \{ start: 3, stop: 3 \} selects no bits"):
                m.mk_expression("e", OP.ArithPlus, reg, 1, b_slice=v.Slice(3, 3))
            with pytest.raises(ValueError, match=r"^a_slice Slice \{ start: -1, stop: 4 \} selects no bits"):
                m.mk_expression_single("e", OP.BitwiseInvr, reg, v.Slice(-1, 4))
            with pytest.raises(ValueError, match=r"^a_slice Slice \{ start: 2, stop: 0 \} selects no bits"):
                m.mk_extend_bit("e", reg, 12, v.Slice(2, 0))

        assert ids_drawn(m, refused) == 0
        # Slice() is the whole operand.
        assert m.get_hw_bit_sz(m.mk_expression_single("e", OP.BitwiseInvr, reg, v.Slice())) == 8

    def test_int_operand_takes_the_whole_width_of_the_other(self, m):
        reg = m.mk_reg("r", 16)
        made = []
        # The constant is made first, then the expression: two ids.
        assert ids_drawn(m, lambda: made.append(m.mk_expression("e", OP.ArithPlus, 5, reg, b_slice=v.Slice(0, 4)))) == 2
        # The expression is as wide as its first operand, the constant: 16
        # bits, not the 4 of the slice given for the register.
        assert m.get_hw_bit_sz(made[0]) == 16
        # Given for the int operand, the slice reads the constant.
        assert m.get_hw_bit_sz(m.mk_expression("e", OP.ArithPlus, 5, reg, a_slice=v.Slice(0, 4))) == 4
        assert m.get_hw_bit_sz(m.mk_expression("e", OP.ArithMinus, reg, -1)) == 16

    def test_ints_of_any_size(self, m):
        wide = m.mk_reg("w", 100)
        narrow = m.mk_wire("n", 3)
        assert m.get_hw_bit_sz(m.mk_expression("e", OP.BitwiseXor, 2**300 + 7, wide)) == 100
        assert m.get_hw_bit_sz(m.mk_expression("e", OP.BitwiseAnd, -(2**200), narrow)) == 3
        assert m.get_hw_bit_sz(m.mk_expression("e", OP.RelationEq, wide, 2**64)) == 1


class TestAssignment:
    def test_int_source_is_a_constant_of_the_destination_width(self, m):
        reg = m.mk_reg("r", 8)
        # 300 fits 8 bits once masked: equal widths, no warning (any warning
        # fails this test). A src_slice given with an int is not used.
        m.gen_basic_assign(reg, 300)
        m.gen_basic_assign(reg, -1, src_slice=v.Slice(0, 2))
        # The constant, its event and the assignment node.
        assert ids_drawn(m, lambda: m.gen_basic_assign(reg, 7)) == 3
        # Into a narrower slice the constant is still the whole width.
        with pytest.warns(UserWarning) as record:
            m.gen_basic_assign(reg, 1, des_slice=v.Slice(0, 4))
        assert [str(w.message) for w in record] == [wider(8, 4, abs_name("REG", "r", reg))]

    def test_huge_ints(self, m):
        reg = m.mk_reg("big", 72)
        m.gen_basic_assign(reg, 2**70)
        m.gen_basic_assign(reg, -(2**500))
        m.gen_basic_assign(m.mk_reg("small", 3), 2**1000 + 5)
        with pytest.warns(UserWarning) as record:
            m.gen_basic_assign(reg, 2**100, des_slice=v.Slice(8, 12))
        assert [str(w.message) for w in record] == [wider(72, 4, abs_name("REG", "big", reg))]

    def test_resize_warnings(self, m):
        reg = m.mk_reg("d", 8)
        name = abs_name("REG", "d", reg)
        narrow = m.mk_wire("n", 4)
        wide = m.mk_reg("w", 16)
        with pytest.warns(UserWarning) as record:
            m.gen_basic_assign(reg, narrow)
            m.gen_basic_assign(reg, wide)
            m.gen_basic_assign(reg, wide, src_slice=v.Slice(4, 6), des_slice=v.Slice(0, 4))
        assert [str(w.message) for w in record] == [narrower(4, 8, name), wider(16, 8, name), narrower(2, 4, name)]
        assert all(w.category is UserWarning for w in record)
        # A narrower source draws one more id than an equal one: its extension.
        assert ids_drawn(m, lambda: m.gen_basic_assign(reg, wide, src_slice=v.Slice(8, 16))) == 2
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            assert ids_drawn(m, lambda: m.gen_basic_assign(reg, narrow)) == 3

    def test_warning_turned_error_keeps_the_assignment(self, m):
        reg = m.mk_reg("d", 8)
        narrow = m.mk_wire("n", 4)
        seq = m.mk_flow_block_seq("body")
        m.initialize_flow_block(seq)
        with pytest.raises(ValueError, match="^seq flow block has no element$"):
            m.check_flow_block_prefinalize(seq)

        def as_error():
            with warnings.catch_warnings():
                warnings.simplefilter("error")
                with pytest.raises(UserWarning) as info:
                    m.gen_basic_assign(reg, narrow)
            assert str(info.value) == narrower(4, 8, abs_name("REG", "d", reg))

        def ignored():
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                m.gen_basic_assign(reg, narrow)

        # The raising call made as much as a silent one: extension, event,
        # node, and the take of the block the node joined ...
        assert ids_drawn(m, as_error) == ids_drawn(m, ignored) == 4
        # ... and its node is in the open block.
        m.check_flow_block_prefinalize(seq)

    def test_loose_assignment_needs_the_top_module(self, panic_type):
        m = v.ModelArena()
        top = m.mk_module("top")
        m.track_module_at_com_init(top)
        reg = m.mk_reg("r", 4)
        with pytest.raises(panic_type, match="^add_basic_node_to_top_module: no top module set$"):
            m.gen_basic_assign(reg, 1)
        # Once the top module is set, loose assignments join it.
        m.set_top_module(top)
        m.gen_basic_assign(reg, 1)

    def test_memory_block_is_no_destination(self, m, panic_type):
        mem = m.mk_mem_blk("mem", 8, 2)
        for call in (lambda: m.gen_basic_assign(mem, 1), lambda: m.gen_basic_assign(mem, m.mk_reg("r", 8)),
                     lambda: m.get_hw_bit_sz(mem)):
            with pytest.raises(panic_type, match="^MemBlk is not an assignment destination$"):
                call()


class TestIoMarksResetsAndDefaults:
    def test_io_mark_can_be_replaced(self, m):
        reg = m.mk_reg("r", 4)
        assert m.is_marked_as_io(reg) is False
        m.mark_as_io(reg, True, "din")
        m.mark_as_io(reg, False, "dout")
        assert m.is_marked_as_io(reg) is True
        assert m.is_marked_as_io(m.mk_wire("w", 1)) is False

    def test_reset_and_default_are_set_once(self, m, panic_type):
        reg = m.mk_reg("r", 4)
        wire = m.mk_wire("w", 4)
        zero = m.mk_val("z", 4, 0)
        m.set_reg_reset(reg, zero)
        with pytest.raises(panic_type, match="^reset_val is set already$"):
            m.set_reg_reset(reg, zero)
        m.set_wire_default(wire, zero)
        with pytest.raises(panic_type, match="^default_val is set already$"):
            m.set_wire_default(wire, reg)
        # The value is not checked: any kind, any width.
        m.set_reg_reset(m.mk_reg("r2", 8), m.mk_wire("x", 1))

    def test_identity_of_the_wrong_kind_changes_nothing(self, m):
        reg = m.mk_reg("r", 4)
        wire = m.mk_wire("w", 4)
        zero = m.mk_val("z", 4, 0)
        with pytest.raises(ValueError, match="^reg_i must be a REG component, got WIRE$"):
            m.set_reg_reset(wire, zero)
        with pytest.raises(ValueError, match="^wire_i must be a WIRE component, got REG$"):
            m.set_wire_default(reg, zero)
        with pytest.raises(ValueError, match="^reg_i must be a REG component, got VAL$"):
            m.set_reg_reset(zero, zero)
        # Both are still free to take their one value.
        m.set_reg_reset(reg, zero)
        m.set_wire_default(wire, zero)


class TestReentry:
    """A warnings hook runs Python code in the middle of a call; calls back
    into the same model see it borrowed."""

    def hooked(self, m, call_back):
        seen = []

        def hook(message, category, filename, lineno, file=None, line=None):
            try:
                call_back()
            except RuntimeError as e:
                seen.append(str(e))
                raise

        reg = m.mk_reg("d", 8)
        narrow = m.mk_wire("n", 4)
        with warnings.catch_warnings():
            warnings.simplefilter("always")
            warnings.showwarning = hook
            with pytest.raises(RuntimeError) as info:
                m.gen_basic_assign(reg, narrow)
        return seen, str(info.value)

    def test_exclusive_and_shared_calls_are_refused(self, m):
        assert self.hooked(m, lambda: m.mk_reg("x", 1)) == (["Already borrowed"], "Already borrowed")
        probe = m.mk_reg("p", 1)
        shared_refused = (["Already mutably borrowed"], "Already mutably borrowed")
        assert self.hooked(m, lambda: m.is_marked_as_io(probe)) == shared_refused
        assert self.hooked(m, m.get_last_skeleton_flow_block_type) == shared_refused

    def test_other_models_are_free_and_the_borrow_is_released(self, m):
        other = v.ModelArena()
        other.track_module_at_com_init(other.mk_module("o"))
        made = []

        def hook(*args, **kwargs):
            made.append(other.mk_reg("x", 1))

        reg = m.mk_reg("d", 8)
        with warnings.catch_warnings():
            warnings.simplefilter("always")
            warnings.showwarning = hook
            m.gen_basic_assign(reg, m.mk_wire("n", 4))
        assert len(made) == 1
        # After the refused re-entry of the other tests, the model works again.
        self.hooked(m, lambda: m.mk_reg("x", 1))
        m.mark_as_io(reg, True, "d")
        assert m.is_marked_as_io(reg)
