# Types of the extension module vorlent._vorlent. Checked against the built
# module by `python -m mypy.stubtest vorlent._vorlent`.
#
# Parameter conventions of every ModelArena method: a `*_i` parameter is an
# identity made by this model; an operand (`src`, `a`, `b`, `if_true`,
# `if_false`, a Karray field's value or reset) is a signal or a Python int,
# which becomes a constant as wide as the other side; `set_reg_reset` and
# `set_wire_default` take a constant's identity (`mk_val`), not an int; a
# `*_slice` parameter given as None (or as Slice()) means the whole signal; a
# list parameter takes any sequence but a str. PanicException (a
# BaseException) reports a broken invariant; TypeError and ValueError report a
# refused call.

import enum
from collections.abc import Callable, Sequence
from typing import Final, Literal, final

__all__ = [
    "ModelArena",
    "HcpIdent",
    "Slice",
    "CcpIdent",
    "FlowBlockIdent",
    "ModuleIdent",
    "BackendVerilog",
    "LogicOp",
    "ArbSamePriPolicy",
    "ArbLockedChannel",
    "HwComponentType",
    "FlowBlockType",
    "DEFAULT_UE_PRI_USER",
    "DEFAULT_UE_PRI_INTERNAL_MAX",
    "DEFAULT_UE_PRI_INTERNAL_MIN",
    "DEFAULT_UE_PRI_RST",
    "DEFAULT_UE_PRI_MIN",
    "DEFAULT_UE_PRI_FALLBACK",
    "DEFAULT_UE_SUB_PRIORITY_USER",
    "_ASM_PRIORITY_CONST_NAMES",
]

# A signal, or an int that becomes a constant.
_Operand = HcpIdent | int
# One Karray selector per dimension: ("static", [index], []), ("dyn", [], [signal]),
# ("cus", [], [signals...]) or ("reduce", [], []).
_Selector = tuple[str, Sequence[int], Sequence[HcpIdent]]
_Fields = list[tuple[str, HcpIdent]]
# A Karray reduce select function: (left fields, left coordinates, right
# fields, right coordinates, tree level) -> (the signal choosing between the
# two, extra named fields).
_SelectFn = Callable[[_Fields, list[int], _Fields, list[int], int],
                     tuple[HcpIdent, Sequence[tuple[str, HcpIdent]]]]
# A zync bind: (arbiter, leaf priority or None, auto_ack, condition or None).
_ZyncBind = tuple[CcpIdent, int | None, bool, HcpIdent | None]

DEFAULT_UE_PRI_USER: Final = 10
DEFAULT_UE_PRI_INTERNAL_MAX: Final = 100
DEFAULT_UE_PRI_INTERNAL_MIN: Final = 50
DEFAULT_UE_PRI_RST: Final = 2147483647
DEFAULT_UE_PRI_MIN: Final = 0
DEFAULT_UE_PRI_FALLBACK: Final = 1
DEFAULT_UE_SUB_PRIORITY_USER: Final = 0
_ASM_PRIORITY_CONST_NAMES: list[str]

class LogicOp(enum.IntEnum):
    """The operation of an expression, with the Verilog it is written as.

    mk_expression takes BitwiseAnd a & b, BitwiseOr a | b, BitwiseXor a ^ b,
    BitwiseShl a << b, BitwiseShr a >> b, LogicalAnd a && b, LogicalOr a || b,
    RelationEq a == b, RelationNeq a != b, RelationLe a < b (less than),
    RelationLeq a <= b, RelationGe a > b (greater than), RelationGeq a >= b,
    RelationSlt and RelationSgt (< and > of both operands as signed), ArithPlus
    a + b, ArithMinus a - b, ArithMul a * b, ArithDiv a / b, ArithDivr a % b
    (remainder). mk_expression_single takes BitwiseInvr ~a and LogicalNot !a.
    Both refuse ExtendBit (use mk_extend_bit), SliceBit, Assign and Dummy.
    """
    BitwiseAnd = 0
    BitwiseOr = 1
    BitwiseXor = 2
    BitwiseInvr = 3
    BitwiseShl = 4
    BitwiseShr = 5
    LogicalAnd = 6
    LogicalOr = 7
    LogicalNot = 8
    RelationEq = 9
    RelationNeq = 10
    RelationLe = 11
    RelationLeq = 12
    RelationGe = 13
    RelationGeq = 14
    RelationSlt = 15
    RelationSgt = 16
    ArithPlus = 17
    ArithMinus = 18
    ArithMul = 19
    ArithDiv = 20
    ArithDivr = 21
    ExtendBit = 22
    SliceBit = 23
    Assign = 24
    Dummy = 25

