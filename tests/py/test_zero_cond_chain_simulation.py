"""Zero-delay chains whose destinations are first written after the head,
simulated over every input combination (timing in verilog_sim): whatever
branch a destination's fold starts at, only the branch the chain takes
writes."""

import itertools

import pytest

from verilog_sim import R, Design

pytestmark = pytest.mark.filterwarnings("error")


def chain(d, r0, r1, a, b, program):
    """zif (a) / zelif (b) / zelse, as `program` fills them."""
    zif, zelif, zelse = (d.m.mk_flow_block_zif("zi", a), d.m.mk_flow_block_zelif("ze", b),
                         d.m.mk_flow_block_zelse("zl"))
    if program == "later_branch":
        d.block(zif, (r0, 1))
        d.block(zelif, (r1, 2))
        d.block(zelse, (r1, 3))
    elif program == "priority_split":
        # The zelif's assignment cannot join the head's group for r1, so it
        # starts a second one there, which the zelse joins.
        d.block(zif, (r1, 1))
        d.m.set_asm_pri_to_manual(20)
        d.block(zelif, (r1, 2))
        d.block(zelse, (r1, 3))
        d.m.set_asm_pri_to_auto()
    else:  # nested: the zelse's write to r1 is itself a zero-delay chain
        d.block(zif, (r0, 1))
        d.block(zelif, (r1, 2))
        d.block(zelse, lambda: d.block(d.m.mk_flow_block_zif("ni", a), (r1, 4)),
                lambda: d.block(d.m.mk_flow_block_zelse("nl"), (r1, 3)))


EXPECTED = {  # (a, b) -> (r0, r1)
    "later_branch": lambda a, b: (1, 0) if a else (0, 2 if b else 3),
    "priority_split": lambda a, b: (0, 1 if a else 2 if b else 3),
    "nested": lambda a, b: (1, 0) if a else (0, 2 if b else 3),
}


@pytest.mark.parametrize("a, b", list(itertools.product([0, 1], repeat=2)))
@pytest.mark.parametrize("program", EXPECTED)
@pytest.mark.parametrize("place", ["seq", "par", "top"])
def test_only_the_taken_branch_writes(tmp_path, place, program, a, b):
    d = Design()
    r0, r1, r2 = d.reg("r0"), d.reg("r1"), d.reg("r2")
    pa, pb = d.input("a"), d.input("b")
    with d.behaviour():
        body = lambda: chain(d, r0, r1, pa, pb, program)  # noqa: E731
        if place == "seq":
            d.seq("s", body)
        elif place == "par":
            d.seq("s", lambda: d.par("p", body, (r2, 1)))
        else:
            body()
    cycles = 7
    got = d.run(tmp_path, d.probes(r0=r0, r1=r1), inputs={"a": lambda c: a, "b": lambda c: b}, cycles=cycles)
    # A step writes in its state's cycle; a top-level chain writes every
    # cycle from the first one after the reset.
    first = R + 1 if place == "top" else R + 2
    for label, want in zip(["r0", "r1"], EXPECTED[program](a, b)):
        assert got[label] == [0] * first + [want] * (cycles - first), label


def test_a_case_repeating_an_earlier_value_is_never_chosen(tmp_path):
    d = Design()
    r0, r1 = d.reg("r0"), d.reg("r1")
    sel = d.input("sel", 2)
    with d.behaviour():
        d.block(d.m.mk_flow_block_zstate("zs", sel),
                lambda: d.block(d.m.mk_flow_block_zcase("c1", 1), (r0, 1)),
                lambda: d.block(d.m.mk_flow_block_zcase("c2", 2), (r0, 2)),
                lambda: d.block(d.m.mk_flow_block_zcase("c1b", 1), (r1, 5), (r0, 7)))
    picks = {R + 1: 1, R + 2: 2, R + 3: 1, R + 4: 3}
    got = d.run(tmp_path, d.probes(r0=r0, r1=r1), inputs={"sel": lambda c: picks.get(c, 0)}, cycles=8)
    assert got["r0"] == [0, 0, 0, 0, 1, 2, 1, 1]
    assert got["r1"] == [0] * 8
