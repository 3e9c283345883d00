"""A counter driven by a sequential block, written out as Verilog.

After the master reset `mrst` is released, the sequential block counts
`count` up by one per clock cycle, four times, then raises `done`. Both are
output ports of the top module, named "count_o" and "done_o".

    python3 examples/counter.py OUTPUT_DIR

writes OUTPUT_DIR/counter.v (the directory must exist).
"""

import os
import sys

from vorlent._vorlent import BackendVerilog, LogicOp, ModelArena


def build_counter():
    m = ModelArena()
    top = m.mk_module("counter")
    m.set_top_module(top)

    # Components: an 8-bit counter and a done flag, both reset to 0.
    m.track_module_at_com_init(top)
    count = m.mk_reg("count", 8)
    m.set_reg_reset(count, m.mk_val("count_init", 8, 0))
    done = m.mk_reg("done", 1)
    m.set_reg_reset(done, m.mk_val("done_init", 1, 0))
    next_count = m.mk_expression("next_count", LogicOp.ArithPlus, count, 1)
    m.mark_as_io(count, False, "count_o")
    m.mark_as_io(done, False, "done_o")
    m.untrack_module_at_com_init(top)

    # Behaviour: one assignment per step of the sequence.
    m.track_module_at_flow_init(top)
    steps = m.mk_flow_block_seq("steps")
    m.initialize_flow_block(steps)
    for _ in range(4):
        m.gen_basic_assign(count, next_count)
    m.gen_basic_assign(done, 1)
    m.check_flow_block_prefinalize(steps)
    m.finalize_flow_block(steps)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(top)

    m.build_flow()
    return m, top


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    if not os.path.isdir(out_dir):
        sys.exit(f"{out_dir}: not a directory")
    m, top = build_counter()
    module_name = m.module_verilog_name(top)
    BackendVerilog(m).emit(out_dir, "counter")
    print(f"wrote {os.path.join(out_dir, 'counter.v')} (module {module_name})")


if __name__ == "__main__":
    main()
