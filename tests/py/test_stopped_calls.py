"""Calls that stop half way: Ctrl-C ends a long build_flow, emit, mk_karray,
Karray read or write, and what the model allows afterwards; emit never blocks on
what it writes to. Each case runs in a child process (this file run as a
script with a case and a directory), so a hang fails instead of stopping the
run. The child puts Python's own SIGINT handler back first: a runner that
starts the tests with SIGINT ignored (a background job, nohup) passes that
on to it. The Karray writes are also stopped here, in this process, at each
of their checks in turn: the extension's hook `_signal_at_check` gives the
check a Ctrl-C, without timing."""
import hashlib
import os
import re
import signal
import subprocess
import sys
import threading
import time

import pytest

from vorlent import PanicException
from vorlent import _vorlent as v

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "bench"))
from build_and_emit import describe_d1, describe_d3  # noqa: E402

HALF_BUILT = ("ValueError: BackendVerilog::emit: build_flow stopped before it completed (a PanicException or an "
              "interrupt), so part of the design was never lowered and its files would lack behaviour; describe the "
              "design again in a new ModelArena and build it")
ROUTE_AGAIN = ("PanicException: BackendVerilog::emit \u2014 an earlier emit stopped while routing; the model is "
               "half-routed and cannot be emitted")
BUILD_AGAIN = ("PanicException: build_flow: an earlier build_flow stopped before it completed; the model is half-built, "
               "so describe the design again in a new ModelArena")


def outcome(call):
    try:
        call()
        return "returned"
    except (Exception, PanicException) as e:
        return f"{type(e).__name__}: {e}"


def child(case, out):
    """Prints "go" on stderr just before the call that the parent interrupts,
    then "interrupted" and what the model allows afterwards."""
    def say(*lines):
        print(*lines, sep="\n", file=sys.stderr, flush=True)

    signal.signal(signal.SIGINT, signal.default_int_handler)
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    # The benchmark's chains of seq blocks: a second to build, as much to
    # emit; its nested shape: blocks 150,000 deep, and 50,000 modules, which
    # take more than half a second to route.
    if case.startswith("deep"):
        describe_d3(m, top, 200_000)
    else:
        describe_d1(m, top, 600_000 if case in ("build", "emit") else 2)
    if not case.endswith("build"):
        m.build_flow()
        m = v.BackendVerilog(m)
    if case == "fifo":
        os.mkfifo(os.path.join(out, "top.v"))
        say(outcome(lambda: m.emit(out, "top")))
        return
    if case == "stdout":  # a reader that never reads: the first progress line blocks
        os.set_blocking(1, False)
        try:
            while True:
                os.write(1, b"x" * 4096)
        except BlockingIOError:
            os.set_blocking(1, True)
    say("go")
    try:
        m.build_flow() if case.endswith("build") else m.emit(out, "top")
        say("returned")
    except KeyboardInterrupt:
        say("interrupted")
    if case.endswith("build"):
        say(outcome(m.build_flow), outcome(lambda: v.BackendVerilog(m).emit(out, "top")))
        return
    say(sorted(os.listdir(out)))
    if case.endswith("emit"):  # stopped in phase 3 (the parent waits for it): written again; or routing
        say(outcome(lambda: m.emit(out, "top")))


