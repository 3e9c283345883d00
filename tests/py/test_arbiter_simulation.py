"""Arbiters, the blocks bound to them and dynamic counters, built, emitted,
simulated cycle by cycle with Icarus Verilog and linted with Verilator.

Inputs are applied at each falling edge and sampled one time unit later, so
a combinational output shows in the row of the cycle whose inputs made it,
and a register shows at the row after the rising edge that wrote it. `mrst`
is released in cycle R; the design's blocks start at the next edge."""
import pytest

from vorlent import _vorlent as v
from test_simulation import R, Design, column

POLICY = v.ArbSamePriPolicy


def input_wire(d, name, width=1):
    """A wire of the top module driven by the testbench through port `name`."""
    d.m.track_module_at_com_init(d.top)
    w = d.m.mk_wire(name, width)
    d.m.mark_as_io(w, True, name)
    d.m.untrack_module_at_com_init(d.top)
    return w


def drive_requests(d, arb, wires):
    """Each leaf's request follows its input wire, every cycle."""
    def describe():
        for leaf, wire in wires.items():
            d.m.gen_basic_assign(d.m.arb_get_leaf_req_wire(arb, leaf), wire)
    d.behaviour(d.top, describe)


def probe(d, hcp):
    return f"dut.{d.name(hcp)}"


@pytest.mark.parametrize("policy", [POLICY.AckOne, POLICY.AckAll, POLICY.NotAck])
def test_arbiter_grants_by_priority_then_by_policy(tmp_path, policy):
    d = Design()
    m = d.m
    m.track_module_at_com_init(d.top)
    a = m.mk_arb("a", policy)
    # Leaves 0 and 1 share a priority; leaf 2 is above both.
    for priority in (1, 1, 2):
        m.arb_add_leaf(a, priority)
    m.untrack_module_at_com_init(d.top)
    wires = {i: input_wire(d, f"r{i}") for i in range(3)}
    drive_requests(d, a, wires)
    probes = {f"ack{i}": probe(d, m.arb_get_leaf_ack_wire(a, i)) for i in range(3)}
    probes["mreq"] = probe(d, m.arb_get_master_req_wire(a))
    # Cycle c requests with the bits of c: every combination once.
    rows = d.run(tmp_path, probes, inputs={f"r{i}": (lambda i: lambda c: (c >> i) & 1)(i) for i in range(3)},
                 cycles=8)
    for c, row in enumerate(rows):
        r0, r1, r2 = c & 1, (c >> 1) & 1, (c >> 2) & 1
        low = 0 if r2 else 1  # the higher leaf masks both lower ones
        if policy == POLICY.AckOne:
            expect = [r0 & low, r1 & (1 - r0) & low, r2]
        elif policy == POLICY.AckAll:
            expect = [r0 & low, r1 & low, r2]
        else:
            expect = [r0 & (1 - r1) & low, r1 & (1 - r0) & low, r2]
        assert [row["ack0"], row["ack1"], row["ack2"]] == expect, c
        assert row["mreq"] == int(c != 0)


def test_zync_waits_for_its_grant_and_its_successor_for_the_assignment(tmp_path):
    d = Design()
    m = d.m
    x, y = d.reg("x"), d.reg("y")
    m.track_module_at_com_init(d.top)
    a = m.mk_arb("a", POLICY.AckOne)
    rival = m.arb_add_leaf(a, 5)
    m.untrack_module_at_com_init(d.top)
    busy = input_wire(d, "busy")

    def describe():
        s = m.mk_flow_block_seq("s")
        m.initialize_flow_block(s)
        z = m.mk_flow_block_zync("z", a, 1)
        m.initialize_flow_block(z)
        m.gen_basic_assign(x, 1)
        m.finalize_flow_block(z)
        m.gen_basic_assign(y, 2)
        m.finalize_flow_block(s)
        m.gen_basic_assign(m.arb_get_leaf_req_wire(a, rival), busy)

    d.behaviour(d.top, describe)
    mine = 1
    rows = d.run(tmp_path, {"x": probe(d, x), "y": probe(d, y),
                            "req": probe(d, m.arb_get_leaf_req_wire(a, mine)),
                            "ack": probe(d, m.arb_get_leaf_ack_wire(a, mine))},
                 inputs={"busy": lambda c: int(c < 6)}, cycles=11)
    # The zync state is active from R+1 and requests until the rival lets go
    # in cycle 6; the grant makes x, and only then does y follow.
    assert column(rows, "req") == [0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0]
    assert column(rows, "ack") == [0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0]
    assert column(rows, "x") == [0] * 7 + [1] * 4
    assert column(rows, "y") == [0] * 8 + [2] * 3


