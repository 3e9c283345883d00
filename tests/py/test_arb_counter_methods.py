"""Arbiters, dynamic counters and the blocks bound to arbiters (pipeline and
zync), as the front end makes and wires them."""
import pytest

from vorlent import _vorlent as v

pytestmark = pytest.mark.filterwarnings("error")

POLICY = v.ArbSamePriPolicy
CHANNEL = v.ArbLockedChannel


@pytest.fixture
def m():
    """A model whose top module is set and traced while components are made."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.track_module_at_com_init(top)
    return arena


def ids_drawn(m, call):
    """How many global ids `call` drew, measured between two probe registers."""
    before = m.mk_reg("probe", 1).global_id
    call()
    return m.mk_reg("probe", 1).global_id - before - 1


def refused_without_ids(m, call, exc, match):
    """`call` raises `exc` before the model draws any global id."""
    before = m.mk_reg("probe", 1).global_id
    with pytest.raises(exc, match=match):
        call()
    assert m.mk_reg("probe", 1).global_id == before + 1


def name(m, hcp):
    return m.hcp_verilog_name(hcp)


class TestArbiter:
    def test_making_and_policies(self, m):
        probe = m.mk_reg("p", 1).global_id
        a = m.mk_arb("a", POLICY.NotAck)
        assert repr(a) == f"CcpIdent(global_id={probe + 2}, ccp_type=ARB)"
        assert name(m, m.arb_get_master_req_wire(a)) == f"WIRE_a_MREQ_{probe + 1}"
        # The wire, the identity, the placeholder of the stamping take.
        assert ids_drawn(m, lambda: m.mk_arb("b", 0)) == 3
        assert m.mk_arb("c", 2).ccp_type == "ARB"
        with pytest.raises(ValueError, match=r"^ArbSamePriPolicy index out of range: 3$"):
            m.mk_arb("d", 3)
        with pytest.raises(OverflowError):
            m.mk_arb("d", -1)
        with pytest.raises(TypeError, match=r"^argument 'policy': "):
            m.mk_arb("d", "AckOne")

    def test_leaves_and_reads_each_take_the_arbiter_once(self, m):
        a = m.mk_arb("a", POLICY.AckOne)
        assert m.arb_leaf_count(a) == 0
        assert [m.arb_add_leaf(a, 4), m.arb_add_leaf(a, -4)] == [0, 1]
        assert m.arb_add_leaf_locked(a, 0, CHANNEL.Req) == 2
        assert m.arb_add_leaf_locked(a, 0, 1) == 3
        assert m.arb_leaf_count(a) == 4
        req, ack = m.arb_get_leaf_req_wire(a, 0), m.arb_get_leaf_ack_wire(a, 0)
        assert (name(m, req), name(m, ack)) == (f"WIRE_a_REQ0_{req.global_id}", f"WIRE_a_ACK0_{ack.global_id}")
        assert ack.global_id == req.global_id + 1
        assert m.arb_get_leaf_req_wire(a, 2).hw_type == "VAL"
        assert m.arb_get_leaf_ack_wire(a, 2).hw_type == "WIRE"
        assert m.arb_get_leaf_ack_wire(a, 3).hw_type == "VAL"
        # Pure reads draw an id too: the placeholder of their take.
        assert ids_drawn(m, lambda: (m.arb_leaf_count(a), m.arb_leaf_count(a))) == 2
        assert ids_drawn(m, lambda: m.arb_add_leaf(a, 1)) == 3

    def test_refusals(self, m, panic_type):
        a = m.mk_arb("a", POLICY.AckOne)
        m.arb_add_leaf(a, 1)
        with pytest.raises(ValueError, match=r"^ArbLockedChannel index out of range: 2$"):
            m.arb_add_leaf_locked(a, 1, 2)
        assert m.arb_leaf_count(a) == 1
        with pytest.raises(OverflowError, match="out of range integral type conversion attempted"):
            m.arb_add_leaf(a, 2**31)
        with pytest.raises(OverflowError):
            m.arb_get_leaf_req_wire(a, -1)
        with pytest.raises(panic_type, match=r"^index out of bounds: the len is 1 but the index is 1$"):
            m.arb_get_leaf_req_wire(a, 1)
        with pytest.raises(panic_type, match=r"^index out of bounds: the len is 1 but the index is 5$"):
            m.arb_get_leaf_ack_wire(a, 5)
        assert m.arb_leaf_count(a) == 1
        with pytest.raises(TypeError, match=r"^argument 'arb_i': 'None' is not an instance of 'CcpIdent'$"):
            m.arb_leaf_count(None)
        # An identity of another model names no slot here.
        other = v.ModelArena()
        other.track_module_at_com_init(other.mk_module("o"))
        other.mk_arb("x", 0)
        with pytest.raises(panic_type, match=r"^ArenaHandle index out of range$"):
            m.arb_add_leaf(other.mk_arb("y", 0), 1)
        assert m.arb_leaf_count(a) == 1

    def test_a_counter_is_no_arbiter(self, m):
        c = m.mk_dyn_counter("c", 4)
        for call in (lambda: m.arb_add_leaf(c, 1), lambda: m.arb_add_leaf_locked(c, 1, 0),
                     lambda: m.arb_leaf_count(c), lambda: m.arb_get_master_req_wire(c),
                     lambda: m.arb_lock_master_ack(c)):
            refused_without_ids(m, call, ValueError, r"^arb_i must be a complex component of type ARB, got DCNT$")

    def test_inputs_are_one_bit_and_set_once(self, m, panic_type):
        a = m.mk_arb("a", POLICY.AckOne)
        two = m.mk_wire("two", 2)
        with pytest.raises(ValueError, match=r"^cond must be 1-bit, got 2 \(slice the cond variable down to one bit\)$"):
            m.arb_set_hold(a, two)
        with pytest.raises(ValueError, match=r"^cond slice Slice \{ start: 1, stop: 3 \} does not fit cond variable of width 2$"):
            m.arb_set_reset(a, two, v.Slice(start=1, stop=3))
        with pytest.raises(ValueError, match=r"^cond must be 1-bit, got 2"):
            m.arb_set_master_ack(a, two, v.Slice(start=-1, stop=-1))
        # A usable one-bit slice of a wider signal is accepted.
        assert ids_drawn(m, lambda: m.arb_set_hold(a, two, v.Slice(start=1, stop=2))) == 2
        with pytest.raises(panic_type, match=r"^Arb::set_user_hold: user hold already set$"):
            m.arb_set_hold(a, two, v.Slice(start=0, stop=1))
        one = m.mk_wire("one", 1)
        m.arb_set_reset(a, one)
        with pytest.raises(panic_type, match=r"^Arb::set_user_reset: user reset already set$"):
            m.arb_set_reset(a, one)
        m.arb_set_master_ack(a, one)
        with pytest.raises(panic_type, match=r"^Arb::set_master_ack_src: master ack already set$"):
            m.arb_set_master_ack(a, one)
        with pytest.raises(panic_type, match=r"^Arb::set_master_ack_locked: master ack already set$"):
            m.arb_lock_master_ack(a)
        b = m.mk_arb("b", POLICY.AckOne)
        assert m.arb_lock_master_ack(b) is None
        with pytest.raises(panic_type, match=r"^Arb::set_master_ack_src: master ack already set$"):
            m.arb_set_master_ack(b, one)


class TestDynCounter:
    def test_making(self, m, panic_type):
        probe = m.mk_reg("p", 1).global_id
        c = m.mk_dyn_counter("c", 8)
        assert repr(c) == f"CcpIdent(global_id={probe + 2}, ccp_type=DCNT)"
        reg = m.dyn_counter_get_reg(c)
        assert name(m, reg) == f"REG_c_CNT_{probe + 1}"
        assert m.get_hw_bit_sz(reg) == 8
        assert m.dyn_counter_get_now(c).global_id == reg.global_id
        for width in (0, -5):
            refused_without_ids(m, lambda: m.mk_dyn_counter("z", width), ValueError,
                                rf"^counter width must be >= 1, got {width}$")

    def test_adds_chain_until_committed(self, m):
        c = m.mk_dyn_counter("c", 8)
        reg = m.dyn_counter_get_reg(c)
        a = m.mk_reg("a", 3)
        first = m.dyn_counter_add(c, a)
        assert name(m, first) == f"EXPR_c_ADD0_{first.global_id}"
        second = m.dyn_counter_add(c, a, v.Slice(start=0, stop=2))
        assert name(m, second) == f"EXPR_c_ADD1_{second.global_id}"
        assert m.get_hw_bit_sz(second) == 8
        assert m.dyn_counter_get_now(c).global_id == second.global_id
        assert m.dyn_counter_get_reg(c).global_id == reg.global_id
        m.track_module_at_flow_init(m.mk_module("scope"))  # somewhere to put the commit
        assert m.dyn_counter_update(c) is None
        assert m.dyn_counter_get_now(c).global_id == reg.global_id
        with pytest.raises(ValueError, match="^DynCounter update: nothing to commit \u2014 call add\\(\\) first$"):
            m.dyn_counter_update(c)

    def test_enables(self, m):
        c = m.mk_dyn_counter("c", 4)
        a = m.mk_reg("a", 4)
        en = m.mk_wire("en", 1)
        bus = m.mk_wire("bus", 8)
        step = m.dyn_counter_add(c, a, enable_i=en)
        assert name(m, step) == f"WIRE_c_ST0_{step.global_id}"
        assert m.get_hw_bit_sz(step) == 4
        sliced = m.dyn_counter_add(c, a, None, bus, v.Slice(start=5, stop=6))
        assert name(m, sliced) == f"WIRE_c_ST1_{sliced.global_id}"
        with pytest.raises(ValueError, match=r"^cond must be 1-bit, got 8"):
            m.dyn_counter_add(c, a, enable_i=bus)
        with pytest.raises(ValueError, match=r"^cond slice Slice \{ start: 7, stop: 9 \} does not fit"):
            m.dyn_counter_add(c, a, enable_i=bus, enable_slice=v.Slice(start=7, stop=9))
        # Refused before the model: the next add is still number 2.
        assert name(m, m.dyn_counter_add(c, a)).startswith("EXPR_c_ADD2_")
        # The enable slice is passed on (unused) without an enable.
        assert m.dyn_counter_add(c, a, enable_slice=v.Slice(start=0, stop=9)).hw_type == "EXPR"

    def test_refusals(self, m, panic_type):
        c = m.mk_dyn_counter("c", 4)
        a = m.mk_arb("a", 0)
        with pytest.raises(ValueError, match=r"^cnt_i must be a complex component of type DCNT, got ARB$"):
            m.dyn_counter_update(a)
        with pytest.raises(ValueError, match=r"^cnt_i must be a complex component of type DCNT, got ARB$"):
            m.dyn_counter_get_now(a)
        with pytest.raises(TypeError, match=r"^argument 'addend_i': 'int' object is not an instance of 'HcpIdent'$"):
            m.dyn_counter_add(c, 3)
        # With no scope for the commit, the call panics and the chain is gone.
        n = v.ModelArena()
        t = n.mk_module("t")
        n.track_module_at_com_init(t)
        cnt = n.mk_dyn_counter("c", 4)
        n.dyn_counter_add(cnt, n.mk_reg("r", 4))
        with pytest.raises(panic_type, match="^add_basic_node_to_top_module: no top module set$"):
            n.dyn_counter_update(cnt)
        assert n.dyn_counter_get_now(cnt).global_id == n.dyn_counter_get_reg(cnt).global_id


@pytest.fixture
def f(m):
    """The model `m`, moved on to describing its top module's behaviour."""
    top = m.mk_module("behaviour")
    m.track_module_at_flow_init(top)
    return m