def karray_child(case, out):
    """A Karray call that Ctrl-C stops: prints "interrupted" (or "returned"),
    then, after build and emit, the lines of the top module's file that hold
    what the call made; for a write, the hash of that file with its ids left
    out ("karray_none" makes no call)."""
    # Run in the background, this process may start with SIGINT ignored.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    phase, delay, made = "com", 0.01, None
    if case == "mk_karray":
        call, made = lambda: m.mk_karray("big", [1 << 20], [("a", 1)], v.HwComponentType.REG), "_big_E"
    elif case == "karray_read":
        k, index = m.mk_karray("k", [1 << 18], [("a", 1)], v.HwComponentType.REG), m.mk_wire("i", 18)
        call, made = lambda: m.karray_read_field_hcp(k, [("dyn", [], [index])], [], "a"), "_DMUX"
    else:  # a write into every element of k, each under its index
        k, index = m.mk_karray("k", [1 << 18], [("a", 1)], v.HwComponentType.REG), m.mk_wire("i", 18)
        d, src = m.mk_wire("d", 1), m.mk_karray("s", [2], [("a", 1)], v.HwComponentType.REG)
        m.untrack_module_at_com_init(top)
        m.track_module_at_flow_init(top)
        phase, delay = "flow", 0.002  # the reset takes some ten milliseconds
        call = {"karray_write": lambda: m.karray_assign_hcps(k, [("dyn", [], [index])], [("a", d)], True),
                "karray_k2k": lambda: m.karray_assign_k2k(k, [("dyn", [], [index])], src, [("static", [1], [])], [],
                                                          True),
                "karray_reset": lambda: m.karray_reset_field(k, "a", 1),
                "karray_none": None}[case]
    # Ctrl-C in the call's first moments: the timer's handler raises it
    # wherever the interpreter runs handlers next, which is within the call
    # (the call takes far longer than the delay; on a loaded machine possibly
    # just before it). It raises it once, and not at all once the call is
    # over: a timer that fires late cannot end this process.
    ctrl_c = [signal.SIGINT]

    def on_timer(*_):
        if ctrl_c:
            signal.raise_signal(ctrl_c.pop())

    signal.signal(signal.SIGALRM, on_timer)
    try:
        try:
            if call:
                signal.setitimer(signal.ITIMER_REAL, delay)
                call()
            else:  # no call, no timer: the Ctrl-C at once
                signal.raise_signal(signal.SIGINT)
            said = "returned"
        finally:
            ctrl_c.clear()
            signal.setitimer(signal.ITIMER_REAL, 0)
    except KeyboardInterrupt:
        said = "interrupted"
    print(said, file=sys.stderr)
    if case == "karray_read":  # the array is back in its slot
        print(m.karray_shape(k), file=sys.stderr)
    if phase == "flow":
        m.finalize_flow_procedure()
        m.untrack_module_at_flow_init(top)
    else:
        m.untrack_module_at_com_init(top)
    m.build_flow()
    v.BackendVerilog(m).emit(out, "top")
    with open(os.path.join(out, "top.v")) as f:
        if made:
            print(*[line for line in f if made in line], sep="", end="", file=sys.stderr)
        else:
            print(hashlib.sha256(re.sub(r"_\d+\b", "_#", f.read()).encode()).hexdigest(), file=sys.stderr)


@pytest.mark.parametrize("case, after", [
    ("mk_karray", []),
    ("karray_read", ["[262144]"]),
])
def test_ctrl_c_ends_a_karray_call_and_leaves_nothing_it_made(tmp_path, case, after):
    assert karray_run(case, tmp_path) == ["interrupted", *after]


def karray_run(case, out):
    return subprocess.run([sys.executable, __file__, case, str(out)], capture_output=True, text=True,
                          timeout=600).stderr.splitlines()


@pytest.fixture(scope="module")
def unwritten(tmp_path_factory):
    """The file of the write cases' design when no write was made."""
    return karray_run("karray_none", tmp_path_factory.mktemp("none"))


# Each write makes select logic for every element, then links an assignment
# into the scope: one stopped takes out all it made, and leaves the model as
# if it was never called.
@pytest.mark.parametrize("case", ["karray_write", "karray_k2k", "karray_reset"])
def test_ctrl_c_ends_a_karray_write_and_leaves_the_model_as_it_was(tmp_path, case, unwritten):
    assert karray_run(case, tmp_path) == unwritten


# Elements a walk makes between two of its checks for Ctrl-C.
POLL = 1024


@pytest.fixture
def ctrl_c_raises():
    """Python's own SIGINT handler for the test: a runner may start it with
    SIGINT ignored, and then a simulated one is ignored too."""
    before = signal.signal(signal.SIGINT, signal.default_int_handler)
    yield
    signal.signal(signal.SIGINT, before)


