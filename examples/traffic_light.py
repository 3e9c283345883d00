"""A traffic light with a pedestrian request, written out as Verilog.

After the master reset `mrst` is released the light runs forever:

1. green, until the input `request` is 1 (a wait on a condition);
2. yellow for YELLOW_CYCLES cycles (a wait of a fixed number of cycles);
3. red for RED_CYCLES cycles, counted down on `countdown` (a counter loop).

The lights and the countdown are output ports "green_o", "yellow_o",
"red_o" and "countdown_o"; the request is the input port "request".

    python3 examples/traffic_light.py OUTPUT_DIR

writes OUTPUT_DIR/traffic_light.v (the directory must exist).
"""

import os
import sys

from vorlent import BackendVerilog, LogicOp, ModelArena

YELLOW_CYCLES = 2
RED_CYCLES = 3


def build_traffic_light():
    m = ModelArena()
    top = m.mk_module("traffic_light")
    m.set_top_module(top)

    # Components: three lights and a countdown, all reset to 0, and the request.
    m.track_module_at_com_init(top)
    lights = {}
    for colour in ("green", "yellow", "red"):
        lights[colour] = m.mk_reg(colour, 1)
        m.set_reg_reset(lights[colour], m.mk_val(f"{colour}_init", 1, 0))
        m.mark_as_io(lights[colour], False, f"{colour}_o")
    countdown = m.mk_reg("countdown", 4)
    m.set_reg_reset(countdown, m.mk_val("countdown_init", 4, 0))
    m.mark_as_io(countdown, False, "countdown_o")
    request = m.mk_wire("request", 1)
    m.mark_as_io(request, True, "request")
    forever = m.mk_val("forever", 1, 1)
    count_down = m.mk_expression("count_down", LogicOp.ArithMinus, countdown, 1)
    m.untrack_module_at_com_init(top)

    def block(fb, body):
        m.initialize_flow_block(fb)
        body()
        m.finalize_flow_block(fb)

    def at_once(name, *assignments):
        # The assignments written directly in a parallel block happen
        # together, in one cycle.
        def body():
            for des, src in assignments:
                m.gen_basic_assign(des, src)
        block(m.mk_flow_block_par_auto(name), body)

    def phases():
        at_once("go", (lights["red"], 0), (lights["green"], 1))
        block(m.mk_flow_block_scwait("wait_request", request), lambda: None)
        at_once("slow", (lights["green"], 0), (lights["yellow"], 1))
        block(m.mk_flow_block_sywait("wait_yellow", YELLOW_CYCLES), lambda: None)
        at_once("stop", (lights["yellow"], 0), (lights["red"], 1), (countdown, RED_CYCLES))
        block(m.mk_flow_block_counter_loop("red_time", RED_CYCLES),
              lambda: block(m.mk_flow_block_seq("tick"), lambda: m.gen_basic_assign(countdown, count_down)))

    # Behaviour: a loop whose condition is always 1 runs the phases forever.
    m.track_module_at_flow_init(top)
    block(m.mk_flow_block_cwhile("forever", forever), lambda: block(m.mk_flow_block_seq("phases"), phases))
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
    m, top = build_traffic_light()
    module_name = m.module_verilog_name(top)
    BackendVerilog(m).emit(out_dir, "traffic_light")
    print(f"wrote {os.path.join(out_dir, 'traffic_light.v')} (module {module_name})")


if __name__ == "__main__":
    main()
