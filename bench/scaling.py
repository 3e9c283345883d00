"""Time build_flow and emit apart for every nesting kind of
tests/py/deep_design.py (blocks nested N deep, N blocks in one chain or
container, module chains and trees, Karray reads) at several sizes, and print
the ratio of the largest size's time to the smallest's, beside that of the
bytes emitted. Work that grows in proportion to the design gives the ratio of
the sizes (20 for 1k to 20k); a time ratio above 1.25 times that is marked "!".

    python3 bench/scaling.py [--kinds seq,cif_chain,...] [--repeat R] [sizes...]

The sizes default to 1000 5000 20000; each time is the median of R runs
(default 1), each case in a fresh interpreter, one after the other. The files
go to a temporary directory in memory, as the benchmark's do
(build_and_emit.scratch_dir), so that the 20k files of the module kinds cost
what writing them costs. Two kinds write output that grows with the square of their size, and so
does the time to write it: the zero-delay nests ("zif", "zero_delay") indent
their lines four spaces per level (GBs at 20k, written to the system's
temporary directory instead), and an arbiter's mask terms grow with the
square of its leaves ("zync_wide" runs at a tenth of each size).
"""

import os
import statistics
import subprocess
import sys
import tempfile

from build_and_emit import scratch_dir

HERE = os.path.dirname(os.path.abspath(__file__))
DEEP_DESIGN = os.path.join(HERE, "..", "tests", "py", "deep_design.py")
DEFAULT_SIZES = (1_000, 5_000, 20_000)
SHRINK = {"zync_wide": 10}
ON_DISK = ("zif", "zero_delay")


def kinds():
    sys.path.insert(0, os.path.dirname(DEEP_DESIGN))
    from deep_design import KINDS

    return [k for k in KINDS if k not in ("karray", "select")]  # their depth is bounded


def time_one(kind, n):
    """(build_flow seconds, emit seconds, bytes emitted) of one design."""
    with tempfile.TemporaryDirectory() if kind in ON_DISK else scratch_dir() as out_dir:
        run = subprocess.run([sys.executable, DEEP_DESIGN, kind, str(n), "0", out_dir],
                             capture_output=True, text=True)
        size = sum(e.stat().st_size for e in os.scandir(out_dir))
    lines = run.stdout.splitlines()
    if run.returncode or not lines or lines[-1] != "emitted":
        sys.exit(f"{kind} {n}: {(lines or ['no output'])[-1]}\n{run.stderr}")
    build, emit = lines[-2].split()
    return float(build), float(emit), size


def main():
    args = sys.argv[1:]
    if args[:1] in (["-h"], ["--help"]):
        print(__doc__)
        return
    chosen, repeat = kinds(), 1
    while args and args[0].startswith("--"):
        if len(args) < 2:
            sys.exit(f"option {args[0]} needs a value\n{__doc__}")
        flag, value, args = args[0], args[1], args[2:]
        if flag == "--kinds":
            chosen = value.split(",")
        elif flag == "--repeat":
            repeat = int(value)
        else:
            sys.exit(f"unknown option {flag}\n{__doc__}")
    sizes = [int(s) for s in args] or list(DEFAULT_SIZES)
    limit = 1.25 * sizes[-1] / sizes[0]
    head = "  ".join(f"{n:>8}" for n in sizes)
    print(f"{'kind':<17} {'phase':<10} {head}  {'ratio':>6}  {'bytes':>6}  (seconds; ratios of the last size "
          f"to the first; median of {repeat})")
    for kind in chosen:
        runs = [[time_one(kind, n // SHRINK.get(kind, 1)) for n in sizes] for _ in range(repeat)]
        size = [runs[0][i][2] for i in range(len(sizes))]
        for phase, col in (("build_flow", 0), ("emit", 1)):
            secs = [statistics.median(r[i][col] for r in runs) for i in range(len(sizes))]
            ratio = secs[-1] / max(secs[0], 1e-9)
            cells = "  ".join(f"{s:8.3f}" for s in secs)
            print(f"{kind:<17} {phase:<10} {cells}  {ratio:6.1f}  {size[-1] / size[0]:6.1f}"
                  f"{' !' if ratio > limit else ''}", flush=True)


if __name__ == "__main__":
    main()
