"""Arbiters, the blocks bound to them and dynamic counters, simulated."""
import pytest

from vorlent import _vorlent as v
from verilog_sim import R, Design

POLICY = v.ArbSamePriPolicy


def arbiter(d, *priorities, policy=POLICY.AckOne):
    with d.components() as m:
        a = m.mk_arb("a", policy)
        for priority in priorities:
            m.arb_add_leaf(a, priority)
    return a


def drive_requests(d, arb, wires):
    """Each leaf's request follows its input wire, every cycle."""
    for leaf, wire in wires.items():
        d.m.gen_basic_assign(d.m.arb_get_leaf_req_wire(arb, leaf), wire)


@pytest.mark.parametrize("policy", [POLICY.AckOne, POLICY.AckAll, POLICY.NotAck])
def test_arbiter_grants_by_priority_then_by_policy(tmp_path, policy):
    d = Design()
    m, a = d.m, arbiter(d, 1, 1, 2, policy=policy)  # leaf 2 above leaves 0 and 1
    wires = {i: d.input(f"r{i}") for i in range(3)}
    with d.behaviour():
        drive_requests(d, a, wires)
    probes = {f"ack{i}": d.probe(m.arb_get_leaf_ack_wire(a, i)) for i in range(3)}
    probes["mreq"] = d.probe(m.arb_get_master_req_wire(a))
    # Cycle c requests with the bits of c: every combination once.
    got = d.run(tmp_path, probes, inputs={f"r{i}": (lambda i: lambda c: (c >> i) & 1)(i) for i in range(3)},
                cycles=8)
    for c in range(8):
        r0, r1, r2 = c & 1, (c >> 1) & 1, (c >> 2) & 1
        low = 1 - r2  # the higher leaf masks both lower ones
        expect = {POLICY.AckOne: [r0 & low, r1 & (1 - r0) & low, r2],
                  POLICY.AckAll: [r0 & low, r1 & low, r2],
                  POLICY.NotAck: [r0 & (1 - r1) & low, r1 & (1 - r0) & low, r2]}[policy]
        assert [got[f"ack{i}"][c] for i in range(3)] == expect, c
        assert got["mreq"][c] == int(c != 0)


def test_zync_waits_for_its_grant_and_its_successor_for_the_assignment(tmp_path):
    d = Design()
    m = d.m
    x, y = d.reg("x"), d.reg("y")
    a, busy = arbiter(d, 5), d.input("busy")
    with d.behaviour():
        d.seq("s", lambda: d.block(m.mk_flow_block_zync("z", a, 1), (x, 1)), (y, 2))
        drive_requests(d, a, {0: busy})
    mine = 1
    got = d.run(tmp_path, {**d.probes(x=x, y=y), "req": d.probe(m.arb_get_leaf_req_wire(a, mine)),
                           "ack": d.probe(m.arb_get_leaf_ack_wire(a, mine))},
                inputs={"busy": lambda c: int(c < 6)}, cycles=11)
    # The zync state is active from R+1 and requests until the rival lets go
    # in cycle 6; the grant makes x, and only then does y follow.
    assert got["req"] == [0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0]
    assert got["ack"] == [0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0]
    assert got["x"] == [0] * 7 + [1] * 4
    assert got["y"] == [0] * 8 + [2] * 3


def pipeline_design(auto_req):
    """A pipeline on an arbiter with two requesters (leaves 0 and 1, the
    second of higher priority); its body takes two cycles and counts."""
    d = Design()
    m, cnt, a, wires = d.m, d.reg("cnt"), arbiter(d, 1, 2), {i: d.input(f"in{i}") for i in range(2)}
    with d.behaviour():
        inc = d.inc(cnt)
        d.block(m.mk_flow_block_pip("p", a, 0, auto_req=auto_req), lambda: d.seq("body", (cnt, inc), (cnt, inc)))
        drive_requests(d, a, wires)
    probes = {"cnt": d.probe(cnt), "mreq": d.probe(m.arb_get_master_req_wire(a))}
    probes.update({f"ack{i}": d.probe(m.arb_get_leaf_ack_wire(a, i)) for i in range(3)})
    return d, probes


@pytest.mark.parametrize("auto_req, in0, in1, cycles, want", [
    # Idle, the pipeline polls every cycle; a grant starts the two-cycle
    # body, whose end is the next chance to grant. Leaf 1 outranks leaf 0;
    # the pipeline's own leaf (2) never requests.
    (False, range(4, 12), range(6, 9), 16, {
        "mreq": [0] * 4 + [1] * 8 + [0] * 4, "ack0": [0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0],
        "ack1": [0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0], "ack2": [0] * 16,
        "cnt": [0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 8, 8]}),
    # With auto_req its own leaf always requests: the body restarts as it
    # ends, every other cycle. A request of higher priority waits for the end
    # of the run under way (cycle 6), then takes that grant instead.
    (True, (), (5, 6), 12, {
        "mreq": [1] * 12, "cnt": [0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8],
        "ack1": [0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0], "ack2": [1, 1, 1, 0, 1, 0, 0, 0, 1, 0, 1, 0]}),
], ids=["polled", "auto_req"])
def test_pipeline_serves_one_request_per_body_run(tmp_path, auto_req, in0, in1, cycles, want):
    d, probes = pipeline_design(auto_req)
    got = d.run(tmp_path, probes, inputs={"in0": lambda c: int(c in in0), "in1": lambda c: int(c in in1)},
                cycles=cycles)
    assert {label: got[label] for label in want} == want


def test_dynamic_counter_adds_enabled_steps_every_cycle(tmp_path):
    d = Design()
    m = d.m
    with d.components():
        c = m.mk_dyn_counter("c", 8)
        m.set_reg_reset(m.dyn_counter_get_reg(c), m.mk_val("c_rst", 8, 0))
        three = m.mk_val("three", 8, 3)
    a, en = d.input("a", 4), d.input("en", 2)
    with d.behaviour():
        m.dyn_counter_add(c, a, None, en, v.Slice(start=1, stop=2))
        m.dyn_counter_add(c, three)
        m.dyn_counter_update(c)
    got = d.run(tmp_path, {"cnt": d.probe(m.dyn_counter_get_reg(c))},
                inputs={"a": lambda cyc: cyc, "en": lambda cyc: 2 * (cyc % 2)}, cycles=8)
    # From the first edge after reset: + 3 every cycle, + a in odd cycles.
    assert got["cnt"] == [sum(3 + c * (c % 2) for c in range(R, cyc)) % 256 for cyc in range(8)]
