"""The emitted Verilog of the simulation tests' designs (with the
block-timing designs: every block kind) and of the benchmark shapes,
compared by hash against golden_hashes.txt: any change of an emitted byte (a
text, a global id) fails here, showing the first differing lines of each
changed design against its text in golden_text.tar.xz. After a deliberate
change of output, rewrite both files with VORLENT_GOLDEN_UPDATE=1 and say why
in the commit."""

import difflib
import io
import lzma
import os
import subprocess
import sys
import tarfile
import urllib.parse
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
GOLDEN = HERE / "golden_hashes.txt"
GOLDEN_TEXT = HERE / "golden_text.tar.xz"
BENCH_SIZE = "200"
DIFF_LINES = 40


def current_designs(tmp_path):
    """{design: sha256} and the directory holding each design's files."""
    out, text = tmp_path / "hashes.txt", tmp_path / "text"
    out.touch()
    env = dict(os.environ, VORLENT_GOLDEN_OUT=str(out), VORLENT_GOLDEN_TEXT=str(text),
               PYTHONPATH=os.pathsep.join(filter(None, [str(HERE), os.environ.get("PYTHONPATH")])))
    sims = [*HERE.glob("test_*simulation.py"), HERE / "test_block_timing.py"]
    sims = sorted(str(p.relative_to(ROOT)) for p in sims)
    run = subprocess.run([sys.executable, "-m", "pytest", "-q", "-p", "golden_capture", "-p", "no:cacheprovider",
                          *sims], cwd=ROOT, env=env, capture_output=True, text=True)
    assert run.returncode == 0, run.stdout[-3000:] + run.stderr[-3000:]
    bench_dir = tmp_path / "bench"
    bench = subprocess.run([sys.executable, str(ROOT / "bench" / "build_and_emit.py"), "--hash", BENCH_SIZE,
                            str(bench_dir)], check=True, capture_output=True, text=True).stdout
    hashes = dict(line.rsplit(" ", 1) for line in out.read_text().splitlines())
    for shape, n, h in (line.split() for line in bench.splitlines()):
        key = f"bench::{shape}[{n}]"
        hashes[key] = h
        (text / urllib.parse.quote(key, safe="")).symlink_to(bench_dir / shape)
    return hashes, text


def read_texts(text_dir):
    """{design: {file name: text}} of the designs kept in text_dir."""
    return {urllib.parse.unquote(d.name): {f.name: f.read_text() for f in sorted(d.iterdir())}
            for d in sorted(text_dir.iterdir())}


def write_archive(texts):
    """Deterministic bytes: sorted members, no times or owners."""
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.USTAR_FORMAT) as tar:
        for design, files in sorted(texts.items()):
            for name, body in sorted(files.items()):
                data = body.encode()
                info = tarfile.TarInfo(f"{urllib.parse.quote(design, safe='')}/{name}")
                info.size, info.mtime, info.mode = len(data), 0, 0o644
                tar.addfile(info, io.BytesIO(data))
    GOLDEN_TEXT.write_bytes(lzma.compress(raw.getvalue(), preset=9))


def read_archive():
    texts = {}
    if not GOLDEN_TEXT.exists():
        return texts
    with tarfile.open(fileobj=io.BytesIO(lzma.decompress(GOLDEN_TEXT.read_bytes()))) as tar:
        for member in tar.getmembers():
            design, name = member.name.split("/", 1)
            texts.setdefault(urllib.parse.unquote(design), {})[name] = tar.extractfile(member).read().decode()
    return texts


def first_differences(design, old, new):
    """The opening lines of a unified diff of one design's files."""
    if old is None:
        return f"{design}: no golden text kept"
    lines = []
    for name in sorted(old.keys() | new.keys()):
        lines += difflib.unified_diff(old.get(name, "").splitlines(), new.get(name, "").splitlines(),
                                      f"golden/{name}", f"now/{name}", n=1, lineterm="")
    return "\n".join([f"== {design}"] + lines[:DIFF_LINES])


def test_emitted_verilog_is_unchanged(tmp_path):
    got, text_dir = current_designs(tmp_path)
    if os.environ.get("VORLENT_GOLDEN_UPDATE"):
        GOLDEN.write_text("".join(f"{k} {v}\n" for k, v in sorted(got.items())))
        write_archive(read_texts(text_dir))
    want = dict(line.rsplit(" ", 1) for line in GOLDEN.read_text().splitlines())
    assert len(got) > 40
    changed = sorted(k for k in want.keys() | got.keys() if want.get(k) != got.get(k))
    if changed:
        old, new = read_archive(), read_texts(text_dir)
        shown = "\n".join(first_differences(k, old.get(k), new.get(k, {})) for k in changed[:5])
        raise AssertionError(f"emitted text differs (or the design is new or gone) for: {changed}\n{shown}")
