"""Random block programs, simulated under Icarus and compared register by
register, cycle by cycle, with cycle_model.py. VORLENT_RANDOM_PROGRAMS sets
how many run (default 1000) from seed VORLENT_RANDOM_SEED (default 1); a
failure names its seed, so VORLENT_RANDOM_SEED=<seed> VORLENT_RANDOM_PROGRAMS=1
runs it alone."""

import os
import random
import subprocess

import pytest

from vorlent import _vorlent as v
from cycle_model import Blk, Outside, show, trace
from verilog_sim import R, Design, simulate

REGS = [f"r{i}" for i in range(6)]
INPUTS = {"a": 1, "b": 1, "c": 1, "d": 8, "s": 2}
CYCLES = R + 40
COUNT = int(os.environ.get("VORLENT_RANDOM_PROGRAMS", "1000"))
FIRST = int(os.environ.get("VORLENT_RANDOM_SEED", "1"))
BATCH = 25
HEADS = {"cif": ("cif", "cselif", "cselse"), "sif": ("sif", "cselif", "cselse"),
         "zif": ("zif", "zelif", "zelse"), "pick": ("pif", "pif", "pidef")}

class Gen:
    """Draws a program over r0..r5 (r5 kept for a loose block if any) and the
    inputs a, b, c (1 bit), d (8) and s (2)."""

    def __init__(self, rng):
        self.r = rng

    def program(self):
        loose = [self.basic(["r5"])] if self.r.random() < 0.25 else []
        free = REGS[:5] if loose else REGS
        top = self.block(0, free) if self.r.random() < 0.3 else Blk("seq", None, [
            self.block(1, free) if self.r.random() < 0.7 else self.basic(free)
            for _ in range(self.r.randint(2, 5))])
        return top, loose

    def cond(self, waits=False):
        """A condition; one a wait or loop waits on is mostly an input."""
        op = self.r.choices(["in", "not", "lt", "eq", "bit"], [12, 3, 1, 1, 2] if waits else [5, 1, 2, 1, 2])[0]
        if op in ("in", "not"):
            return op, self.r.choice("abc")
        return op, self.r.choice(REGS + ["d"] * (op == "bit")), self.r.randrange(3 if op == "bit" else 4)

    def src(self):
        op, x, y = self.r.choices(["k", "add", "sum", "xor", "in"], [3, 4, 2, 1, 1])[0], *self.r.sample(REGS, 2)
        k = self.r.randrange(8) if self.r.random() < 0.7 else self.r.randrange(256)
        return {"k": ("k", k), "add": ("add", x, self.r.randint(1, 3)), "sum": ("sum", x, y),
                "xor": ("xor", x, "d"), "in": ("in", "d")}[op]

    def split(self, free, n):
        """Registers for n branches that may run together: mostly disjoint,
        sometimes shared (a clash makes the model draw another program)."""
        if self.r.random() < 0.2:
            return [free] * n
        free = self.r.sample(free, len(free))
        cuts = sorted(self.r.randint(0, len(free)) for _ in range(n - 1))
        return [free[i:j] for i, j in zip([0, *cuts], [*cuts, len(free)])]

    def zero_items(self, free, depth):
        """One to three assignments or zero-delay blocks, to distinct registers."""
        free, items = self.r.sample(free, len(free)), []
        while free and len(items) < 3 and (not items or self.r.random() < 0.4):
            if depth < 2 and self.r.random() < 0.2:
                n = self.r.randint(1, len(free))
                items.append(self.zero_block(free[:n], depth + 1))
                free = free[n:]
            else:
                items.append(Blk("asm", (free.pop(), self.src())))
        return items

    def zero_block(self, free, depth):
        if self.r.random() < 0.3:
            cases, sel = self.r.sample(range(4), self.r.randint(1, 3)), self.r.choice(["s", self.r.choice(REGS)])
            return Blk("zstate", sel, [Blk("zcase", c, self.zero_items(free, depth)) for c in cases])
        conds = [self.cond() for _ in range(self.r.randint(1, 3))] + [None] * (self.r.random() < 0.5)
        return Blk("zif", None, [Blk("zbr", c, self.zero_items(free, depth)) for c in conds])

    def basic(self, free):
        return self.zero_block(free, 1) if self.r.random() < 0.35 else Blk("asm", (self.r.choice(free), self.src()))

    def block(self, depth, free):
        r = self.r
        if depth >= 3:
            kind = "seq" if free and r.random() < 0.6 else r.choice(["sywait", "scwait"])
        else:
            kind = r.choices(["seq", "par", "cif", "sif", "pick", "cwhile", "swhile", "do_while", "counter_loop",
                              "sywait", "scwait", "rejoin"], [5, 4, 3, 2, 2, 1, 1, 1, 2, 1, 1, 1])[0]
        if kind == "rejoin":
            return self.rejoin(depth, free)
        if kind == "seq":
            return Blk("seq", None, [self.basic(free) if free and (depth >= 3 or r.random() < 0.6)
                                     else self.block(depth + 1, free) for _ in range(r.randint(1, 4))])
        if kind == "par":
            mode, n = r.choice(["auto", "no_sync"]), r.randint(0 if free else 1, 3)
            own = n == 0 or r.random() < 0.4
            parts = self.split(free, n + own)
            kids = self.zero_items(parts[0], 1) if own else []
            for part in parts[own:]:
                kids.insert(r.randint(0, len(kids)), self.block(depth + 1, part))
            return Blk("par", mode, kids)
        if kind in ("cif", "sif"):
            conds = [self.cond() for _ in range(r.randint(1, 3))] + [None] * (r.random() < 0.4)
            return Blk(kind, None, [Blk("br", c, [self.block(depth + 1, free)]) for c in conds])
        if kind == "pick":
            parts = self.split(free, r.randint(1, 3))
            kids = [Blk("br", self.cond(), [self.block(depth + 1, p)]) for p in parts]
            if r.random() < 0.4:
                kids.insert(r.randint(0, len(kids)), Blk("br", None, [self.block(depth + 1, free)]))
            return Blk("pick", None, kids)
        if kind in ("cwhile", "swhile", "do_while", "counter_loop"):
            return Blk(kind, r.randint(1, 5) if kind == "counter_loop" else self.cond(True),
                       [self.block(depth + 1, free)])
        return Blk(kind, r.randint(1, 4) if kind == "sywait" else self.cond(True))

    def rejoin(self, depth, free):
        """Nested loops around a par_no_sync that leaves a par_auto running, one of
        whose branches can end at once: the par_auto may end in the very cycle
        in which it is entered again."""
        r = self.r
        mine, inner, rest = self.split(free, 3) if r.random() < 0.5 else [free[:1], free[1:2], free[2:]]
        steps = r.randint(1, 2)  # the first branch's; the par_auto's other branch takes one more
        slow = Blk("seq", None, [self.basic(rest) for _ in range(steps + 1)]) if rest and r.random() < 0.6 \
            else self.block(depth + 2, rest)
        join = Blk("par", "auto", [Blk("cif", None, [Blk("br", self.cond(), [self.block(depth + 2, inner)])]), slow])
        body = Blk("par", "no_sync", [Blk("seq", None, [self.basic(mine) for _ in range(steps)]) if mine
                                      else Blk("sywait", steps), join])
        loop = Blk("counter_loop", r.randint(2, 3), [body])
        return Blk("counter_loop", r.randint(1, 2), [Blk("seq", None, [loop, Blk("sywait", r.randint(1, 5))])])


