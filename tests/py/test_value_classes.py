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

    def test_explicit_none_is_refused(self):
        # Omitted is -1, but None is no integer.
        with pytest.raises(TypeError, match=r"^argument 'stop': 'NoneType' object cannot be interpreted as an integer$"):
            v.Slice(0, None)

    def test_read_only_and_compared_by_identity(self):
        a, b = v.Slice(1, 2), v.Slice(1, 2)
        assert a != b and a == a
        assert len({a, b}) == 2
        with pytest.raises(AttributeError):
            a.start = 3
        assert a.start == 1


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
        assert repr(top) == f"ModuleIdent(global_id={top.global_id}, depth_level=0)"
        for attr in ("depth_level", "global_id"):
            with pytest.raises(AttributeError):
                setattr(top, attr, 1)

    def test_each_call_returns_a_new_object_compared_by_identity(self, arena):
        a = arena.mk_module("same")
        b = arena.mk_module("same")
        assert a != b and a.global_id != b.global_id
        assert a == a and hash(a) == hash(a)

