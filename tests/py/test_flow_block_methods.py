"""The flow-block factories and the flow-block stack as the front end calls
them: what each method makes, the checks the Python layer adds, and how the
stack's answers and refusals reach Python (its rules are tested in C++)."""
import pytest

from vorlent import _vorlent as v
from model_helpers import raised, refused, traced_model
from verilog_sim import Design

pytestmark = pytest.mark.filterwarnings("error")

SEQUENTIAL = int(v.FlowBlockType.Sequential)
PARALLEL = int(v.FlowBlockType.Parallel)

COND_FACTORIES = ["cif", "sif", "cselif", "zif", "zelif", "cwhile", "swhile", "do_while", "pif", "scwait"]


@pytest.fixture
def m():
    """A model whose top module is traced while behaviour is described."""
    return traced_model("flow")


def make(m, kind, *args):
    return getattr(m, f"mk_flow_block_{kind}")(*args)


def test_each_factory_makes_one_block_with_one_id(m):
    c, sel = m.mk_wire("c", 1), m.mk_wire("sel", 2)
    made = [make(m, kind, "a", *args) for kind, args in [
        ("seq", ()), ("par_auto", ()), ("par_no_sync", ()), ("cif", (c,)), ("sif", (c,)), ("cselif", (c,)),
        ("cselse", ()), ("zif", (c,)), ("zelif", (c,)), ("zelse", ()), ("zstate", (sel,)), ("zcase", (-7,)),
        ("cwhile", (c,)), ("swhile", (c,)), ("do_while", (c,)), ("counter_loop", (3,)), ("scwait", (c,)),
        ("sywait", (1,)), ("pick", ()), ("pif", (c,)), ("pidef", ())]]
    assert [b.global_id - made[0].global_id for b in made] == list(range(len(made)))
    # Every kind but the pipeline and zync (made on an arbiter), each shown by its own name.
    assert made[6].block_type == "COND_ELIF" and len({b.block_type for b in made}) == len(v.FlowBlockType) - 2
    # Made, not opened: the stack is as it was.
    assert m.get_last_skeleton_flow_block_type() == PARALLEL
    assert m.finalize_flow_procedure() is None


@pytest.mark.parametrize("kind", COND_FACTORIES)
def test_condition_must_select_one_bit(m, kind):
    wide, one = m.mk_wire("w4", 4), m.mk_wire("w1", 1)
    assert refused(m, ValueError, make, m, kind, "b", wide) == \
        "cond must be 1-bit, got 4 (slice the cond variable down to one bit)"
    assert refused(m, ValueError, make, m, kind, "b", wide, v.Slice(start=2, stop=5)) == \
        "cond slice Slice { start: 2, stop: 5 } does not fit cond variable of width 4"
    before, sliced = m.mk_flow_block_seq("mark").global_id, make(m, kind, "b", wide, v.Slice(start=2, stop=3))
    # The slice becomes an expression of its own (one id before the block),
    # except for scwait, which waits on the bits as given.
    assert sliced.global_id == before + (1 if kind == "scwait" else 2)
    assert make(m, kind, "c", one, v.Slice(start=0, stop=1)).global_id == sliced.global_id + 1


def test_counts_must_be_positive(m, panic_type):
    for cycle in (0, -5):
        assert refused(m, ValueError, m.mk_flow_block_sywait, "w", cycle) == f"sywait cycle must be positive, got {cycle}"
    # The loop's count is the model's own fatal check.
    assert raised(panic_type, m.mk_flow_block_counter_loop, "l", 0) == "counter loop count must be positive"


def test_life_on_the_stack(m):
    outer, par = m.mk_flow_block_seq("outer"), m.mk_flow_block_par_auto("par")
    m.initialize_flow_block(outer)
    # The innermost open seq or par, as a plain int.
    result = m.get_last_skeleton_flow_block_type()
    assert result == SEQUENTIAL and type(result) is int
    m.initialize_flow_block(par)
    assert m.get_last_skeleton_flow_block_type() == PARALLEL
    # A refused check leaves the block open on the stack.
    assert raised(ValueError, m.check_flow_block_prefinalize, par) == "parallel flow block has no element"
    m.gen_basic_assign(m.mk_reg("r", 1), 1)
    assert m.check_flow_block_prefinalize(par) is None
    m.finalize_flow_block(par)
    # A chain head stays lazily closed for its else.
    head = m.mk_flow_block_cif("h", m.mk_wire("c", 1))
    m.initialize_flow_block(head)
    m.initialize_flow_block(m.mk_flow_block_seq("body"))
    m.gen_basic_assign(m.mk_reg("r", 1), 1)
    m.finalize_flow_block(head)
    assert m.get_last_skeleton_flow_block_type() == SEQUENTIAL
    els = m.mk_flow_block_cselse("e")
    m.initialize_flow_block(els)
    assert raised(ValueError, m.check_flow_block_prefinalize, els) == "cond elif/else block has no body sub-block"
    m.initialize_flow_block(m.mk_flow_block_seq("body"))
    m.gen_basic_assign(m.mk_reg("r", 1), 0)
    m.finalize_flow_block(els)
    m.finalize_flow_block(outer)
    assert m.check_flow_block_prefinalize(outer) is None
    assert m.finalize_flow_procedure() is None


