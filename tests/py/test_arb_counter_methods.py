"""Arbiters, dynamic counters and the blocks bound to arbiters (pipeline and
zync), as the front end makes and wires them. Each method takes its complex
component out of its arena, which draws an id: those counts are output."""
import pytest

from vorlent import _vorlent as v
from model_helpers import ids_drawn, raised, refused

pytestmark = pytest.mark.filterwarnings("error")

POLICY = v.ArbSamePriPolicy
CHANNEL = v.ArbLockedChannel


def name(m, hcp):
    return m.hcp_verilog_name(hcp)


class TestArbiter:
    def test_making_leaves_and_reads(self, m, panic_type):
        # Names and ids of the parts are the model's, tested in C++.
        probe, a = m.mk_reg("p", 1).global_id, m.mk_arb("a", POLICY.AckOne)
        assert repr(a) == f"CcpIdent(global_id={probe + 2}, ccp_type=ARB)"
        assert refused(m, ValueError, m.mk_arb, "d", 3) == "ArbSamePriPolicy index out of range: 3"
        assert [m.arb_add_leaf(a, 4), m.arb_add_leaf_locked(a, 0, CHANNEL.Req),
                m.arb_add_leaf_locked(a, 0, 1)] == [0, 1, 2]
        assert raised(ValueError, m.arb_add_leaf_locked, a, 1, 2) == "ArbLockedChannel index out of range: 2"
        assert [m.arb_get_leaf_req_wire(a, 1).hw_type, m.arb_get_leaf_ack_wire(a, 2).hw_type] == ["VAL", "VAL"]
        assert raised(panic_type, m.arb_get_leaf_ack_wire, a, 5) == \
            "index out of bounds: the len is 3 but the index is 5"
        # Each call takes the arbiter once; pure reads draw an id too: the placeholder of their take.
        assert ids_drawn(m, lambda: (m.arb_leaf_count(a), m.arb_leaf_count(a))) == 2
        assert ids_drawn(m, lambda: m.arb_add_leaf(a, 1)) == 3
        assert m.arb_leaf_count(a) == 4

    def test_inputs_are_one_bit_arbiters(self, m):
        a, two, c = m.mk_arb("a", POLICY.AckOne), m.mk_wire("two", 2), m.mk_dyn_counter("c", 4)
        for call in (lambda: m.arb_add_leaf(c, 1), lambda: m.arb_lock_master_ack(c)):
            assert refused(m, ValueError, call) == "arb_i must be a complex component of type ARB, got DCNT"
        for call in (m.arb_set_hold, m.arb_set_reset, m.arb_set_master_ack):
            refused(m, ValueError, call, a, two)
        refused(m, ValueError, m.arb_set_reset, a, two, v.Slice(start=1, stop=3))
        # A usable one-bit slice of a wider signal is accepted.
        assert ids_drawn(m, lambda: m.arb_set_hold(a, two, v.Slice(start=1, stop=2))) == 2
        assert m.arb_lock_master_ack(m.mk_arb("b", POLICY.AckOne)) is None


class TestDynCounter:
    def test_making_adds_and_updates(self, m):
        probe, c = m.mk_reg("p", 1).global_id, m.mk_dyn_counter("c", 8)
        assert repr(c) == f"CcpIdent(global_id={probe + 2}, ccp_type=DCNT)"
        for width in (0, -5):
            assert refused(m, ValueError, m.mk_dyn_counter, "z", width) == f"counter width must be >= 1, got {width}"
        assert refused(m, ValueError, m.dyn_counter_get_now, m.mk_arb("a", 0)) == \
            "cnt_i must be a complex component of type DCNT, got ARB"
        reg, a, en, bus = m.dyn_counter_get_reg(c), m.mk_reg("a", 3), m.mk_wire("en", 1), m.mk_wire("bus", 8)
        assert m.dyn_counter_get_now(c).global_id == reg.global_id
        step = m.dyn_counter_add(c, a, v.Slice(start=0, stop=2), en)
        assert m.hcp_verilog_name(step) == f"WIRE_c_ST0_{step.global_id}"
        sliced = m.dyn_counter_add(c, a, None, bus, v.Slice(start=5, stop=6))
        assert m.hcp_verilog_name(sliced).startswith("WIRE_c_ST1_")
        refused(m, ValueError, m.dyn_counter_add, c, a, enable_i=bus)  # an 8-bit enable, before the model
        # The enable slice is passed on (unused) without an enable.
        last = m.dyn_counter_add(c, a, enable_slice=v.Slice(start=0, stop=9))
        assert m.hcp_verilog_name(last).startswith("EXPR_c_ADD2_")
        assert m.dyn_counter_get_now(c).global_id == last.global_id
        m.track_module_at_flow_init(m.mk_module("scope"))  # somewhere to put the commit
        assert m.dyn_counter_update(c) is None
        assert m.dyn_counter_get_now(c).global_id == reg.global_id
        assert raised(ValueError, m.dyn_counter_update, c) == "DynCounter update: nothing to commit \u2014 call add() first"

    def test_a_commit_with_no_scope_is_refused_and_keeps_the_chain(self):
        n = v.ModelArena()
        t = n.mk_module("t")
        n.track_module_at_com_init(t)
        cnt = n.mk_dyn_counter("c", 4)
        now = n.dyn_counter_add(cnt, n.mk_reg("r", 4))
        assert raised(ValueError, n.dyn_counter_update, cnt) == (
            "dyn_counter_update: no flow block is open, so this is a loose assignment of the top module, and no "
            "top module is set; call set_top_module first")
        assert n.dyn_counter_get_now(cnt).global_id == now.global_id
        n.set_top_module(t)
        assert n.dyn_counter_update(cnt) is None