class Builder:
    """Describes one program in a design's open behaviour phase."""

    def __init__(self, d, prefix, signals):
        self.m, self.prefix, self.sig, self.n = d.m, prefix, signals, 0

    def name(self, kind):
        self.n += 1
        return f"{self.prefix}{kind}{self.n}"

    def cond(self, c):
        op, x, *k = c
        if op in ("in", "bit"):
            return self.sig[x], v.Slice(start=k[0], stop=k[0] + 1) if k else None
        if op == "not":
            return self.m.mk_expression_single(self.name("not"), v.LogicOp.BitwiseInvr, self.sig[x]), None
        rel = v.LogicOp.RelationLe if op == "lt" else v.LogicOp.RelationEq  # RelationLe is "<"
        return self.m.mk_expression(self.name(op), rel, self.sig[x], k[0]), None

    def src(self, s):
        op, x, *y = s
        if op in ("k", "in"):
            return self.sig.get(x, x)
        opr = v.LogicOp.BitwiseXor if op == "xor" else v.LogicOp.ArithPlus
        return self.m.mk_expression(self.name(op), opr, self.sig[x], self.sig.get(y[0], y[0]))

    def mk(self, kind, *args):
        return getattr(self.m, f"mk_flow_block_{kind}")(self.name(kind), *args)

    def block(self, ident, kids, emit=None):
        self.m.initialize_flow_block(ident)
        for k in kids:
            (emit or self.emit)(k)
        self.m.finalize_flow_block(ident)

    def chain(self, b):
        """The blocks of a cif, sif or zif chain, or the branches of a pick."""
        first, later, last = HEADS[b.kind]
        for i, br in enumerate(b.kids):
            word = last if br.arg is None else later if i else first
            self.block(self.mk(word, *self.cond(br.arg)) if br.arg else self.mk(word), br.kids)

    def emit(self, b):
        if b.kind == "asm":
            self.m.gen_basic_assign(self.sig[b.arg[0]], self.src(b.arg[1]))
        elif b.kind in ("cif", "sif", "zif"):
            self.chain(b)
        elif b.kind == "pick":
            self.block(self.mk("pick"), [b], self.chain)
        elif b.kind == "zstate":
            self.block(self.mk("zstate", self.sig[b.arg]), b.kids,
                       lambda case: self.block(self.mk("zcase", case.arg), case.kids))
        elif b.kind in ("seq", "par"):
            self.block(self.mk("seq") if b.kind == "seq" else self.mk(f"par_{b.arg}"), b.kids)
        else:
            count = b.kind in ("counter_loop", "sywait")
            self.block(self.mk(b.kind, b.arg) if count else self.mk(b.kind, *self.cond(b.arg)), b.kids)