class ArbSamePriPolicy(enum.IntEnum):
    """What an arbiter grants among leaves of the same priority (`mk_arb`)."""
    AckOne = 0
    AckAll = 1
    NotAck = 2

class ArbLockedChannel(enum.IntEnum):
    """The channel of a leaf tied to constant 1 (`arb_add_leaf_locked`)."""
    Req = 0
    Ack = 1

class HwComponentType(enum.IntEnum):
    """Hardware component kinds, named as in generated signal names."""
    REG = 0
    SR_ST = 1
    SR_CDWT = 2
    SR_CYWT = 3
    CNT_REG = 4
    SR_SY = 5
    WIRE = 6
    NEST = 7
    VAL = 8
    MEM_BLOCK_INDEXER = 9
    EXPR = 10
    IO_WIRE = 11
    MEM_BLOCK = 12

class FlowBlockType(enum.IntEnum):
    """Flow-block kinds (`get_last_skeleton_flow_block_type`); `block_type` gives their upper-case names."""
    Sequential = 0
    Parallel = 1
    CondIf = 2
    CondElif = 3
    ZeroCondIf = 4
    ZeroCondElif = 5
    ZeroSwitch = 6
    ZeroSwitchCase = 7
    WhileLoop = 8
    DoWhile = 9
    CounterLoop = 10
    Wait = 11
    Pipeline = 12
    Zync = 13
    Pick = 14
    PickIf = 15

@final
class Slice:
    """The bits start to stop - 1 of a signal, bit 0 the least significant; Slice() is the whole signal."""
    def __new__(cls, start: int = ..., stop: int = ...) -> Slice:
        """The bit range [start, stop); a bound not given is -1."""
    @property
    def start(self) -> int:
        """The first bit of the range."""
    @property
    def stop(self) -> int:
        """One past the last bit of the range."""
    @property
    def size(self) -> int:
        """stop - start, as a 32-bit difference."""
    def is_valid(self) -> bool:
        """True when 0 <= start < stop."""

# Identities are made by the model only; compare them by `global_id`.
@final
class HcpIdent:
    """Names a hardware component of a model: register, wire, constant, expression, memory."""
    @property
    def global_id(self) -> int:
        """The process-wide id in the component's generated name; compare identities by it."""
    @property
    def hw_type(self) -> str:
        """The component's kind: "REG", "WIRE", "VAL", "EXPR", ..."""
    @property
    def sensitive_type(self) -> Literal["clocked", "combinational", "read_only"]:
        """Whether the component is a clocked register, combinational, or read only."""
    @property
    def clocked(self) -> bool:
        """True for a component that changes at the rising clock edge."""

@final
class FlowBlockIdent:
    """Names a flow block of a model, as its `mk_flow_block_*` factory made it."""
    @property
    def global_id(self) -> int:
        """The process-wide id of the block; compare identities by it."""
    @property
    def block_type(self) -> str:
        """The block's kind in upper case: "SEQUENTIAL", "COND_IF", ..."""

@final
class CcpIdent:
    """Names a complex component of a model: an arbiter, a Karray or a dynamic counter."""
    @property
    def global_id(self) -> int:
        """The process-wide id of the component; compare identities by it."""
    @property
    def ccp_type(self) -> Literal["ARB", "KARRAY", "DCNT"]:
        """The component's kind: "ARB", "KARRAY" or "DCNT"."""

