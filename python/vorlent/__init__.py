"""vorlent: the native core of a hardware construction language.

The extension module ``vorlent._vorlent`` holds a whole hardware design in one
in-memory model, lowers its structured control flow into clocked state
machines and writes it as Verilog, one file per module.
"""

from vorlent import _vorlent  # noqa: F401
