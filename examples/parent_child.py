"""Two modules, written out as Verilog: a parent that reads a register of its
child.

The child module "ticker" counts its register `ticks` up by one in every
clock cycle after the master reset `mrst` is released. The parent, the top
module "alarm_clock", waits until `ticks` equals ALARM_AT and then raises
`alarm`, an output port named "alarm_o". The parent reads the child's
register directly; the Verilog backend routes it through the ports of the
child's instance.

    python3 examples/parent_child.py OUTPUT_DIR

writes OUTPUT_DIR/alarm_clock.v and the child's file beside it (the
directory must exist).
"""

import os
import sys

from vorlent import BackendVerilog, LogicOp, ModelArena

ALARM_AT = 5


def build_parent_child():
    m = ModelArena()
    parent = m.mk_module("alarm_clock")
    m.set_top_module(parent)

    m.track_module_at_com_init(parent)
    # A module made and closed while its parent's components are being made
    # becomes the parent's sub-module.
    child = m.mk_module("ticker")
    m.track_module_at_com_init(child)
    ticks = m.mk_reg("ticks", 4)
    m.set_reg_reset(ticks, m.mk_val("ticks_init", 4, 0))
    next_tick = m.mk_expression("next_tick", LogicOp.ArithPlus, ticks, 1)
    m.untrack_module_at_com_init(child)
    alarm = m.mk_reg("alarm", 1)
    m.set_reg_reset(alarm, m.mk_val("alarm_init", 1, 0))
    m.mark_as_io(alarm, False, "alarm_o")
    # The parent's own expression over the child's register.
    ring = m.mk_expression("ring", LogicOp.RelationEq, ticks, ALARM_AT)
    m.untrack_module_at_com_init(parent)

    # The child: an assignment outside any block happens in every cycle.
    m.track_module_at_flow_init(child)
    m.gen_basic_assign(ticks, next_tick)
    m.untrack_module_at_flow_init(child)

    # The parent: wait for the count, then raise the alarm.
    m.track_module_at_flow_init(parent)
    steps = m.mk_flow_block_seq("steps")
    m.initialize_flow_block(steps)
    wait = m.mk_flow_block_scwait("wait_ring", ring)
    m.initialize_flow_block(wait)
    m.finalize_flow_block(wait)
    m.gen_basic_assign(alarm, 1)
    m.finalize_flow_block(steps)
    m.finalize_flow_procedure()
    m.untrack_module_at_flow_init(parent)

    m.build_flow()
    return m, parent, child, ticks


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    if not os.path.isdir(out_dir):
        sys.exit(f"{out_dir}: not a directory")
    m, parent, child, ticks = build_parent_child()
    names = (m.module_verilog_name(parent), m.module_verilog_name(child), m.hcp_verilog_name(ticks))
    BackendVerilog(m).emit(out_dir, "alarm_clock")
    print(f"wrote {os.path.join(out_dir, 'alarm_clock.v')} (module {names[0]}; "
          f"instance {names[1]} holds register {names[2]})")


if __name__ == "__main__":
    main()
