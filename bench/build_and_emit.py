"""Build and emit designs of 1k, 10k and 100k components in three shapes and
report, per phase, the time, the time per component, the peak memory and the
peak memory per component.

Shapes (N components):
  d1  sequential chains: N/2 8-bit registers assigned one after another in
      seq blocks of 50 steps (r[i] = r[i-1], the first = 1), N/2 8-bit wires
      assigned loosely from register i mod N/2.
  d2  flat datapath: N/2 registers r[i] <= r[i-1] + w[i] (r[-1] is the last
      register), N/2 wires w[i] = r[(7i) mod N/2] ^ 0x5A, all loose
      assignments of expressions, no flow blocks.
  d3  nested: N/4 modules, each a sub-module of the one before, whose own
      seq block assigns its register r[i] = r[i-1] + 1 (the clock, the reset
      and r[i-1] cross every module above); in the top module N/4 levels of
      blocks, each nested in the one before: level i is a counter loop
      around a cif chain on a 1-bit wire, whose cif holds a seq of
      q[i] = q[i] + 1 and level i+1, and whose cselse a seq of that
      assignment alone.

Phases: describe (the Python calls), build_flow, emit (the Verilog files,
then freeing the model, the backend and every identity the script holds).
Each shape and size runs in a fresh interpreter, so ids start from the same
point and the peaks are that run's own; the files go to a temporary directory
in /dev/shm where there is one. A phase's peak is the highest resident size
during the phase minus the resident size after import.

    python3 bench/build_and_emit.py [--shapes d1,d2] [sizes...]
    python3 bench/build_and_emit.py --compare OTHER_PYTHON [--repeat 3] [sizes...]
        runs every case with OTHER_PYTHON and this interpreter, alternating,
        and prints the medians side by side
    python3 bench/build_and_emit.py --latency [--shapes d1] [--repeat 5] [sizes...]
        the time from SIGINT (Ctrl-C) to the KeyboardInterrupt that stops
        build_flow, and emit, of each shape: REPEAT signals per phase, sent
        at even fractions of the phase's own time; prints the median and
        the largest in ms
    python3 bench/build_and_emit.py --hash N [DIR]
        prints the sha256 of the files each shape emits at N components;
        with DIR, keeps each shape's files in DIR/<shape>
"""

import hashlib
import json
import os
import resource
import signal
import statistics
import subprocess
import sys
import tempfile
import time

STEPS_PER_BLOCK = 50
SHAPES = ("d1", "d2", "d3")
PHASES = ("describe", "build_flow", "emit")
DEFAULT_SIZES = (1_000, 10_000, 100_000)