@final
class ModuleIdent:
    """Names a module of a model."""
    @property
    def global_id(self) -> int:
        """The process-wide id in the module's generated name; compare identities by it."""
    @property
    def depth_level(self) -> int:
        """How many modules were tracked when this one was made; 0 for a root."""

@final
class BackendVerilog:
    """Takes the model out of `arena` (which keeps an empty one) to write it."""
    def __new__(cls, arena: ModelArena) -> BackendVerilog:
        """Takes the built model out of `arena`, which is left holding a new, empty model."""
    def emit(self, output_dir: str, top_file_name: str) -> None:
        """Writes the top module to output_dir/top_file_name.v and every other module beside it."""

@final
class ModelArena:
    """One whole design: modules, components and behaviour; built once, then moved into a BackendVerilog."""
    def __new__(cls) -> ModelArena:
        """A new, empty model."""

    # Modules, build, priority and names
    def mk_module(self, name: str) -> ModuleIdent:
        """A new module, written to the file MODULE_<name>_<id>.v (so its name holds no "$"); closing its component phase while another module is tracked makes it that one's sub-module."""
    def track_module_at_com_init(self, module_i: ModuleIdent) -> None:
        """Opens the component phase of a module: new components belong to it."""
    def track_module_at_flow_init(self, module_i: ModuleIdent) -> None:
        """Opens the behaviour phase of a module: new blocks and assignments belong to it."""
    def untrack_module_at_com_init(self, module_i: ModuleIdent) -> None:
        """Closes the component phase of the module on top of the trace stack."""
    def untrack_module_at_flow_init(self, module_i: ModuleIdent) -> None:
        """Closes the behaviour phase of the module on top of the trace stack."""
    def set_top_module(self, module_i: ModuleIdent) -> None:
        """Names the top module, which gets the ports clk and mrst; once, before build_flow and before the first assignment made outside every block."""
    def build_flow(self) -> None:
        """Lowers the behaviour of every module into state machines; once, after everything is described."""
    def get_asm_pri_val(self) -> int:
        """The priority this thread gives new assignments."""
    def get_asm_pri_mode(self) -> Literal["Auto", "Manual"]:
        """"Auto" when new assignments get the default priority, "Manual" when a set one."""
    def set_asm_pri_to_auto(self) -> None:
        """New assignments on this thread get the default priority again."""
    def set_asm_pri_to_manual(self, priority: int) -> None:
        """New assignments on this thread get `priority` (a higher one wins a cycle)."""
    def hcp_verilog_name(self, hcp_i: HcpIdent) -> str:
        """The component's name in the emitted Verilog, such as REG_count_1."""
    def module_verilog_name(self, module_i: ModuleIdent) -> str:
        """The module's name in the emitted Verilog, also its instance name in its parent."""

    # Components, expressions and assignments
    def mk_reg(self, name: str, bit_width: int) -> HcpIdent:
        """A register of `bit_width` bits, written at the rising clock edge."""
    def mk_wire(self, name: str, bit_width: int) -> HcpIdent:
        """A combinational wire of `bit_width` bits."""
    def mk_val(self, name: str, bit_width: int, init_val: int) -> HcpIdent:
        """A constant of `bit_width` bits holding `init_val`."""
    def mk_val_vv(self, name: str, bit_width: int, limbs: Sequence[int]) -> HcpIdent:
        """A constant of any width, given as 64-bit limbs, least significant first."""
    def mk_mem_blk(self, name: str, bit_width: int, index_width: int) -> HcpIdent:
        """A memory of `bit_width`-bit words, addressed by `index_width` bits."""
    def mk_mem_ele(self, name: str, master_mem_blk_i: HcpIdent, index_ident: HcpIdent,
                   bit_width: int, is_read: bool) -> HcpIdent:
        """One port of memory `master_mem_blk_i` at the address `index_ident` (any signal).

        is_read=True makes a read element: combinational, the word at the
        address in the same cycle, to be only read. is_read=False makes a
        write element, to be only assigned: an assignment made in a cycle
        writes the word at that cycle's address at the clock edge; marked as
        an input port (mark_as_io), it writes the port's value so in every
        cycle and takes no assignment. An element of `bit_width` narrower
        than the word is its low bits; a wider one is refused.
        """
    def mk_expression(self, name: str, op: int, a: _Operand, b: _Operand,
                      a_slice: Slice | None = None, b_slice: Slice | None = None) -> HcpIdent:
        """A combinational expression `a op b`, `op` a LogicOp of two operands.

        RelationLe is a < b and RelationGe a > b (see LogicOp). The result is
        1 bit for a relation or a logical op, else as wide as a (a_slice). An
        int operand becomes a constant as wide as the whole other operand;
        two ints are refused.
        """
    def mk_expression_single(self, name: str, op: int, a: HcpIdent,
                             a_slice: Slice | None = None) -> HcpIdent:
        """A combinational expression of one operand (`BitwiseInvr`, `LogicalNot`)."""
    def mk_extend_bit(self, name: str, a: HcpIdent, c: int, a_slice: Slice | None = None) -> HcpIdent:
        """`a` (or its slice) zero-extended to `c` bits."""
    def gen_basic_assign(self, des_i: HcpIdent, src: _Operand, src_slice: Slice | None = None,
                         des_slice: Slice | None = None) -> None:
        """Assigns `src` to `des_i` in the open block (every cycle outside blocks), fitted to its width."""
    def mark_as_io(self, hcp_i: HcpIdent, is_input: bool, io_name: str) -> None:
        """Makes the component a port of its module named `io_name`, an input or an output.

        An input port drives a wire or a memory write element alone: neither is both assigned and
        an input port. A write element writes the port's value into the word at its address at the
        rising clock edge that ends each cycle, as a loose assignment would. A register marked as
        an input holds the port's value of each cycle, as a wire, over every assignment of priority
        50 or below: neither is both such an assignment's destination and an input port."""
    def is_marked_as_io(self, hcp_i: HcpIdent) -> bool:
        """True when the component is a port."""
    def get_hw_bit_sz(self, hcp_i: HcpIdent) -> int:
        """The component's width in bits."""
    def set_reg_reset(self, reg_i: HcpIdent, reset_val_i: HcpIdent) -> None:
        """The constant (`mk_val`) the register takes while mrst is high; once per register."""
    def set_wire_default(self, wire_i: HcpIdent, default_val_i: HcpIdent) -> None:
        """The value the wire has in a cycle in which nothing assigns it; once per wire."""

    # Generators
    def gen_mux(self, name: str, cond_i: HcpIdent, cond_slice: Slice, if_true: _Operand,
                if_false: _Operand, true_slice: Slice | None = None, false_slice: Slice | None = None,
                width: int | None = None) -> HcpIdent:
        """A wire that is `if_true` while the 1-bit `cond_i` is 1, else `if_false`.

        `cond_slice` selects the bit (Slice() when cond_i is 1 bit). The wire
        is `width` bits; when None, as wide as if_true (over true_slice), or
        as if_false when if_true is an int. An int input becomes a constant
        that wide, so two ints need `width`.
        """
    def gen_any_of(self, name: str, terms: Sequence[tuple[HcpIdent, Slice]]) -> HcpIdent | None:
        """The OR of 1-bit terms; None for one term (use it directly), constant 0 for none."""
    def gen_sum_cnt(self, name: str, bits: Sequence[tuple[HcpIdent, Slice]],
                    width: int | None = None) -> HcpIdent:
        """The sum of the terms (for 1-bit terms, how many are 1), `width` bits or as wide as any sum."""
    def gen_rotate_left(self, name: str, sig_i: HcpIdent, sig_slice: Slice, amount: int,
                        width: int | None = None) -> HcpIdent | None:
        """The signal's bits rotated left by `amount`; None when that leaves them in place."""
    def gen_rotate_right(self, name: str, sig_i: HcpIdent, sig_slice: Slice, amount: int,
                         width: int | None = None) -> HcpIdent | None:
        """The signal's bits rotated right by `amount`; None when that leaves them in place."""

    # Flow blocks: life cycle
    def initialize_flow_block(self, block_i: FlowBlockIdent) -> None:
        """Opens a block, in a module's behaviour phase (track_module_at_flow_init): what is described next goes into it."""
    def finalize_flow_block(self, block_i: FlowBlockIdent) -> None:
        """Closes the innermost open block, which becomes an element of the block around it."""
    def finalize_flow_procedure(self) -> None:
        """Closes the module's last block; call it just before untrack_module_at_flow_init."""
    def check_flow_block_prefinalize(self, block_i: FlowBlockIdent) -> None:
        """Raises ValueError when the block is not complete yet (no element, no body)."""
    def get_last_skeleton_flow_block_type(self) -> int:
        """The `FlowBlockType` of the innermost open seq or par block."""

    # Flow blocks: factories
    def mk_flow_block_seq(self, name: str) -> FlowBlockIdent:
        """A block that runs its elements one after the other: one cycle per assignment."""
    def mk_flow_block_par_auto(self, name: str) -> FlowBlockIdent:
        """A block that runs its branches side by side and ends when all have ended."""
    def mk_flow_block_par_no_sync(self, name: str) -> FlowBlockIdent:
        """A block that runs its branches side by side; it ends with the slowest when every branch's
        latency is fixed, else when the first one ends."""
    def mk_flow_block_cif(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = None) -> FlowBlockIdent:
        """The head of a conditional chain whose condition is read in the cycle it is entered."""
    def mk_flow_block_sif(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = None) -> FlowBlockIdent:
        """The head of a conditional chain whose condition is read in a check step of its own."""
    def mk_flow_block_cselif(self, name: str, cond_i: HcpIdent,
                             cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A further branch of a cif or sif chain, taken when its condition holds."""
    def mk_flow_block_cselse(self, name: str) -> FlowBlockIdent:
        """The last branch of a cif or sif chain, taken when no condition holds."""
    def mk_flow_block_zif(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = None) -> FlowBlockIdent:
        """The head of a zero-delay chain: assignments made in the same step as the read."""
    def mk_flow_block_zelif(self, name: str, cond_i: HcpIdent,
                            cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A further branch of a zif chain."""
    def mk_flow_block_zelse(self, name: str) -> FlowBlockIdent:
        """The last branch of a zif chain, taken when no condition holds."""
    def mk_flow_block_zstate(self, name: str, state_i: HcpIdent) -> FlowBlockIdent:
        """A zero-delay switch on `state_i`; its cases are zcase blocks."""
    def mk_flow_block_zcase(self, name: str, match_val: int) -> FlowBlockIdent:
        """A case of a zstate block, taken when the selector equals `match_val`."""
    def mk_flow_block_cwhile(self, name: str, cond_i: HcpIdent,
                             cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A loop that reads its condition on entry and as each pass ends."""
    def mk_flow_block_swhile(self, name: str, cond_i: HcpIdent,
                             cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A loop that reads its condition in a check step before each pass."""
    def mk_flow_block_do_while(self, name: str, cond_i: HcpIdent,
                               cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A loop that runs its body once, then again while the condition read as a pass ends holds."""
    def mk_flow_block_counter_loop(self, name: str, last_loop_cnt: int) -> FlowBlockIdent:
        """A loop that runs its body `last_loop_cnt` times."""
    def mk_flow_block_scwait(self, name: str, cond_i: HcpIdent,
                             cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A wait that ends in the first cycle, from the one after its entry, in which `cond_i` holds."""
    def mk_flow_block_sywait(self, name: str, cycle: int) -> FlowBlockIdent:
        """A wait of `cycle` cycles."""
    def mk_flow_block_pick(self, name: str) -> FlowBlockIdent:
        """A block that enters every pif branch whose condition holds, else its pidef."""
    def mk_flow_block_pif(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = None) -> FlowBlockIdent:
        """A branch of a pick, entered when its condition holds."""
    def mk_flow_block_pidef(self, name: str) -> FlowBlockIdent:
        """The default branch of a pick, entered when no pif condition holds."""
    def mk_flow_block_pip(self, name: str, arb_i: CcpIdent, priority: int | None = None,
                          auto_req: bool = False, auto_restart: bool = False) -> FlowBlockIdent:
        """A pipeline: runs its body for each grant of arbiter `arb_i`, forever.

        It adds a leaf to the arbiter at `priority` (None: 10); with auto_req
        the leaf always requests, so the body runs back to back. auto_restart:
        a reset (arb_set_reset) enters the pipeline again in that cycle
        instead of leaving it idle until mrst.
        """
    def mk_flow_block_zync(self, name: str, arb_i: CcpIdent, priority: int | None = None,
                           auto_ack: bool = False) -> FlowBlockIdent:
        """Assignments (at least one) made in the cycle in which the arbiter grants this block's request."""
    def mk_flow_block_zync_multi(self, name: str, binds: Sequence[_ZyncBind], match_all: bool,
                                 priority: int | None = None) -> FlowBlockIdent:
        """A zync block that requests on several arbiters; granted by one, or by all with match_all.

        Each bind is (arbiter, priority, auto_ack, cond), e.g.
        (arb, None, False, None), and adds a leaf to its arbiter: at
        `priority` (None: this call's `priority`, or 10); auto_ack=True ties
        the leaf's grant to 1; cond None requests whenever the block waits,
        a 1-bit signal requests, and lets its grant count, only while it is 1.
        """

    # Arbiters and dynamic counters
    def mk_arb(self, name: str, policy: int) -> CcpIdent:
        """A fixed-priority arbiter: a requesting leaf is granted unless a higher-priority one requests."""
    def arb_add_leaf(self, arb_i: CcpIdent, priority: int) -> int:
        """Adds a requesting leaf at `priority`; returns its index."""
    def arb_add_leaf_locked(self, arb_i: CcpIdent, priority: int, channel: int) -> int:
        """Adds a leaf whose request or acknowledge is tied to 1; returns its index."""
    def arb_set_hold(self, arb_i: CcpIdent, cond_i: HcpIdent, cond_slice: Slice | None = None) -> None:
        """A 1-bit hold of the pipeline bound to this arbiter: while it holds, the pipeline keeps its state."""
    def arb_set_reset(self, arb_i: CcpIdent, cond_i: HcpIdent, cond_slice: Slice | None = None) -> None:
        """A 1-bit reset of the pipeline bound to this arbiter (with auto_restart it also restarts it)."""
    def arb_set_master_ack(self, arb_i: CcpIdent, src_i: HcpIdent, src_slice: Slice | None = None) -> None:
        """A 1-bit signal that gates every grant of the arbiter; once per arbiter."""
    def arb_lock_master_ack(self, arb_i: CcpIdent) -> None:
        """Ties the arbiter's master acknowledge to 1."""
    def arb_leaf_count(self, arb_i: CcpIdent) -> int:
        """The number of leaves of the arbiter."""
    def arb_get_leaf_req_wire(self, arb_i: CcpIdent, idx: int) -> HcpIdent:
        """The request wire of leaf `idx`; assign it to request."""
    def arb_get_leaf_ack_wire(self, arb_i: CcpIdent, idx: int) -> HcpIdent:
        """The grant of leaf `idx`."""
    def arb_get_master_req_wire(self, arb_i: CcpIdent) -> HcpIdent:
        """The arbiter's master request: the OR of all leaf requests."""
    def mk_dyn_counter(self, name: str, width: int) -> CcpIdent:
        """A counter register of `width` bits, advanced by dyn_counter_add and dyn_counter_update."""
    def dyn_counter_add(self, cnt_i: CcpIdent, addend_i: HcpIdent, addend_slice: Slice | None = None,
                        enable_i: HcpIdent | None = None, enable_slice: Slice | None = None) -> HcpIdent:
        """Adds an addend (when `enable_i` holds) to the pending value; returns the running sum."""
    def dyn_counter_update(self, cnt_i: CcpIdent) -> None:
        """Assigns the running sum to the counter register, in the open block."""
    def dyn_counter_get_now(self, cnt_i: CcpIdent) -> HcpIdent:
        """The running sum while adds are pending, else the counter register."""
    def dyn_counter_get_reg(self, cnt_i: CcpIdent) -> HcpIdent:
        """The counter register."""

    # Karray arrays
    def mk_karray(self, name: str, shape: Sequence[int], fields: Sequence[tuple[str, int]],
                  backing: int) -> CcpIdent:
        """An array of records: `shape` the size of each dimension, outermost first ([2, 3]).

        `fields` is [(name, width), ...], e.g. [("v", 8), ("tag", 2)]; every
        field of every element is a component of its own: a register with
        backing=HwComponentType.REG, a wire with HwComponentType.WIRE.
        """
    def karray_shape(self, karray_i: CcpIdent) -> list[int]:
        """The size of each dimension, outermost first."""
    def karray_fields(self, karray_i: CcpIdent) -> list[tuple[str, int]]:
        """The fields as (name, width), in declaration order."""
    def karray_is_clocked(self, karray_i: CcpIdent) -> bool:
        """True when the fields are registers."""
    def karray_element_hcp(self, karray_i: CcpIdent, coord: Sequence[int], field: str) -> HcpIdent:
        """The component of one field of the element at `coord`."""
    def karray_reset_field(self, karray_i: CcpIdent, field: str, value: _Operand) -> None:
        """The reset value of one field in every element."""
    def karray_assign_hcps(self, karray_i: CcpIdent, sel: Sequence[_Selector],
                           sources: Sequence[tuple[str | None, _Operand]], expect_clocked: bool) -> None:
        """Writes fields of the selected elements, one selector per dimension in `sel`.

        A selector is ("static", [i], []) element i, ("dyn", [], [sig]) the
        element the signal names, or ("cus", [], [en_0, en_1, ...]) every
        element whose 1-bit enable is 1 (one per element); a WIRE array takes
        static ones only. `sources` is [(field, value), ...], a field of None
        being the array's only one. expect_clocked: True for a REG array,
        False for a WIRE array (TypeError otherwise).
        """
    def karray_assign_k2k(self, dst_i: CcpIdent, dst_sel: Sequence[_Selector], src_i: CcpIdent,
                          src_sel: Sequence[_Selector], src_fns: Sequence[_SelectFn | None],
                          expect_clocked: bool) -> None:
        """Assigns the fields of the selected elements of `src_i` to those of `dst_i`, by name."""
    def karray_read_field_hcp(self, karray_i: CcpIdent, sel: Sequence[_Selector],
                              fns: Sequence[_SelectFn | None], field: str) -> HcpIdent:
        """A signal reading one field of the selected element; reduce selectors call `fns`.

        `sel` has one selector per dimension: ("static", [i], []),
        ("dyn", [], [sig]) or ("reduce", [], []). fns[d] is the select function
        of reduce dimension d (None for the others; the list may end after the
        last reduce): fn(left, left_at, right, right_at, level) gets each
        side's fields as [(name, signal), ...] and the indexes it covers, and
        returns (pick, extras): a 1-bit signal, 1 choosing left, and
        [(name, signal), ...] replacing or adding fields for the levels
        above. `field` must be declared by the array: to read a value the fns
        carry, declare a field of its name and return it under that name.
        """
