"""A pytest plugin for the emitted-text check (test_golden_output): run with
`-p golden_capture` over the simulation tests, it runs each test in a forked
child, so every design starts from the same global id whatever ran before,
and stops the test where its design would be simulated, after appending
"<test id> <sha256 of the emitted files>" to the file $VORLENT_GOLDEN_OUT
(and copying the files into $VORLENT_GOLDEN_TEXT/<quoted test id>/ when that
is set)."""

import hashlib
import os
import shutil
import traceback
import urllib.parse
from pathlib import Path

import pytest

import verilog_sim

_current = {}


def emitted_hash(files):
    h = hashlib.sha256()
    for f in sorted(files, key=lambda f: Path(f).name):
        h.update(Path(f).name.encode() + b"\0" + Path(f).read_bytes() + b"\0")
    return h.hexdigest()


def record_and_stop(top_name, files, *args, **kwargs):
    with open(os.environ["VORLENT_GOLDEN_OUT"], "a") as out:
        out.write(f"{_current['nodeid']} {emitted_hash(files)}\n")
    if os.environ.get("VORLENT_GOLDEN_TEXT"):
        keep = Path(os.environ["VORLENT_GOLDEN_TEXT"], urllib.parse.quote(_current["nodeid"], safe=""))
        keep.mkdir(parents=True)
        for f in files:
            shutil.copy(f, keep)
    os._exit(0)


verilog_sim.lint = lambda top_name, files: None
verilog_sim.simulate = record_and_stop


@pytest.hookimpl(tryfirst=True)
def pytest_pyfunc_call(pyfuncitem):
    pid = os.fork()
    if pid == 0:
        _current["nodeid"] = pyfuncitem.nodeid
        try:
            args = {name: pyfuncitem.funcargs[name] for name in pyfuncitem._fixtureinfo.argnames}
            pyfuncitem.obj(**args)
        except BaseException:  # noqa: BLE001 - reported by the parent
            traceback.print_exc()
            os._exit(1)
        os._exit(0)
    _, status = os.waitpid(pid, 0)
    assert os.waitstatus_to_exitcode(status) == 0, f"{pyfuncitem.nodeid} failed before its design was emitted"
    return True
