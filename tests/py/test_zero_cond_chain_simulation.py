"""Zero-delay blocks whose assignments fold into separate priority groups,
simulated over every input combination (timing in verilog_sim): only the
branch the chain takes writes. Plain chains are covered by
test_random_programs.py."""

import itertools

import pytest

from verilog_sim import R, Design

pytestmark = pytest.mark.filterwarnings("error")


def chain(d, r1, a, b):
    """zif (a) / zelif (b) / zelse, all writing r1: the zelif's assignment
    cannot join the head's group for r1, so it starts a second one there,
    which the zelse joins."""
    zif, zelif, zelse = d.m.mk_flow_block_zif("zi", a), d.m.mk_flow_block_zelif("ze", b), d.m.mk_flow_block_zelse("zl")
    d.block(zif, (r1, 1))
    d.m.set_asm_pri_to_manual(20)
    d.block(zelif, (r1, 2))
    d.block(zelse, (r1, 3))
    d.m.set_asm_pri_to_auto()


@pytest.mark.parametrize("a, b", list(itertools.product([0, 1], repeat=2)))
@pytest.mark.parametrize("program", ["priority_split"])
@pytest.mark.parametrize("place", ["seq", "par", "top"])
def test_only_the_taken_branch_writes(tmp_path, place, program, a, b):
    d = Design()
    r0, r1, r2 = d.reg("r0"), d.reg("r1"), d.reg("r2")
    pa, pb = d.input("a"), d.input("b")
    with d.behaviour():
        body = lambda: chain(d, r1, pa, pb)  # noqa: E731
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
    assert got["r1"] == [0] * first + [1 if a else 2 if b else 3] * (cycles - first)


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