def karray_write(out, write, size, stop_at=0, made=True):
    """Makes a design with one Karray write into an array of `size` elements
    (made=False: the design without it) and returns (what the call did, the
    checks for Ctrl-C it made, the top module's file with its ids left out).
    With stop_at, the call's stop_at-th check first gets a Ctrl-C."""
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    backing = v.HwComponentType.WIRE if write == "static_wire" else v.HwComponentType.REG
    k, d = m.mk_karray("k", [size], [("a", 1)], backing), m.mk_wire("d", 1)
    index, src = m.mk_wire("i", max(1, (size - 1).bit_length())), m.mk_karray("s", [2], [("a", 1)], backing)
    m.untrack_module_at_com_init(top)
    m.track_module_at_flow_init(top)
    last = [("static", [size - 1], [])]
    call = {"dyn": lambda: m.karray_assign_hcps(k, [("dyn", [], [index])], [("a", d)], True),
            "static_reg": lambda: m.karray_assign_hcps(k, last, [("a", d)], True),
            "static_wire": lambda: m.karray_assign_hcps(k, last, [("a", d)], False),
            "k2k": lambda: m.karray_assign_k2k(k, [("dyn", [], [index])], src, [("static", [1], [])], [], True),
            "reset": lambda: m.karray_reset_field(k, "a", 1)}[write]
    v._signal_at_check(stop_at)
    try:
        if made:
            call()
        said = "returned"
    except KeyboardInterrupt:
        said = "interrupted"
    finally:
        checks = v._signal_at_check(0)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    m.build_flow()
    os.mkdir(out)
    v.BackendVerilog(m).emit(str(out), "top")
    # The process draws ids for all its models: every id is left out.
    return said, checks, re.sub(r"_\d+(?!\d)", "_#", (out / "top.v").read_text())


# Each row: a write, its array's size, and the elements its walk makes.
# Stopped at any of its checks, the write takes out all it made; it is asked
# every POLL elements and once more after its last one, so a Ctrl-C while it
# makes its last elements stops it too (a wire-backed write asks before its
# one element, whose walk no mark undoes).
@pytest.mark.parametrize("write, size, walked", [
    ("dyn", 3, 3), ("dyn", 1500, 1500),
    ("static_reg", 1500, 1),
    ("static_wire", 1500, 1),
    ("k2k", 3, 3), ("k2k", 1500, 1500),
    ("reset", 3, 3), ("reset", 1500, 1500),
])
def test_ctrl_c_at_any_check_of_a_karray_write_leaves_the_model_as_it_was(tmp_path, ctrl_c_raises, write, size,
                                                                            walked):
    unwritten = karray_write(tmp_path / "none", write, size, made=False)[2]
    for n in range(1, 10):
        said, checks, file = karray_write(tmp_path / str(n), write, size, stop_at=n)
        if said == "returned":
            break
        assert (said, file) == ("interrupted", unwritten), n
    # Every check passed and no Ctrl-C came: the write is in the file.
    assert (said, checks, file) == ("returned", n - 1, karray_write(tmp_path / "plain", write, size)[2])
    assert file != unwritten and checks > walked // POLL


@pytest.mark.parametrize("case, after", [
    ("build", [BUILD_AGAIN, HALF_BUILT]),
    ("deep_build", [BUILD_AGAIN, HALF_BUILT]),
    ("deep_emit", ["[]", ROUTE_AGAIN]),
    ("emit", ["[]", "returned"]),
    ("stdout", ["[]"]),
])
def test_ctrl_c_ends_a_long_or_blocked_call_and_leaves_a_documented_model(tmp_path, case, after):
    proc = subprocess.Popen([sys.executable, __file__, case, str(tmp_path)], text=True,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    # A regression hangs: the child is killed, and the lines below fail.
    killer = threading.Timer(300, proc.kill)
    killer.start()
    try:
        assert proc.stderr.readline() == "go\n"
        if case.endswith("emit"):  # in the middle of writing the file, or of routing
            while ("writing" if case == "emit" else "routing") not in (line := proc.stdout.readline()):
                assert line
        else:
            time.sleep(0.2)
        proc.send_signal(signal.SIGINT)
        # The state after it shows that the call stopped half way: a build
        # that cannot be written or run again, no file in place.
        assert proc.stderr.readline() == "interrupted\n"
        assert proc.stderr.read().splitlines() == after
    finally:
        killer.cancel()
        proc.kill()
        proc.communicate()
    if case == "emit":
        assert os.listdir(tmp_path) == ["top.v"]


def test_emit_refuses_a_fifo_without_blocking_on_it(tmp_path):
    run = subprocess.run([sys.executable, __file__, "fifo", str(tmp_path)], capture_output=True, text=True,
                         timeout=60)
    assert run.stderr.splitlines() == [
        f"PanicException: BackendVerilog::phase_emit \u2014 cannot open {tmp_path}/top.v: it is a FIFO, not a "
        "regular file; remove it or write elsewhere"]


if __name__ == "__main__":
    (karray_child if sys.argv[1].startswith(("mk_karray", "karray")) else child)(sys.argv[1], sys.argv[2])
