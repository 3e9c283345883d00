"""Calls that stop half way: Ctrl-C ends a long build_flow, emit, mk_karray
or Karray read, and what the model allows afterwards; emit never blocks on
what it writes to. Each case runs in a child process (this file run as a
script with a case and a directory), so a hang fails instead of stopping the
run. The child puts Python's own SIGINT handler back first: a runner that
starts the tests with SIGINT ignored (a background job, nohup) passes that
on to it."""
import os
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
    what the call made."""
    # Run in the background, this process may start with SIGINT ignored.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    m = v.ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    m.track_module_at_com_init(top)
    if case == "mk_karray":
        call, made = lambda: m.mk_karray("big", [1 << 20], [("a", 1)], v.HwComponentType.REG), "_big_E"
    else:
        k, index = m.mk_karray("k", [1 << 18], [("a", 1)], v.HwComponentType.REG), m.mk_wire("i", 18)
        call, made = lambda: m.karray_read_field_hcp(k, [("dyn", [], [index])], [], "a"), "_DMUX"
    # Ctrl-C in the call's first moments: the timer's handler raises it
    # wherever the interpreter runs handlers next, which is within the call
    # (or, on a loaded machine, possibly just before it).
    signal.signal(signal.SIGALRM, lambda *_: signal.raise_signal(signal.SIGINT))
    signal.setitimer(signal.ITIMER_REAL, 0.01)
    try:
        call()
        print("returned", file=sys.stderr)
    except KeyboardInterrupt:
        print("interrupted", file=sys.stderr)
    signal.setitimer(signal.ITIMER_REAL, 0)
    if case == "karray_read":  # the array is back in its slot
        print(m.karray_shape(k), file=sys.stderr)
    m.untrack_module_at_com_init(top)
    m.build_flow()
    v.BackendVerilog(m).emit(out, "top")
    with open(os.path.join(out, "top.v")) as f:
        print(*[line for line in f if made in line], sep="", end="", file=sys.stderr)


@pytest.mark.parametrize("case, after", [
    ("mk_karray", []),
    ("karray_read", ["[262144]"]),
])
def test_ctrl_c_ends_a_karray_call_and_leaves_nothing_it_made(tmp_path, case, after):
    run = subprocess.run([sys.executable, __file__, case, str(tmp_path)], capture_output=True, text=True,
                         timeout=600)
    assert run.stderr.splitlines() == ["interrupted", *after]


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
