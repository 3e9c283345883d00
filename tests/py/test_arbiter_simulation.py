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


def module_tree(d):
    """Sub-modules a (holding a1) and b of the top, built top, a, a1, b: a
    module made while its parent is tracked joins it when tracked in turn."""
    mods = {"top": d.top}
    for name, parent in (("a", "top"), ("a1", "a"), ("b", "top")):
        with d.components(mods[parent]) as m:
            mods[name] = m.mk_module(name)
            with d.components(mods[name]):
                pass
    return mods


def in_branch(d, kind, never, body):
    """Describes `body` in a seq, or in the branch a false condition leaves
    taken: a cif's cselse, a pick's pidef."""
    m = d.m
    if kind == "seq":
        d.seq("outer", body)
    elif kind == "cselse":
        d.block(m.mk_flow_block_cif("c", never), lambda: d.seq("then", wait_cycles(d, 1)))
        d.block(m.mk_flow_block_cselse("e"), body)
    else:
        d.block(m.mk_flow_block_pick("pk"), lambda: d.block(m.mk_flow_block_pif("pf", never), lambda: d.seq(
            "then", wait_cycles(d, 1))), lambda: d.block(m.mk_flow_block_pidef("pd"), body))


def wait_cycles(d, n):
    return lambda: d.block(d.m.mk_flow_block_sywait("w", n))


@pytest.mark.parametrize("arb_at, pip_at, zync_at, branch", [
    ("top", "top", "top", "seq"), ("top", "a", "top", "seq"), ("top", "a1", "b", "seq"), ("a", "top", "b", "seq"),
    ("a", "b", "a1", "seq"), ("a1", "b", "top", "seq"), ("b", "a", "top", "seq"), ("top", "a", "top", "cselse"),
    ("a", "b", "a1", "pidef"),
], ids=["one_module", "arb_in_parent", "arb_in_grandparent", "arb_in_child", "arb_in_earlier_sibling",
        "arb_in_earlier_siblings_child", "arb_in_later_sibling", "arb_in_parent_pip_in_cselse",
        "arb_in_earlier_sibling_pip_in_pidef"])
def test_a_pipeline_gates_the_grants_of_its_arbiter_in_any_module(tmp_path, arb_at, pip_at, zync_at, branch):
    """An arbiter built before its pipeline's module that missed the
    pipeline's master acknowledge would grant every request at once, busy
    pipeline or not: the zync's later values would be lost. The pipeline is
    found in any branch, taken or not."""
    d = Design()
    m, mods = d.m, module_tree(d)
    mid, out = d.reg("mid"), d.reg("out")
    with d.components(mods[arb_at]):
        a = m.mk_arb("arb", POLICY.AckOne)
    never = None
    if branch != "seq":
        with d.components(mods[pip_at]):
            never = m.mk_val("never", 1, 0)

    def pipeline():  # three cycles an item: out += mid, then two waiting
        add = m.mk_expression("add", v.LogicOp.ArithPlus, out, mid)
        in_branch(d, branch, never, lambda: d.block(m.mk_flow_block_pip("p", a), lambda: d.seq(
            "body", (out, add), wait_cycles(d, 2))))

    def producer():  # hands 1, 10 and 100 over in turn, each on its grant
        d.seq("prod", *[(lambda k: lambda: d.block(m.mk_flow_block_zync(f"z{k}", a), (mid, k)))(k)
                        for k in (1, 10, 100)])

    for name, module in mods.items():
        with d.behaviour(module):
            for describe, at in ((pipeline, pip_at), (producer, zync_at)):
                if at == name:
                    describe()
    got = d.run(tmp_path, d.probes(mid=mid, out=out), cycles=14)
    # Each grant waits for the pipeline to enter its body, once per item.
    assert got["mid"] == [0] * 4 + [1] * 3 + [10] * 3 + [100] * 4
    assert got["out"] == [0] * 5 + [1] * 3 + [11] * 3 + [111] * 3


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



# Per kind of control register, the cycle of the first hold or reset, which
# finds a register of that kind busy (rank_bodies).
RANK_PULSES = {"state": 6, "cycle_wait": 7, "cond_wait": 6, "counter": 5, "sync": 4}


def rank_bodies(d, x, go, c):
    """Per kind, a pipeline body that writes x and has a register of that kind
    busy at its pulse: not the body's first, which the restart sets again."""
    m = d.m
    blk = lambda kind, *args, body=(): lambda: d.block(getattr(m, f"mk_flow_block_{kind}")(kind, *args), *body)
    add = lambda k: (x, m.mk_expression(f"add{k}", v.LogicOp.ArithPlus, x, k))
    return {
        "state": lambda: d.seq("s", (x, 1), (x, 2), (x, 3), (x, 4), (x, 5)),
        "cycle_wait": lambda: d.seq("s", blk("sywait", 2), (x, 1), blk("sywait", 4), (x, 2)),
        "cond_wait": lambda: d.seq("s", blk("scwait", go), add(1), blk("scwait", go), add(10)),
        "counter": lambda: d.seq("s", (x, 0), blk("counter_loop", 3, body=[lambda: d.seq("t", add(1))]), (x, 9)),
        # The cif ends at once but in the restart of the first pulse, when the
        # join must wait for it; at the second it ends in the reset cycle.
        "sync": lambda: d.seq("s", lambda: d.par("p", blk("cif", c, body=[blk("sywait", 4)]), blk("sywait", 2)),
                              add(1)),
    }


def test_control_registers_take_reset_over_hold_and_restart_over_reset(tmp_path):
    """Pipelines whose arbiter holds (H), resets (R) or both (HR) their bodies,
    restarting them on a reset (auto_restart), in the kind's pulse cycle and in
    cycle 12. A reset wins over a hold in every kind of control register, so
    HR runs as R, unlike H; the restart wins over the reset, so R runs on."""
    d = Design()
    go, c, zero = d.input("go"), d.input("c"), d.input("zero")
    pulse = {kind: d.input(f"p_{kind}") for kind in RANK_PULSES}
    x = {(kind, copy): d.reg(f"x_{kind}_{copy}") for kind in RANK_PULSES for copy in ("H", "R", "HR")}
    arbs = {}
    with d.components() as m:
        for kind, copy in x:
            arbs[kind, copy] = a = m.mk_arb(f"a_{kind}_{copy}", POLICY.AckOne)
            m.arb_set_hold(a, pulse[kind] if "H" in copy else zero)
            m.arb_set_reset(a, pulse[kind] if "R" in copy else zero)
    with d.behaviour():
        for (kind, copy), a in arbs.items():
            body = rank_bodies(d, x[kind, copy], go, c)[kind]
            d.block(d.m.mk_flow_block_pip(f"p_{kind}_{copy}", a, 0, auto_req=True, auto_restart=True), body)
    inputs = {"go": lambda cyc: int(cyc in (3, 9, 16)), "c": lambda cyc: int(cyc == 4), "zero": lambda cyc: 0}
    inputs.update({f"p_{kind}": (lambda p: lambda cyc: int(cyc in (p, 12)))(p) for kind, p in RANK_PULSES.items()})
    got = d.run(tmp_path, {f"{kind}_{copy}": d.probe(r) for (kind, copy), r in x.items()}, inputs=inputs, cycles=22)
    for kind in RANK_PULSES:
        assert got[f"{kind}_R"] == got[f"{kind}_HR"] != got[f"{kind}_H"], kind
        assert len(set(got[f"{kind}_R"][13:])) > 1, kind