class TestArbitratedBlocks:
    def test_pipeline(self, f, panic_type):
        a = f.mk_arb("a", 0)
        p = f.mk_flow_block_pip("p", a)
        assert p.block_type == "PIPELINE"
        assert f.arb_leaf_count(a) == 1
        assert f.arb_get_leaf_req_wire(a, 0).hw_type == "WIRE"
        # Leaf: take, request, acknowledge; then the block.
        assert ids_drawn(f, lambda: f.mk_flow_block_pip("q", a, 3, auto_req=True)) == 4
        assert f.arb_get_leaf_req_wire(a, 1).hw_type == "VAL"
        f.mk_flow_block_pip("r", a, None, False, True)
        assert f.arb_leaf_count(a) == 3
        with pytest.raises(TypeError, match=r"^argument 'auto_req': 'int' object is not an instance of 'bool'$"):
            f.mk_flow_block_pip("s", a, 1, 1)
        c = f.mk_dyn_counter("c", 2)
        refused_without_ids(f, lambda: f.mk_flow_block_pip("bad", c), panic_type,
                            r"PipSchematic::new: ccp must be an Arb")

    def test_zync(self, f, panic_type):
        a, b = f.mk_arb("a", 0), f.mk_arb("b", 0)
        cond = f.mk_wire("cond", 1)
        z = f.mk_flow_block_zync("z", a)
        assert z.block_type == "ZYNC"
        f.mk_flow_block_zync("z2", a, 4, auto_ack=True)
        assert f.arb_get_leaf_ack_wire(a, 1).hw_type == "VAL"
        # Missing priorities take the method's own; a given one is kept.
        f.mk_flow_block_zync_multi("zm", [(a, None, False, None), (b, 3, True, cond)], True, 7)
        assert f.arb_leaf_count(a) == 3 and f.arb_leaf_count(b) == 1
        assert f.arb_get_leaf_ack_wire(b, 0).hw_type == "VAL"
        f.mk_flow_block_zync_multi("zd", ((b, None, False, None),), False)
        assert f.arb_leaf_count(b) == 2

        refused_without_ids(f, lambda: f.mk_flow_block_zync_multi("e", [], False), ValueError,
                            "^zync requires at least one arb bind$")
        with pytest.raises(TypeError, match=r"^argument 'binds': expected tuple of length 4, but got tuple of length 3$"):
            f.mk_flow_block_zync_multi("e", [(a, 1, False)], False)
        with pytest.raises(TypeError, match=r"^argument 'binds': 'int' object is not an instance of 'bool'$"):
            f.mk_flow_block_zync_multi("e", [(a, 1, 0, None)], False)
        c = f.mk_dyn_counter("c", 2)
        refused_without_ids(f, lambda: f.mk_flow_block_zync_multi("e", [(a, 1, False, None), (c, 1, False, None)], False),
                            panic_type, r"ZyncArbBind::new: ccp must be an Arb")
        with pytest.raises(panic_type, match=r"ZyncArbBind::new: ccp must be an Arb"):
            f.mk_flow_block_zync("e", c)
        assert f.arb_leaf_count(a) == 3

    def test_check_before_close(self, f):
        a = f.mk_arb("a", 0)
        z = f.mk_flow_block_zync("z", a)
        with pytest.raises(ValueError, match="^zync block must hold at least one basic node or basic-flow sub-block$"):
            f.check_flow_block_prefinalize(z)
        p = f.mk_flow_block_pip("p", a)
        with pytest.raises(ValueError, match="^pipeline block must have exactly one body sub-block$"):
            f.check_flow_block_prefinalize(p)