def test_misuse_of_the_stack_panics(m, panic_type):
    b = m.mk_flow_block_seq("b")
    h = m.mk_flow_block_cif("h", m.mk_wire("c", 1))
    m.initialize_flow_block(h)
    assert raised(panic_type, m.gen_basic_assign, m.mk_reg("r", 1), 1) == \
        "cond block does not accept direct asm nodes; use a sub-block"
    m.initialize_flow_block(b)
    assert raised(panic_type, m.finalize_flow_procedure) == \
        "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 2"


NEVER, CLOSED, OUTER = "is not open (it was never opened)", "is not open (it is closed already)", \
    "is not the innermost open block"


# `steps` open blocks by name ("/name" closes one): `h*` a cif, `e*` its
# cselse, any other a seq holding one assignment. `named` is then closed:
# refused with `why` and the block open now, or accepted (why None) as it
# always was, closing the one block above it that is no open chain head.
@pytest.mark.parametrize("steps, named, why, now", [
    ("", "x", NEVER, None),
    ("a", "x", NEVER, "a"),
    ("a b", "x", NEVER, "b"),
    ("a done /done b", "done", CLOSED, "b"),
    ("done /done", "done", CLOSED, None),  # closed into the module
    ("a b c", "a", OUTER, "c"),
    ("a h t /t", "a", OUTER, "h"),  # an open chain head would only turn lazy and stay on top
    ("h t /t /h e b", "h", CLOSED, "b"),  # a lazily closed head below its continuation's body
    ("h t /t /h", "x", NEVER, None),  # a lazily closed head is no open block
    ("a b", "a", None, None),
    ("a h t /t /h", "a", None, None),
    ("h t /t /h e u /u", "h", None, None),
    ("h t /t /h", "h", None, None),
])
def test_a_block_is_closed_only_while_open(m, steps, named, why, now):
    """Closed anyway, a block that was not open emptied the stack and lost
    the open blocks' writes, or closed the one open block unasked."""
    r, c = m.mk_reg("r", 4), m.mk_wire("c", 1)
    made, stack = {"x": m.mk_flow_block_seq("x")}, []  # stack: [name, lazily closed]

    def close(name):
        m.finalize_flow_block(made[name])
        if stack[-1][0] != name and (stack[-1][1] or not stack[-1][0].startswith("h")):
            stack.pop()  # the block above closes on the way
        if name.startswith("h") and not stack[-1][1]:
            stack[-1][1] = True
        else:
            stack.pop()

    for step in steps.split():
        if step.startswith("/"):
            close(step[1:])
            continue
        if stack and stack[-1][1] and not step.startswith("e"):
            stack.pop()  # the chain ends
        made[step] = {"h": lambda: m.mk_flow_block_cif(step, c), "e": lambda: m.mk_flow_block_cselse(step)}.get(
            step[0], lambda: m.mk_flow_block_seq(step))()
        m.initialize_flow_block(made[step])
        if step[0] not in "he":
            m.gen_basic_assign(r, len(made))
        stack.append([step, False])
    if why is None:
        close(named)
    else:
        block = made[named]
        assert refused(m, ValueError, m.finalize_flow_block, block) == (
            f'finalize_flow_block: flow block "{block.block_type}_{named}_{block.global_id}" {why}; '
            + (f'the block open now is "{made[now].block_type}_{now}_{made[now].global_id}" (blocks are closed '
               "innermost first)" if now else "no block is open now"))
    # Nothing changed: the description closes as it would have, and builds.
    while stack:
        close(stack[-1][0])
    m.finalize_flow_procedure()
    m.build_flow()



@pytest.mark.parametrize("state", ["open", "open below another", "closed", "lazily closed", "closed into the module"])
def test_a_block_is_opened_once(m, state):
    """Opened again, a block became its own element (build_flow never
    returned) or joined a second parent (build_flow panicked). A lazily
    closed chain head is refused before it would be closed for good."""
    r, c = m.mk_reg("r", 1), m.mk_wire("c", 1)
    still_open = []

    def described(block, close=True):
        m.initialize_flow_block(block)
        if block.block_type == "COND_IF":
            described(m.mk_flow_block_seq("body"))
        else:
            m.gen_basic_assign(r, 1)
        if close:
            m.finalize_flow_block(block)
        else:
            still_open.append(block)
        return block

    outer = described(m.mk_flow_block_seq("outer"), close=False)
    again = {
        "open": lambda: described(m.mk_flow_block_seq("s"), close=False),
        "open below another": lambda: [described(m.mk_flow_block_seq(n), close=False) for n in "st"][0],
        "closed": lambda: described(m.mk_flow_block_seq("s")),
        "lazily closed": lambda: described(m.mk_flow_block_cif("s", c)),
        "closed into the module": lambda: (m.finalize_flow_block(still_open.pop(0)), outer)[1],
    }[state]()
    name = "outer" if again.global_id == outer.global_id else "s"
    assert refused(m, ValueError, m.initialize_flow_block, again) == (
        f'initialize_flow_block: flow block "{again.block_type}_{name}_{again.global_id}" was already opened; '
        "a block is opened and closed once, so make a new block for more behaviour")
    # Nothing changed: the description closes as it would have, and builds.
    for block in reversed(still_open):
        m.finalize_flow_block(block)
    m.finalize_flow_procedure()
    m.build_flow()