def case(seed):
    """Program, resets, stimulus and model trace of a seed (redrawn while Outside)."""
    rng = random.Random(seed)
    while True:
        block, loose = Gen(rng).program()
        resets = {r: rng.randrange(6) for r in REGS}
        stimulus = {x: [rng.randrange(1 << w) for _ in range(CYCLES)] for x, w in INPUTS.items()}
        try:
            return block, loose, resets, stimulus, trace(block, loose, resets, stimulus, CYCLES)
        except Outside:
            continue


def simulate_cases(cases, out_dir):
    """Simulates the programs side by side in one design, each with its own signals."""
    d = Design()
    signals = [{r: d.reg(f"p{k}_{r}", reset=c[2][r]) for r in REGS} for k, c in enumerate(cases)]
    for k, sig in enumerate(signals):
        sig.update({x: d.input(f"p{k}_{x}", w) for x, w in INPUTS.items()})
    with d.behaviour():
        for k, (block, loose, *_) in enumerate(cases):
            builder = Builder(d, f"p{k}_", signals[k])
            for b in [block, *loose]:
                builder.emit(b)
    probes = {f"p{k}_{r}": d.probe(sig[r]) for k, sig in enumerate(signals) for r in REGS}
    d.m.build_flow()
    top = d.m.module_verilog_name(d.top)
    out_dir.mkdir(parents=True, exist_ok=True)
    v.BackendVerilog(d.m).emit(str(out_dir), top)
    files = sorted(str(out_dir / f) for f in os.listdir(out_dir) if f.endswith(".v"))
    inputs = {f"p{k}_{x}": (lambda c, s=stim[x]: s[c]) for k, (*_, stim, _) in enumerate(cases) for x in INPUTS}
    got = simulate(top, files, out_dir, probes, inputs=inputs, cycles=CYCLES, timeout=10 + len(cases))
    return [[{r: got[f"p{k}_{r}"][c] for r in REGS} for c in range(CYCLES)] for k in range(len(cases))]


def report(seed, block, loose, resets, stimulus, want, got, why=None):
    lines = [f"seed {seed}: {why or 'the simulation differs from the cycle model'}", *show(block),
             *[line for b in loose for line in show(b)], "resets: " + " ".join(f"{r}={v}" for r, v in resets.items()),
             "inputs per cycle:",
             *[f"  {x}: {' '.join(map(str, vals))}" for x, vals in stimulus.items()]]
    if got:
        bad = next(c for c in range(CYCLES) if want[c] != got[c])
        lines.append("cycle | model " + " ".join(f"{r:>3}" for r in REGS) + " | simulation")
        for c in range(min(CYCLES, bad + 4)):
            row = [" ".join(f"{'x' if t[c][r] is None else t[c][r]:>3}" for r in REGS) for t in (want, got)]
            lines.append(f"{c:>5} |       {row[0]} | {row[1]}{'  <--' if c == bad else ''}")
    return "\n".join(lines)


def check(seeds, out_dir):
    """Failure reports of the seeds; a batch failing as a whole is retried one by one."""
    cases = [case(s) for s in seeds]
    try:
        traces = simulate_cases(cases, out_dir)
    except KeyboardInterrupt:
        raise
    except BaseException as e:  # noqa: BLE001 - a panic, a refusal or a tool failure, reported with the program
        if len(cases) > 1:
            return [f for s in seeds for f in check([s], out_dir / str(s))]
        why = "the simulation did not settle" if isinstance(e, subprocess.TimeoutExpired) else repr(e)[:2000]
        return [report(seeds[0], *cases[0][:4], None, None, why)]
    return [report(s, *c, t) for s, c, t in zip(seeds, cases, traces) if c[4] != t]


@pytest.mark.parametrize("first", range(FIRST, FIRST + COUNT, BATCH))
def test_random_programs_match_the_cycle_model(tmp_path, first):
    failures = check(list(range(first, min(first + BATCH, FIRST + COUNT))), tmp_path)
    assert not failures, f"{len(failures)} of the programs differ; the first:\n" + failures[0]
