"""Build and emit designs of 1k, 10k and 100k components and report the time
each step takes and the peak memory of the process.

Each size runs in a fresh interpreter, so the peak memory is that size's own.
Half of the components are registers assigned one after another inside
sequential blocks (a shift chain, 50 steps per block); the other half are
wires driven by flat loose assignments from those registers.

    python3 bench/build_and_emit.py [sizes...]
"""

import os
import resource
import subprocess
import sys
import tempfile
import time

STEPS_PER_BLOCK = 50


def run_one(n_components, out_dir):
    from vorlent._vorlent import BackendVerilog, ModelArena

    t0 = time.perf_counter()
    m = ModelArena()
    top = m.mk_module("top")
    m.set_top_module(top)
    n_regs = n_components // 2
    n_wires = n_components - n_regs

    m.track_module_at_com_init(top)
    regs = [m.mk_reg(f"r{i}", 8) for i in range(n_regs)]
    wires = [m.mk_wire(f"w{i}", 8) for i in range(n_wires)]
    m.untrack_module_at_com_init(top)

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
    t1 = time.perf_counter()

    m.build_flow()
    t2 = time.perf_counter()

    backend = BackendVerilog(m)
    # The backend's progress lines go to the process's standard output.
    saved = os.dup(1)
    with open(os.devnull, "w") as null:
        os.dup2(null.fileno(), 1)
        try:
            backend.emit(out_dir, "top")
        finally:
            os.dup2(saved, 1)
            os.close(saved)
    t3 = time.perf_counter()

    peak_mib = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    size = sum(os.path.getsize(os.path.join(out_dir, f)) for f in os.listdir(out_dir))
    print(f"{n_components:>8} components: describe {t1 - t0:7.2f} s  build_flow {t2 - t1:7.2f} s  "
          f"emit {t3 - t2:7.2f} s  peak {peak_mib:8.1f} MiB  verilog {size / 2**20:7.1f} MiB")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--one":
        with tempfile.TemporaryDirectory() as out_dir:
            run_one(int(sys.argv[2]), out_dir)
        return
    sizes = [int(s) for s in sys.argv[1:]] or [1_000, 10_000, 100_000]
    for n in sizes:
        subprocess.run([sys.executable, __file__, "--one", str(n)], check=True)


if __name__ == "__main__":
    main()
