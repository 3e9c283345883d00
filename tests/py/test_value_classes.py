import pytest

from vorlent import _vorlent as v


def test_slice_bounds_validity_and_size():
    s = v.Slice()
    assert (s.start, s.stop, s.size, s.is_valid()) == (-1, -1, 0, False)  # omitted bounds are -1
    assert str(s) == repr(s) == "Slice(start=-1, stop=-1)"
    assert (v.Slice(stop=4).start, v.Slice(stop=4).stop) == (-1, 4)
    assert repr(v.Slice(2, 5)) == repr(v.Slice(stop=5, start=2)) == "Slice(start=2, stop=5)"
    assert v.Slice(v.HwComponentType.WIRE, True).start == 6  # anything with __index__
    for bounds, valid, size in [((0, 1), True, 1), ((3, 3), False, 0), ((4, 3), False, -1), ((-1, 5), False, 6),
                                ((-2**31, 2**31 - 1), False, -1), ((2**31 - 1, -2**31), False, 1)]:
        assert (v.Slice(*bounds).is_valid(), v.Slice(*bounds).size) == (valid, size)  # a 32-bit difference
    # Omitted is -1, but None is no integer.
    with pytest.raises(TypeError, match=r"^argument 'stop': 'NoneType' object cannot be interpreted as an integer$"):
        v.Slice(0, None)
    # A bound out of 32 bits, or out of the platform's long, names the bound;
    # the interpreter's error is the cause.
    for make, text in [(lambda: v.Slice(2**31, 3), "argument 'start': out of range integral type conversion attempted"),
                       (lambda: v.Slice(stop=-(2**31) - 1), "argument 'stop': out of range integral type conversion attempted"),
                       (lambda: v.Slice(0, 2**70), "argument 'stop': Python int too large to convert to C long")]:
        with pytest.raises(OverflowError) as info:
            make()
        assert str(info.value) == text and type(info.value.__cause__) is OverflowError


def test_value_objects_are_read_only_and_compared_by_identity(arena):
    a, b = v.Slice(1, 2), v.Slice(1, 2)
    assert a != b and a == a and len({a, b}) == 2
    top, same = arena.mk_module("top"), arena.mk_module("top")
    assert repr(top) == f"ModuleIdent(global_id={top.global_id}, depth_level=0)"
    assert top != same and top.global_id != same.global_id and hash(top) == hash(top)
    for obj, attr in [(a, "start"), (top, "depth_level"), (top, "global_id")]:
        with pytest.raises(AttributeError):
            setattr(obj, attr, 1)
    assert a.start == 1


@pytest.mark.parametrize("name", ["HcpIdent", "FlowBlockIdent", "CcpIdent", "ModuleIdent"])
def test_identities_are_not_constructible(name):
    cls = getattr(v, name)
    for make in (cls, lambda: cls.__new__(cls)):
        with pytest.raises(TypeError):
            make()
