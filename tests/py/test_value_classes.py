import pytest

from vorlent import _vorlent as v


class TestSlice:
    def test_omitted_bounds_are_minus_one(self):
        s = v.Slice()
        assert (s.start, s.stop, s.size) == (-1, -1, 0)
        assert not s.is_valid()
        assert repr(s) == "Slice(start=-1, stop=-1)"
        assert str(s) == repr(s)
        only_stop = v.Slice(stop=4)
        assert (only_stop.start, only_stop.stop) == (-1, 4)

    def test_bounds_by_position_or_keyword(self):
        assert repr(v.Slice(2, 5)) == "Slice(start=2, stop=5)"
        assert repr(v.Slice(stop=5, start=2)) == "Slice(start=2, stop=5)"
        assert v.Slice(v.HwComponentType.WIRE, True).start == 6  # anything with __index__

    @pytest.mark.parametrize(
        "bounds, valid, size",
        [((0, 1), True, 1), ((3, 3), False, 0), ((4, 3), False, -1), ((-1, 5), False, 6)],
    )
    def test_is_valid_and_size(self, bounds, valid, size):
        s = v.Slice(*bounds)
        assert s.is_valid() is valid
        assert s.size == size

    def test_size_wraps_as_a_32_bit_difference(self):
        assert v.Slice(-2147483648, 2147483647).size == -1
        assert v.Slice(2147483647, -2147483648).size == 1

    def test_explicit_none_and_non_integers_are_refused(self):
        with pytest.raises(TypeError, match=r"^argument 'start': 'NoneType' object cannot be interpreted as an integer$") as info:
            v.Slice(None)
        assert isinstance(info.value.__cause__, TypeError)
        with pytest.raises(TypeError, match=r"^argument 'stop': "):
            v.Slice(stop=None)
        with pytest.raises(TypeError, match=r"^argument 'stop': 'float' object"):
            v.Slice(0, 1.0)

    def test_bounds_outside_32_bits_overflow(self):
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            v.Slice(2**31)
        with pytest.raises(OverflowError, match="^out of range integral type conversion attempted$"):
            v.Slice(0, -(2**31) - 1)
        with pytest.raises(OverflowError):
            v.Slice(2**80)
        assert v.Slice(-(2**31), 2**31 - 1).start == -(2**31)

    def test_call_errors(self):
        with pytest.raises(TypeError, match=r"^Slice.__new__\(\) takes from 0 to 2 positional arguments but 3 were given$"):
            v.Slice(1, 2, 3)
        with pytest.raises(TypeError, match=r"^Slice.__new__\(\) got an unexpected keyword argument 'end'$"):
            v.Slice(end=3)
        with pytest.raises(TypeError, match=r"^Slice.__new__\(\) got multiple values for argument 'start'$"):
            v.Slice(1, start=2)

    def test_read_only_and_compared_by_identity(self):
        a, b = v.Slice(1, 2), v.Slice(1, 2)
        assert a != b and a == a
        assert len({a, b}) == 2
        with pytest.raises(AttributeError):
            a.start = 3
        assert a.start == 1

    def test_text_signature(self):
        assert v.Slice.__text_signature__ == "(start=..., stop=...)"


class TestIdentities:
    @pytest.mark.parametrize("name", ["HcpIdent", "FlowBlockIdent", "CcpIdent", "ModuleIdent"])
    def test_not_constructible(self, name):
        cls = getattr(v, name)
        with pytest.raises(TypeError):
            cls()
        with pytest.raises(TypeError):
            cls.__new__(cls)

    def test_module_ident_properties_and_repr(self, arena):
        top = arena.mk_module("top")
        assert top.depth_level == 0
        assert repr(top) == f"ModuleIdent(global_id={top.global_id}, depth_level=0)"
        arena.track_module_at_com_init(top)
        arena.track_module_at_com_init(top)
        inner = arena.mk_module("inner")
        assert inner.depth_level == 2
        assert inner.global_id == top.global_id + 1
        with pytest.raises(AttributeError):
            inner.depth_level = 0
        with pytest.raises(AttributeError):
            inner.global_id = 0

    def test_each_call_returns_a_new_object_compared_by_identity(self, arena):
        a = arena.mk_module("same")
        b = arena.mk_module("same")
        assert a != b and a.global_id != b.global_id
        assert a == a and hash(a) == hash(a)

