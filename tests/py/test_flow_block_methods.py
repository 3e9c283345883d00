"""Sequential and parallel flow blocks through their life on the flow-block
stack, as the front end describes a module's behaviour."""
import pytest

from vorlent import _vorlent as v

pytestmark = pytest.mark.filterwarnings("error")

SEQUENTIAL = int(v.FlowBlockType.Sequential)
PARALLEL = int(v.FlowBlockType.Parallel)


@pytest.fixture
def m():
    """A model whose top module is traced at the flow-description stage."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.set_top_module(top)
    arena.track_module_at_flow_init(top)
    return arena


def assign_something(m):
    m.gen_basic_assign(m.mk_reg("r", 1), 1)


class TestFactories:
    def test_kinds_and_ids(self, m):
        seq = m.mk_flow_block_seq("s")
        par = m.mk_flow_block_par_auto("p")
        par_ns = m.mk_flow_block_par_no_sync("q")
        assert [b.block_type for b in (seq, par, par_ns)] == ["SEQUENTIAL", "PARALLEL", "PARALLEL"]
        assert [b.global_id - seq.global_id for b in (seq, par, par_ns)] == [0, 1, 2]

    def test_a_made_block_is_not_opened(self, m):
        m.mk_flow_block_seq("s")
        assert m.get_last_skeleton_flow_block_type() == PARALLEL
        assert m.finalize_flow_procedure() is None

    def test_names(self, m, panic_type):
        with pytest.raises(TypeError, match=r"^argument 'name': 'bytes' object is not an instance of 'str'$"):
            m.mk_flow_block_seq(b"s")
        with pytest.raises(panic_type, match=r'^name exceeds MAX_NAME_LEN \(256\): "'):
            m.mk_flow_block_par_auto("p" * 257)


class TestLifeCycle:
    def test_skeleton_type_is_the_innermost_seq_or_par(self, m):
        assert m.get_last_skeleton_flow_block_type() == PARALLEL
        outer = m.mk_flow_block_seq("outer")
        inner = m.mk_flow_block_par_no_sync("inner")
        m.initialize_flow_block(outer)
        assert m.get_last_skeleton_flow_block_type() == SEQUENTIAL
        m.initialize_flow_block(inner)
        result = m.get_last_skeleton_flow_block_type()
        assert result == PARALLEL and type(result) is int
        m.finalize_flow_block(inner)
        assert m.get_last_skeleton_flow_block_type() == SEQUENTIAL

        par = m.mk_flow_block_par_auto("par")
        seq = m.mk_flow_block_seq("seq")
        m.initialize_flow_block(par)
        m.initialize_flow_block(seq)
        assert m.get_last_skeleton_flow_block_type() == SEQUENTIAL

    def test_prefinalize_checks_for_content(self, m):
        seq = m.mk_flow_block_seq("s")
        par = m.mk_flow_block_par_auto("p")
        m.initialize_flow_block(seq)
        with pytest.raises(ValueError, match="^seq flow block has no element$"):
            m.check_flow_block_prefinalize(seq)
        # A refused check leaves the block in its slot and on the stack.
        m.initialize_flow_block(par)
        with pytest.raises(ValueError, match="^parallel flow block has no element$"):
            m.check_flow_block_prefinalize(par)
        assign_something(m)
        assert m.check_flow_block_prefinalize(par) is None
        m.finalize_flow_block(par)
        # The closed par joined the seq as a sub-block.
        assert m.check_flow_block_prefinalize(seq) is None
        m.finalize_flow_block(seq)
        assert m.finalize_flow_procedure() is None

    def test_closing_a_block_closes_one_open_block_above_it(self, m):
        outer = m.mk_flow_block_seq("outer")
        inner = m.mk_flow_block_seq("inner")
        m.initialize_flow_block(outer)
        m.initialize_flow_block(inner)
        assign_something(m)
        m.finalize_flow_block(outer)
        # Both are off the stack, and the inner one is the outer one's content.
        assert m.get_last_skeleton_flow_block_type() == PARALLEL
        assert m.finalize_flow_procedure() is None
        m.check_flow_block_prefinalize(outer)

    def test_stack_errors_are_fatal(self, m, panic_type):
        a, b, c = (m.mk_flow_block_seq(n) for n in "abc")
        with pytest.raises(panic_type, match="^flow block stack is empty$"):
            m.finalize_flow_block(a)

        m.initialize_flow_block(a)
        m.initialize_flow_block(b)
        with pytest.raises(panic_type) as info:
            m.finalize_flow_procedure()
        assert str(info.value) == "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 2"

        # Naming a block two levels down: the top one is closed into the one
        # below, which then is not the block named.
        with pytest.raises(panic_type) as info:
            m.finalize_flow_block(c)
        text = str(info.value)
        assert text.startswith(
            "assertion `left == right` failed: finalize_flow_block: ident mismatch \u2014 wrong block finalized\n"
            "  left: FlowBlockIdent { ")
        assert "\n right: FlowBlockIdent { " in text

    def test_open_block_left_at_the_end_is_fatal(self, m, panic_type):
        m.initialize_flow_block(m.mk_flow_block_par_auto("p"))
        with pytest.raises(panic_type) as info:
            m.finalize_flow_procedure()
        assert str(info.value) == "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open"

    def test_top_level_block_needs_the_flow_stage(self, panic_type):
        m = v.ModelArena()
        top = m.mk_module("top")
        seq = m.mk_flow_block_seq("s")
        m.initialize_flow_block(seq)
        with pytest.raises(panic_type, match="^module trace stack is empty$"):
            m.finalize_flow_block(seq)

        m.track_module_at_com_init(top)
        m.initialize_flow_block(seq)
        with pytest.raises(panic_type) as info:
            m.finalize_flow_block(seq)
        assert str(info.value) == (
            "assertion `left == right` failed: finalize_flow_block: expected FlowBlockInit stage on "
            "module trace stack, got CompInit\n  left: CompInit\n right: FlowBlockInit")

        m.untrack_module_at_com_init(top)
        m.track_module_at_flow_init(top)
        m.initialize_flow_block(seq)
        m.finalize_flow_block(seq)
        m.finalize_flow_procedure()

    def test_block_from_another_model(self, m, panic_type):
        foreign = v.ModelArena().mk_flow_block_seq("elsewhere")
        with pytest.raises(panic_type, match="^ArenaHandle index out of range$"):
            m.check_flow_block_prefinalize(foreign)
