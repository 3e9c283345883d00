"""The emitted Verilog of the simulation tests' designs and of the benchmark
shapes, compared by hash against golden_hashes.txt: any change of an emitted
byte (a text, a global id) fails here. After a deliberate change of output,
rewrite the file with VORLENT_GOLDEN_UPDATE=1 and say why in the commit."""

import os
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
GOLDEN = HERE / "golden_hashes.txt"
BENCH_SIZE = "200"


def current_hashes(tmp_path):
    out = tmp_path / "hashes.txt"
    out.touch()
    env = dict(os.environ, VORLENT_GOLDEN_OUT=str(out),
               PYTHONPATH=os.pathsep.join(filter(None, [str(HERE), os.environ.get("PYTHONPATH")])))
    sims = sorted(str(p.relative_to(ROOT)) for p in HERE.glob("test_*simulation.py"))
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "golden_capture", "-p", "no:cacheprovider",
                          *sims], cwd=ROOT, env=env, capture_output=True, text=True)
    assert run.returncode == 0, run.stdout[-3000:] + run.stderr[-3000:]
    bench = subprocess.run([sys.executable, str(ROOT / "bench" / "build_and_emit.py"), "--hash", BENCH_SIZE],
                           check=True, capture_output=True, text=True).stdout
    lines = out.read_text().splitlines() + [f"bench::{shape}[{n}] {h}" for shape, n, h in
                                            (line.split() for line in bench.splitlines())]
    return dict(line.rsplit(" ", 1) for line in lines)


def test_emitted_verilog_is_unchanged(tmp_path):
    got = current_hashes(tmp_path)
    if os.environ.get("VORLENT_GOLDEN_UPDATE"):
        GOLDEN.write_text("".join(f"{k} {v}\n" for k, v in sorted(got.items())))
    want = dict(line.rsplit(" ", 1) for line in GOLDEN.read_text().splitlines())
    assert len(got) > 40
    changed = sorted(k for k in want.keys() | got.keys() if want.get(k) != got.get(k))
    assert not changed, f"emitted text differs (or the design is new or gone) for: {changed}"