class TestArbitratedBlocks:
    @pytest.fixture
    def f(self, m):
        """The model `m`, moved on to describing a module's behaviour."""
        m.track_module_at_flow_init(m.mk_module("behaviour"))
        return m

    def test_pipeline(self, f):
        a = f.mk_arb("a", 0)
        assert f.mk_flow_block_pip("p", a).block_type == "PIPELINE"
        assert f.arb_leaf_count(a) == 1
        assert f.arb_get_leaf_req_wire(a, 0).hw_type == "WIRE"
        # Leaf: take, request, acknowledge; then the block.
        assert ids_drawn(f, lambda: f.mk_flow_block_pip("q", a, 3, auto_req=True)) == 4
        assert f.arb_get_leaf_req_wire(a, 1).hw_type == "VAL"
        f.mk_flow_block_pip("r", a, None, False, True)
        assert f.arb_leaf_count(a) == 3
        # Another kind of complex component is refused as the argument it is.
        for other, kind in [(f.mk_dyn_counter("c", 2), "DCNT"), (f.mk_karray("k", [2], [("x", 1)], 0), "KARRAY")]:
            assert refused(f, ValueError, f.mk_flow_block_pip, "bad", other) == \
                f"arb_i must be a complex component of type ARB, got {kind}"
            assert refused(f, ValueError, f.mk_flow_block_zync, "bad", other) == \
                f"arb_i must be a complex component of type ARB, got {kind}"

    def test_zync(self, f):
        a, b = f.mk_arb("a", 0), f.mk_arb("b", 0)
        cond, c8 = f.mk_wire("cond", 1), f.mk_wire("c8", 8)
        assert f.mk_flow_block_zync("z", a).block_type == "ZYNC"
        f.mk_flow_block_zync("z2", a, 4, auto_ack=True)
        assert f.arb_get_leaf_ack_wire(a, 1).hw_type == "VAL"
        # Missing priorities take the method's own; a given one is kept.
        f.mk_flow_block_zync_multi("zm", [(a, None, False, None), (b, 3, True, cond)], True, 7)
        assert f.arb_leaf_count(a) == 3 and f.arb_leaf_count(b) == 1
        assert f.arb_get_leaf_ack_wire(b, 0).hw_type == "VAL"
        f.mk_flow_block_zync_multi("zd", ((b, None, False, None),), False)
        assert f.arb_leaf_count(b) == 2
        assert refused(f, ValueError, f.mk_flow_block_zync_multi, "e", [], False) == \
            "zync requires at least one arb bind"
        # A bad bind after a good one: nothing is made, not even the good leaf.
        c = f.mk_dyn_counter("c", 2)
        assert refused(f, ValueError, f.mk_flow_block_zync_multi, "e", [(a, 1, False, None), (c, 1, False, None)],
                       False) == "binds[1][0] must be a complex component of type ARB, got DCNT"
        assert f.arb_leaf_count(a) == 3
        # A condition is one bit, as every block's is: a wider one is refused with no leaf made.
        assert refused(f, ValueError, f.mk_flow_block_zync_multi, "e",
                       [(a, 1, False, cond), (b, 1, False, c8), (a, 2, False, None)], False) == \
            f'mk_flow_block_zync_multi: binds[1][3], the condition of bind 1 of 3 (counted from 0), "WIRE_c8_' \
            f'{c8.global_id}", is 8 bits wide; a bind\'s condition is a 1-bit signal, or None for a bind that ' \
            "requests whenever the block waits"
        assert f.arb_leaf_count(a) == 3
