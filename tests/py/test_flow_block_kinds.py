"""The conditional, zero-delay, pick, loop and wait block factories, the
condition check they share, and chain heads kept lazily closed on the
flow-block stack."""
import pytest

from vorlent import _vorlent as v

pytestmark = pytest.mark.filterwarnings("error")

SEQUENTIAL = int(v.FlowBlockType.Sequential)
PARALLEL = int(v.FlowBlockType.Parallel)

COND_FACTORIES = ["cif", "sif", "cselif", "zif", "zelif", "cwhile", "swhile", "do_while", "pif", "scwait"]


@pytest.fixture
def m():
    """A model whose top module is traced at the flow-description stage, with
    a 1-bit and a 4-bit signal to test."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.track_module_at_flow_init(top)
    return arena


def signal(m, width):
    return m.mk_wire(f"w{width}", width)


def make(m, kind, *args):
    return getattr(m, f"mk_flow_block_{kind}")(*args)


class TestFactories:
    def test_kinds(self, m):
        c, sel = signal(m, 1), signal(m, 2)
        made = {
            "cif": make(m, "cif", "a", c), "sif": make(m, "sif", "a", c),
            "cselif": make(m, "cselif", "a", c), "cselse": make(m, "cselse", "a"),
            "zif": make(m, "zif", "a", c), "zelif": make(m, "zelif", "a", c), "zelse": make(m, "zelse", "a"),
            "zstate": make(m, "zstate", "a", sel), "zcase": make(m, "zcase", "a", -7),
            "cwhile": make(m, "cwhile", "a", c), "swhile": make(m, "swhile", "a", c),
            "do_while": make(m, "do_while", "a", c), "counter_loop": make(m, "counter_loop", "a", 3),
            "scwait": make(m, "scwait", "a", c), "sywait": make(m, "sywait", "a", 1),
            "pick": make(m, "pick", "a"), "pif": make(m, "pif", "a", c), "pidef": make(m, "pidef", "a"),
        }
        assert {k: b.block_type for k, b in made.items()} == {
            "cif": "COND_IF", "sif": "COND_IF", "cselif": "COND_ELIF", "cselse": "COND_ELIF",
            "zif": "ZERO_COND_IF", "zelif": "ZERO_COND_ELIF", "zelse": "ZERO_COND_ELIF",
            "zstate": "ZERO_SWITCH", "zcase": "ZERO_SWITCH_CASE", "cwhile": "WHILE_LOOP",
            "swhile": "WHILE_LOOP", "do_while": "DO_WHILE", "counter_loop": "COUNTER_LOOP",
            "scwait": "WAIT", "sywait": "WAIT", "pick": "PICK", "pif": "PICK_IF", "pidef": "PICK_IF",
        }
        ids = [b.global_id for b in made.values()]
        assert ids == list(range(ids[0], ids[0] + len(ids)))

    @pytest.mark.parametrize("kind", COND_FACTORIES)
    def test_condition_must_select_one_bit(self, m, kind):
        wide = signal(m, 4)
        before = m.mk_flow_block_seq("mark").global_id
        with pytest.raises(ValueError) as info:
            make(m, kind, "b", wide)
        assert str(info.value) == "cond must be 1-bit, got 4 (slice the cond variable down to one bit)"
        with pytest.raises(ValueError) as info:
            make(m, kind, "b", wide, v.Slice(start=2, stop=5))
        assert str(info.value) == "cond slice Slice { start: 2, stop: 5 } does not fit cond variable of width 4"
        with pytest.raises(ValueError, match=r"^cond must be 1-bit, got 2 "):
            make(m, kind, "b", wide, v.Slice(start=1, stop=3))
        # A refused call makes nothing: the next block takes the next id.
        assert m.mk_flow_block_seq("mark").global_id == before + 1

    @pytest.mark.parametrize("kind", COND_FACTORIES)
    def test_one_bit_of_a_wider_signal(self, m, kind):
        wide, one = signal(m, 4), signal(m, 1)
        before = m.mk_flow_block_seq("mark").global_id
        sliced = make(m, kind, "b", wide, v.Slice(start=2, stop=3))
        # The slice becomes an expression of its own (one id before the
        # block), except for scwait, which waits on the bits as given.
        assert sliced.global_id == before + (1 if kind == "scwait" else 2)
        whole = make(m, kind, "c", one, v.Slice(start=0, stop=1))
        assert whole.global_id == sliced.global_id + 1

    def test_argument_kinds(self, m):
        with pytest.raises(TypeError, match=r"^argument 'cond_i': 'int' object is not an instance of 'HcpIdent'$"):
            m.mk_flow_block_cif("a", 1)
        with pytest.raises(TypeError, match=r"^argument 'cond_slice': "):
            m.mk_flow_block_pif("a", signal(m, 1), (0, 1))
        with pytest.raises(OverflowError):
            m.mk_flow_block_zcase("a", 2**31)
        with pytest.raises(OverflowError):
            m.mk_flow_block_sywait("a", 2**31)

    def test_sywait_needs_a_cycle(self, m):
        before = m.mk_flow_block_seq("mark").global_id
        for cycle in (0, -5):
            with pytest.raises(ValueError) as info:
                m.mk_flow_block_sywait("w", cycle)
            assert str(info.value) == f"sywait cycle must be positive, got {cycle}"
        assert m.mk_flow_block_sywait("w", 1).global_id == before + 1

    def test_counter_loop_needs_a_pass(self, m, panic_type):
        with pytest.raises(panic_type) as info:
            m.mk_flow_block_counter_loop("l", 0)
        assert str(info.value) == "counter loop count must be positive"
        m.mk_flow_block_counter_loop("l", 1)


class TestChainHeads:
    """cif, sif and zif stay on the stack lazily closed, for an elif or else."""

    def body(self, m):
        seq = m.mk_flow_block_seq("body")
        m.initialize_flow_block(seq)
        m.gen_basic_assign(m.mk_reg("r", 1), 1)
        m.finalize_flow_block(seq)

    @pytest.mark.parametrize("head, cont", [("cif", "cselse"), ("sif", "cselse"), ("zif", "zelse")])
    def test_a_continuation_opens_above_the_closed_head(self, m, panic_type, head, cont):
        h = make(m, head, "h", signal(m, 1))
        m.initialize_flow_block(h)
        if head == "zif":
            m.gen_basic_assign(m.mk_reg("r", 1), 1)
        else:
            self.body(m)
        m.finalize_flow_block(h)
        # Closed, the head stays: the description may end here.
        e = make(m, cont, "e")
        m.initialize_flow_block(e)
        with pytest.raises(panic_type) as info:
            m.finalize_flow_procedure()
        assert str(info.value) == "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 2"
        m.finalize_flow_block(e)
        # The else joined the head, which is left lazily closed and can be ended.
        assert m.check_flow_block_prefinalize(h) is None
        assert m.finalize_flow_procedure() is None

    def test_any_other_block_closes_the_head_first(self, m, panic_type):
        h = m.mk_flow_block_cif("h", signal(m, 1))
        m.initialize_flow_block(h)
        self.body(m)
        m.finalize_flow_block(h)
        m.initialize_flow_block(m.mk_flow_block_seq("next"))
        # Only the new block is left, and it is open.
        with pytest.raises(panic_type) as info:
            m.finalize_flow_procedure()
        assert str(info.value) == "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open"

    def test_an_assignment_closes_the_head_into_its_parent(self, m, panic_type):
        outer = m.mk_flow_block_seq("outer")
        m.initialize_flow_block(outer)
        h = m.mk_flow_block_sif("h", signal(m, 1))
        m.initialize_flow_block(h)
        self.body(m)
        m.finalize_flow_block(h)
        m.gen_basic_assign(m.mk_reg("q", 1), 0)
        with pytest.raises(panic_type, match="leftover flow block must be lazy-closed"):
            m.finalize_flow_procedure()
        m.finalize_flow_block(outer)
        assert m.finalize_flow_procedure() is None

    def test_an_assignment_into_an_open_head_is_refused(self, m, panic_type):
        h = m.mk_flow_block_cif("h", signal(m, 1))
        m.initialize_flow_block(h)
        with pytest.raises(panic_type, match=r"^cond block does not accept direct asm nodes; use a sub-block$"):
            m.gen_basic_assign(m.mk_reg("r", 1), 1)
        with pytest.raises(ValueError, match=r"^cond block must have at least one body block$"):
            m.check_flow_block_prefinalize(h)

    def test_skeleton_type_looks_past_closed_heads(self, m):
        seq, par = m.mk_flow_block_seq("s"), m.mk_flow_block_par_auto("p")
        m.initialize_flow_block(seq)
        m.initialize_flow_block(par)
        h = m.mk_flow_block_cif("h", signal(m, 1))
        m.initialize_flow_block(h)
        assert m.get_last_skeleton_flow_block_type() == PARALLEL
        self.body(m)
        m.finalize_flow_block(h)
        assert m.get_last_skeleton_flow_block_type() == PARALLEL

        m2 = v.ModelArena()
        m2.track_module_at_flow_init(m2.mk_module("top"))
        par, seq = m2.mk_flow_block_par_auto("p"), m2.mk_flow_block_seq("s")
        m2.initialize_flow_block(par)
        m2.initialize_flow_block(seq)
        loop = m2.mk_flow_block_cwhile("w", m2.mk_wire("c", 1))
        m2.initialize_flow_block(loop)
        assert m2.get_last_skeleton_flow_block_type() == SEQUENTIAL


class TestCompletenessChecks:
    @pytest.mark.parametrize("kind, args, text", [
        ("cselse", (), "cond elif/else block has no body sub-block"),
        ("pick", (), "pick block must have at least one pif branch"),
        ("pidef", (), "pick branch (pif/pidef) has no body sub-block"),
        ("cwhile", ("c",), "while block must have one body block"),
        ("do_while", ("c",), "do-while block must have exactly one body block"),
        ("counter_loop", (2,), "counter loop must have exactly one body block"),
    ])
    def test_empty_blocks(self, m, kind, args, text):
        block = make(m, kind, "b", *[signal(m, 1) if a == "c" else a for a in args])
        with pytest.raises(ValueError) as info:
            m.check_flow_block_prefinalize(block)
        assert str(info.value) == text

    def test_blocks_without_a_body_pass(self, m):
        c = signal(m, 1)
        for block in (m.mk_flow_block_scwait("w", c), m.mk_flow_block_sywait("y", 3),
                      m.mk_flow_block_zif("z", c), m.mk_flow_block_zstate("s", signal(m, 2)),
                      m.mk_flow_block_zcase("k", 0)):
            assert m.check_flow_block_prefinalize(block) is None