def test_zync_with_auto_ack_assigns_at_once(tmp_path):
    d = Design()
    m = d.m
    x, y = d.reg("x"), d.reg("y")
    m.track_module_at_com_init(d.top)
    a = m.mk_arb("a", POLICY.AckOne)
    m.untrack_module_at_com_init(d.top)

    def describe():
        s = m.mk_flow_block_seq("s")
        m.initialize_flow_block(s)
        z = m.mk_flow_block_zync("z", a, auto_ack=True)
        m.initialize_flow_block(z)
        m.gen_basic_assign(x, 7)
        m.finalize_flow_block(z)
        m.gen_basic_assign(y, 8)
        m.finalize_flow_block(s)

    d.behaviour(d.top, describe)
    rows = d.run(tmp_path, {"x": probe(d, x), "y": probe(d, y)}, cycles=7)
    # Like two steps of a plain sequence.
    assert column(rows, "x") == [0, 0, 0, 0, 7, 7, 7]
    assert column(rows, "y") == [0, 0, 0, 0, 0, 8, 8]


def pipeline_design(auto_req):
    """A pipeline on an arbiter with two requesters (leaves 0 and 1, the
    second of higher priority); its body takes two cycles and counts."""
    d = Design()
    m = d.m
    cnt = d.reg("cnt")
    m.track_module_at_com_init(d.top)
    a = m.mk_arb("a", POLICY.AckOne)
    inc = m.mk_expression("inc", v.LogicOp.ArithPlus, cnt, 1)
    m.arb_add_leaf(a, 1)
    m.arb_add_leaf(a, 2)
    m.untrack_module_at_com_init(d.top)
    wires = {i: input_wire(d, f"in{i}") for i in range(2)}

    def describe():
        p = m.mk_flow_block_pip("p", a, 0, auto_req=auto_req)
        m.initialize_flow_block(p)
        body = m.mk_flow_block_seq("body")
        m.initialize_flow_block(body)
        m.gen_basic_assign(cnt, inc)
        m.gen_basic_assign(cnt, inc)
        m.finalize_flow_block(body)
        m.finalize_flow_block(p)
        for leaf, wire in wires.items():
            m.gen_basic_assign(m.arb_get_leaf_req_wire(a, leaf), wire)

    d.behaviour(d.top, describe)
    probes = {"cnt": probe(d, cnt), "mreq": probe(d, m.arb_get_master_req_wire(a))}
    probes.update({f"ack{i}": probe(d, m.arb_get_leaf_ack_wire(a, i)) for i in range(3)})
    return d, probes


def test_pipeline_serves_one_request_per_body_run(tmp_path):
    d, probes = pipeline_design(auto_req=False)
    rows = d.run(tmp_path, probes, inputs={"in0": lambda c: int(4 <= c < 12), "in1": lambda c: int(6 <= c < 9)},
                 cycles=16)
    # Idle, the pipeline polls every cycle; a grant starts the two-cycle
    # body, whose end is the next chance to grant. Leaf 1 outranks leaf 0.
    assert column(rows, "mreq") == [0] * 4 + [1] * 8 + [0] * 4
    assert column(rows, "ack0") == [0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0]
    assert column(rows, "ack1") == [0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0]
    assert column(rows, "ack2") == [0] * 16  # the pipeline's own leaf never requests
    assert column(rows, "cnt") == [0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 8, 8]


def test_pipeline_with_auto_request_runs_back_to_back(tmp_path):
    d, probes = pipeline_design(auto_req=True)
    rows = d.run(tmp_path, probes, inputs={"in0": lambda c: 0, "in1": lambda c: int(c in (5, 6))}, cycles=12)
    # Its own leaf (2) always requests: the body restarts as it ends, every
    # other cycle. A request of higher priority waits for the end of the run
    # under way (cycle 6), then takes that grant instead.
    assert column(rows, "mreq") == [1] * 12
    assert column(rows, "cnt") == [0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8]
    assert column(rows, "ack1") == [0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0]
    assert column(rows, "ack2")[R:] == [1, 0, 1, 0, 0, 0, 1, 0, 1, 0]


def test_dynamic_counter_adds_enabled_steps_every_cycle(tmp_path):
    d = Design()
    m = d.m
    m.track_module_at_com_init(d.top)
    c = m.mk_dyn_counter("c", 8)
    m.set_reg_reset(m.dyn_counter_get_reg(c), m.mk_val("c_rst", 8, 0))
    three = m.mk_val("three", 8, 3)
    m.untrack_module_at_com_init(d.top)
    a = input_wire(d, "a", 4)
    en = input_wire(d, "en", 2)

    def describe():
        m.dyn_counter_add(c, a, None, en, v.Slice(start=1, stop=2))
        m.dyn_counter_add(c, three)
        m.dyn_counter_update(c)

    d.behaviour(d.top, describe)
    rows = d.run(tmp_path, {"cnt": probe(d, m.dyn_counter_get_reg(c))},
                 inputs={"a": lambda cyc: cyc, "en": lambda cyc: 2 * (cyc % 2)}, cycles=8)
    # From the first edge after reset: + 3 every cycle, + a in odd cycles.
    expect, total = [], 0
    for cyc in range(8):
        expect.append(total)
        if cyc >= R:
            total = (total + 3 + (cyc if cyc % 2 else 0)) % 256
    assert column(rows, "cnt") == expect