def make_regs_and_wires(m, top, n):
    """N/2 8-bit registers r{i} and N/2 8-bit wires w{i}, made in the top module."""
    m.track_module_at_com_init(top)
    regs = [m.mk_reg(f"r{i}", 8) for i in range(n // 2)]
    wires = [m.mk_wire(f"w{i}", 8) for i in range(n - n // 2)]
    m.untrack_module_at_com_init(top)
    return regs, wires


def describe_d1(m, top, n):
    regs, wires = make_regs_and_wires(m, top, n)
    n_regs = len(regs)

    m.track_module_at_flow_init(top)
    for start in range(0, n_regs, STEPS_PER_BLOCK):
        seq = m.mk_flow_block_seq(f"s{start}")
        m.initialize_flow_block(seq)
        for i in range(start, min(start + STEPS_PER_BLOCK, n_regs)):
            m.gen_basic_assign(regs[i], regs[i - 1] if i else 1)
        m.finalize_flow_block(seq)
    m.finalize_flow_procedure()
    for i, w in enumerate(wires):
        m.gen_basic_assign(w, regs[i % n_regs])
    m.untrack_module_at_flow_init(top)
    return [regs, wires]


def describe_d2(m, top, n):
    from vorlent._vorlent import LogicOp

    regs, wires = make_regs_and_wires(m, top, n)
    n_regs = len(regs)

    m.track_module_at_flow_init(top)
    exprs = []
    for i, r in enumerate(regs):
        e = m.mk_expression(f"a{i}", LogicOp.ArithPlus, regs[i - 1], wires[i])
        m.gen_basic_assign(r, e)
        exprs.append(e)
    for i, w in enumerate(wires):
        e = m.mk_expression(f"x{i}", LogicOp.BitwiseXor, regs[(7 * i) % n_regs], 0x5A)
        m.gen_basic_assign(w, e)
        exprs.append(e)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    return [regs, wires, exprs]


def describe_d3(m, top, n):
    from vorlent._vorlent import LogicOp

    levels = n // 4
    m.track_module_at_com_init(top)
    chain, regs = [top], [m.mk_reg("r0", 8)]
    for i in range(1, levels + 1):
        chain.append(m.mk_module(f"m{i}"))
        m.track_module_at_com_init(chain[-1])
        regs.append(m.mk_reg(f"r{i}", 8))
    for module in reversed(chain[1:]):
        m.untrack_module_at_com_init(module)
    qs = [m.mk_reg(f"q{i}", 8) for i in range(levels)]
    c = m.mk_wire("c", 1)
    m.untrack_module_at_com_init(top)

    held = [regs, qs, c]
    for i in range(1, levels + 1):
        m.track_module_at_flow_init(chain[i])
        seq = m.mk_flow_block_seq(f"s{i}")
        m.initialize_flow_block(seq)
        e = m.mk_expression(f"e{i}", LogicOp.ArithPlus, regs[i - 1], 1)
        m.gen_basic_assign(regs[i], e)
        m.finalize_flow_block(seq)
        m.finalize_flow_procedure()
        m.untrack_module_at_flow_init(chain[i])
        held.append(e)

    m.track_module_at_flow_init(top)

    def block(kind, name, *args):
        b = getattr(m, f"mk_flow_block_{kind}")(name, *args)
        m.initialize_flow_block(b)
        return b

    def seq_assigning(name, q, e):
        seq = block("seq", name)
        m.gen_basic_assign(q, e)
        return seq

    # Level i: a counter loop whose body is a cif chain; its cif holds a seq
    # of q[i] = q[i] + 1 and level i + 1, its cselse a seq of the assignment.
    levels = []
    for i, q in enumerate(qs):
        e = m.mk_expression(f"x{i}", LogicOp.ArithPlus, q, 1)
        held.append(e)
        levels.append((block("counter_loop", f"l{i}", 2), block("cif", f"c{i}", c),
                       seq_assigning(f"b{i}", q, e), q, e))
    for i, (loop, head, seq, q, e) in reversed(list(enumerate(levels))):
        m.finalize_flow_block(seq)
        m.finalize_flow_block(head)
        other = block("cselse", f"o{i}")
        m.finalize_flow_block(seq_assigning(f"d{i}", q, e))
        m.finalize_flow_block(other)
        m.finalize_flow_block(loop)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)
    return held


DESCRIBE = {"d1": describe_d1, "d2": describe_d2, "d3": describe_d3}


def rss_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def reset_peak():
    """Starts a new peak measurement; False where the kernel refuses."""
    try:
        with open("/proc/self/clear_refs", "w") as f:
            f.write("5")
        return True
    except OSError:
        return False


def peak_bytes():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024


def emit_quietly(backend, out_dir):
    # The backend's progress lines go to the process's standard output.
    saved = os.dup(1)
    with open(os.devnull, "w") as null:
        os.dup2(null.fileno(), 1)
        try:
            backend.emit(out_dir, "top")
        finally:
            os.dup2(saved, 1)
            os.close(saved)


def run_one(shape, n, out_dir):
    """Builds and emits one design; returns {phase: (seconds, peak bytes above
    the resident size after import)}."""
    from vorlent._vorlent import BackendVerilog, ModelArena

    base = rss_bytes()
    phases = {}
    clock = [time.perf_counter()]

    def start():
        reset_peak()
        clock[0] = time.perf_counter()

    def stop(phase):
        phases[phase] = (time.perf_counter() - clock[0], max(0, peak_bytes() - base))

    start()
    m = ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    held = DESCRIBE[shape](m, top, n)
    stop("describe")

    start()
    m.build_flow()
    stop("build_flow")

    start()
    backend = BackendVerilog(m)
    emit_quietly(backend, out_dir)
    del backend, m, top, held
    stop("emit")
    return phases


def interrupt_one(shape, n, phase, out_dir):
    """Describes the design (and builds it, to stop emit), says "go" on
    stderr and runs the phase until SIGINT stops it; prints the monotonic
    time at which KeyboardInterrupt arrived (null when the phase ended) and
    the seconds the phase ran."""
    from vorlent._vorlent import BackendVerilog, ModelArena

    # A shell that starts this in the background passes SIGINT on ignored.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    m = ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    held = DESCRIBE[shape](m, top, n)  # noqa: F841 - the identities live on, as in a script
    if phase == "emit":
        m.build_flow()
        backend = BackendVerilog(m)
        call = lambda: emit_quietly(backend, out_dir)  # noqa: E731
    else:
        call = m.build_flow
    print("go", file=sys.stderr, flush=True)
    start = time.monotonic()
    try:
        call()
        caught = None
    except KeyboardInterrupt:
        caught = time.monotonic()
    ran = (caught or time.monotonic()) - start
    signal.signal(signal.SIGINT, signal.SIG_IGN)  # one sent after the phase ended
    print(json.dumps([caught, ran]))


def latency(python, shape, n, phase, delay):
    """(seconds from SIGINT to KeyboardInterrupt, or None when the phase
    ended first; seconds the phase ran) with SIGINT sent `delay` seconds into
    the phase, or never for None."""
    proc = subprocess.Popen([python, __file__, "--interrupt-one", shape, str(n), phase],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if proc.stderr.readline() != "go\n":
        sys.exit(f"{shape} {n} {phase}: {proc.communicate()[1]}")
    sent = None
    if delay is not None:
        time.sleep(delay)
        sent = time.monotonic()
        proc.send_signal(signal.SIGINT)
    out, err = proc.communicate()
    if proc.returncode:
        sys.exit(f"{shape} {n} {phase}: {err}")
    caught, ran = json.loads(out.strip().splitlines()[-1])
    return (None if caught is None or sent is None else caught - sent), ran


def main_latency(shapes, sizes, repeat):
    print(f"SIGINT to KeyboardInterrupt, {repeat} signals per phase at even fractions of its time")
    print(f"{'':2}  {'N':>7}  {'phase':<10} {'phase s':>8} {'median ms':>10} {'max ms':>8} {'stopped':>8}")
    for shape in shapes:
        for n in sizes:
            for phase in ("build_flow", "emit"):
                took = latency(sys.executable, shape, n, phase, None)[1]
                got = [latency(sys.executable, shape, n, phase, took * k / (repeat + 1))[0]
                       for k in range(1, repeat + 1)]
                stopped = [g * 1e3 for g in got if g is not None]
                med = f"{statistics.median(stopped):10.2f} {max(stopped):8.2f}" if stopped else f"{'-':>10} {'-':>8}"
                print(f"{shape}  {n:>7}  {phase:<10} {took:8.3f} {med} {len(stopped):>5}/{repeat}", flush=True)


def scratch_dir():
    """A temporary directory for emitted files, in memory (/dev/shm) where
    there is one: on a disk's file system that has just deleted many files,
    making each of d3's thousands of files can take longer than writing it."""
    return tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None)


def emitted_hash(out_dir):
    h = hashlib.sha256()
    for name in sorted(os.listdir(out_dir)):
        h.update(name.encode() + b"\0")
        with open(os.path.join(out_dir, name), "rb") as f:
            h.update(f.read() + b"\0")
    return h.hexdigest()


def child(python, *args):
    out = subprocess.run([python, __file__, *args], check=True, capture_output=True, text=True)
    return json.loads(out.stdout.strip().splitlines()[-1])


def fmt_row(shape, n, phase, seconds, peak):
    return (f"{shape}  {n:>7}  {phase:<10} {seconds:8.3f} s {seconds / n * 1e6:8.2f} us/comp "
            f"{peak / 2**20:9.1f} MiB {peak / n:8.0f} B/comp")


def main_table(shapes, sizes):
    print(f"{'':2}  {'N':>7}  {'phase':<10} {'time':>10} {'per comp':>15} {'peak':>13} {'per comp':>13}")
    for shape in shapes:
        for n in sizes:
            got = child(sys.executable, "--one", shape, str(n))
            for phase in PHASES:
                print(fmt_row(shape, n, phase, *got[phase]), flush=True)
            total = sum(got[p][0] for p in ("build_flow", "emit"))
            print(f"{shape}  {n:>7}  build+emit {total:8.3f} s {total / n * 1e6:8.2f} us/comp "
                  f"{max(got[p][1] for p in PHASES) / n:23.0f} B/comp peak", flush=True)


def main_compare(other, shapes, sizes, repeat):
    """Old (OTHER) and new (this interpreter) alternate; medians of `repeat`."""
    runs = {}
    for _ in range(repeat):
        for shape in shapes:
            for n in sizes:
                for label, python in (("old", other), ("new", sys.executable)):
                    runs.setdefault((label, shape, n), []).append(child(python, "--one", shape, str(n)))
    med = lambda xs: statistics.median(xs)  # noqa: E731
    print(f"medians of {repeat}, old = {other}, new = {sys.executable}")
    print(f"{'':2}  {'N':>7}  {'phase':<10} {'old s':>8} {'new s':>8} {'speedup':>8}  "
          f"{'old us/c':>9} {'new us/c':>9}  {'old B/c':>8} {'new B/c':>8}")
    for shape in shapes:
        for n in sizes:
            rows = [(p, lambda r, p=p: r[p][0], lambda r, p=p: r[p][1]) for p in PHASES]
            rows.append(("build+emit", lambda r: r["build_flow"][0] + r["emit"][0],
                         lambda r: max(r[p][1] for p in PHASES)))
            for phase, secs, peak in rows:
                old_s = med([secs(r) for r in runs[("old", shape, n)]])
                new_s = med([secs(r) for r in runs[("new", shape, n)]])
                old_b = med([peak(r) for r in runs[("old", shape, n)]]) / n
                new_b = med([peak(r) for r in runs[("new", shape, n)]]) / n
                print(f"{shape}  {n:>7}  {phase:<10} {old_s:8.3f} {new_s:8.3f} {old_s / new_s:7.2f}x  "
                      f"{old_s / n * 1e6:9.2f} {new_s / n * 1e6:9.2f}  {old_b:8.0f} {new_b:8.0f}",
                      flush=True)


def main():
    args = sys.argv[1:]
    if args[:1] == ["--one"]:
        with scratch_dir() as out_dir:
            print(json.dumps(run_one(args[1], int(args[2]), out_dir)))
        return
    if args[:1] == ["--interrupt-one"]:
        with scratch_dir() as out_dir:
            interrupt_one(args[1], int(args[2]), args[3], out_dir)
        return
    if args[:1] == ["--hash-one"]:
        from vorlent._vorlent import BackendVerilog, ModelArena

        with tempfile.TemporaryDirectory() as tmp:
            out_dir = args[3] if len(args) > 3 else tmp
            os.makedirs(out_dir, exist_ok=True)
            m = ModelArena()
            top = m.mk_module("top")
            m.set_top_module(top)
            DESCRIBE[args[1]](m, top, int(args[2]))
            m.build_flow()
            emit_quietly(BackendVerilog(m), out_dir)
            print(json.dumps(emitted_hash(out_dir)))
        return
    if args[:1] == ["--hash"]:
        if len(args) < 2:
            sys.exit(f"option --hash needs a value\n{__doc__}")
        keep = [os.path.join(args[2], shape) for shape in SHAPES] if len(args) > 2 else [None] * len(SHAPES)
        for shape, out_dir in zip(SHAPES, keep):
            got = child(sys.executable, "--hash-one", shape, args[1], *filter(None, [out_dir]))
            print(f"{shape} {args[1]} {got}")
        return

    if args[:1] in (["-h"], ["--help"]):
        print(__doc__)
        return
    shapes, other, repeat, stop = SHAPES, None, None, False
    while args and args[0].startswith("--"):
        if args[0] == "--latency":
            stop, args = True, args[1:]
            continue
        if len(args) < 2:
            sys.exit(f"option {args[0]} needs a value\n{__doc__}")
        flag, value, args = args[0], args[1], args[2:]
        if flag == "--shapes":
            shapes = tuple(value.split(","))
        elif flag == "--compare":
            other = value
        elif flag == "--repeat":
            repeat = int(value)
        else:
            sys.exit(f"unknown option {flag}\n{__doc__}")
    sizes = [int(s) for s in args] or list(DEFAULT_SIZES)
    if stop:
        main_latency(shapes, sizes, repeat or 5)
    elif other:
        main_compare(other, shapes, sizes, repeat or 3)
    else:
        main_table(shapes, sizes)


if __name__ == "__main__":
    main()