def test_a_refused_close_keeps_the_open_blocks_writes(tmp_path):
    """Closing a block never opened, or one closed already, while two blocks
    are open is refused; the open blocks still close and write."""
    d = Design()
    r, m = d.reg("r"), d.m
    never = m.mk_flow_block_seq("never")

    def inner():
        m.gen_basic_assign(r, 3)
        for block in (never, done):
            with pytest.raises(ValueError, match="is not open"):
                m.finalize_flow_block(block)
        m.gen_basic_assign(r, 4)

    with d.behaviour():
        done = m.mk_flow_block_seq("done")
        d.seq("outer", (r, 1), lambda: d.block(done, (r, 2)), lambda: d.seq("inner", inner), (r, 5))
    assert d.run(tmp_path, d.probes(r=r), cycles=10)["r"] == [0, 0, 0, 0, 1, 2, 3, 4, 5, 5]


WHY_NO_BRANCH = {
    "no head": ("no chain head waits for it (a {branches} is opened right after its {heads}, or the branch "
                "before it, is closed; an assignment or another block in between ends the chain)"),
    "other kind": 'the chain head waiting is "{head}", which takes a {theirs} (a {branches} continues a {heads})',
    "ended": 'the chain of "{head}" ended with its else "{els}" (an else is the last branch of its chain)',
}
# Per chain kind: its branches, its heads, its else.
CHAINS = {"c": ("cselif or cselse", "cif or sif", "cselse"), "z": ("zelif or zelse", "zif", "zelse")}


# `steps` by kind: "=" an assignment, "(kind" a block left open (a branch
# with its body), any other a block with its body, closed. Then a branch of
# `kind` is opened. Before, it was built as a block of its own that ran
# whatever the conditions (at the top level), panicked when closed (in a
# block, or after a zif) or stopped the build (after a cif, or an else).
@pytest.mark.parametrize("steps, kind, why", [
    ("", "cselse", "no head"),
    ("cif =", "cselse", "no head"),
    ("zif seq", "zelif", "no head"),
    ("(seq cif =", "cselse", "no head"),
    ("(par_auto sif sywait", "cselif", "no head"),
    ("(seq zif =", "zelse", "no head"),
    ("cif (cselse", "cselse", "no head"),  # the head waits for its open branch to close
    ("(pick pidef", "cselse", "no head"),
    ("cif", "zelse", "other kind"),
    ("(seq zif", "cselif", "other kind"),
    ("cif cselse", "cselse", "ended"),
    ("sif cselif cselse", "cselif", "ended"),
    ("(seq zif zelse", "zelif", "ended"),
])
def test_a_branch_opens_only_where_its_chain_head_waits(m, steps, kind, why):
    r, c = m.mk_reg("r", 4), m.mk_wire("c", 1)
    named, still_open = {}, []  # the name of the last block of each kind

    def block(kind, close=True):
        b = make(m, kind, kind, *((c,) if kind in COND_FACTORIES else (1,) if kind == "sywait" else ()))
        m.initialize_flow_block(b)
        if kind in ("cif", "sif", "cselif", "cselse", "pidef"):
            block("seq")
        elif close and kind != "sywait":
            m.gen_basic_assign(r, len(named) + 1)
        (m.finalize_flow_block if close else still_open.append)(b)
        named[kind] = f"{b.block_type}_{kind}_{b.global_id}"

    for step in steps.split():
        m.gen_basic_assign(r, 9) if step == "=" else block(step.lstrip("("), close=not step.startswith("("))
    branch = make(m, kind, kind, *((c,) if kind in COND_FACTORIES else ()))
    (branches, heads, els), theirs = CHAINS[kind[0]], CHAINS["z" if kind[0] == "c" else "c"]
    head = next((named[k] for k in ("cif", "sif", "zif") if k in named), None)
    assert refused(m, ValueError, m.initialize_flow_block, branch) == (
        f'initialize_flow_block: flow block "{branch.block_type}_{kind}_{branch.global_id}" continues a chain, but '
        + WHY_NO_BRANCH[why].format(branches=branches, heads=heads, head=head, els=named.get(els),
                                    theirs=theirs[0]))
    # Nothing changed: a head of the other kind still waits for its own
    # branch, and the description closes and builds.
    if why == "other kind":
        block(theirs[2])
    for b in reversed(still_open):
        m.finalize_flow_block(b)
    m.finalize_flow_procedure()
    m.build_flow()
