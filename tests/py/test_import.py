import vorlent
from vorlent import _vorlent


def test_extension_module_imports():
    assert _vorlent.__name__ == "vorlent._vorlent"
    assert vorlent._vorlent is _vorlent
