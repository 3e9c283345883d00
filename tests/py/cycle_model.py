"""Block programs (trees of `Blk`) and a cycle model of their timing, which
the random-program test compares with the simulated Verilog. Each block kind
is a generator: entered in cycle `m.now`, each `yield` waits for the next
edge, and it returns in its exit cycle (where its successor is entered). A
write in cycle c shows from c + 1 on. Top-level blocks are entered in cycle
R (verilog_sim); loose assignments write in every cycle from R on."""

from verilog_sim import R

BASIC = {"asm", "zif", "zstate"}


class Blk:
    """kind and arg:
    asm (dest, src) | zif, kids zbr(cond or None, items) | zstate sel, kids zcase(value, items)
    seq | par "auto"/"no_sync" | cif/sif/pick, kids br(cond or None, [body])
    cwhile/swhile/do_while cond, [body] | counter_loop n, [body] | sywait n | scwait cond
    A condition is ("in", x) | ("not", x) | ("lt"/"eq", reg, k) | ("bit", signal, i); a
    source is ("k", k) | ("add", reg, k) | ("sum", reg, reg) | ("xor", reg, "d") | ("in", "d")."""

    __slots__ = ("kind", "arg", "kids")

    def __init__(self, kind, arg=None, kids=()):
        self.kind, self.arg, self.kids = kind, arg, list(kids)


class Outside(Exception):
    """Outside the model: two writes to a register in a cycle, a block entered
    again while it runs, a pick that ends twice, a block that ends twice in a
    cycle (an end and an end at once after it is entered again: the hardware
    has one end signal, which cannot carry both)."""


def show(b, ind=""):
    """The program as nested text, one block or assignment a line."""
    return [f"{ind}{b.kind} {'' if b.arg is None else b.arg}", *(line for k in b.kids for line in show(k, ind + "  "))]


def latency(b):
    """The latency a block reports to its parent: its cycle count when every
    run takes as long, else -1 (a chain without default may take 0; a sif
    counts its own state)."""
    if b.kind in BASIC:
        return 1
    kids = [latency(k.kids[0] if k.kind == "br" else k) for k in b.kids]
    if b.kind == "seq":
        return -1 if -1 in kids else sum(kids)
    if b.kind == "par":  # its own assignments take one state
        return -1 if -1 in kids else max(kids)
    if b.kind in ("cif", "sif", "pick"):
        kids += [0] * all(k.arg is not None for k in b.kids)
        return -1 if -1 in kids or len(set(kids)) > 1 else kids[0] + (b.kind == "sif")
    if b.kind == "counter_loop":
        return -1 if kids[0] == -1 else b.arg * kids[0]
    return b.arg if b.kind == "sywait" else -1


def first_end_exits(b):
    """A par_no_sync ends with its first branch unless all have fixed latencies."""
    return b.arg == "no_sync" and any(latency(k) == -1 for k in b.kids if k.kind not in BASIC)


class Thread:
    """A block activation running beside others; made, it runs this cycle's work."""

    def __init__(self, gen, on_end=None):
        self.gen, self.done, self.on_end = gen, False, on_end
        self.step()

    def step(self):
        try:
            next(self.gen)
        except StopIteration:
            self.done = True
            if self.on_end:
                self.on_end()


class Machine:
    """Registers, stimulus, this cycle's writes, detached activations, running
    blocks, the cycle each block last ended in, the ends (par, cycle) of
    branches that can end at once of pars that end first."""

    def __init__(self, resets, stimulus):
        self.regs = dict(resets)
        self.stimulus, self.now, self.writes, self.threads, self.running = stimulus, 0, {}, [], set()
        self.ended, self.branch_ends = {}, set()

    def value(self, name):
        return self.regs[name] if name in self.regs else self.stimulus[name][self.now]

    def test(self, c):
        op, x, *k = c
        v = self.value(x)
        if op in ("in", "not"):
            return bool(v) == (op == "in")
        return {"lt": v < k[0], "eq": v == k[0], "bit": v >> k[0] & 1 == 1}[op]

    def source(self, s):
        op, x, *y = s
        if op == "k":
            return x
        a = self.value(x)
        if op == "in":
            return a
        b = y[0] if op == "add" else self.value(y[0])
        return (a ^ b if op == "xor" else a + b) & 0xFF

    def write(self, reg, val):
        if self.writes.setdefault(reg, val) != val:
            raise Outside(f"two writes to {reg} in cycle {self.now}")

    def edge(self):
        self.regs.update(self.writes)
        self.writes = {}


def run(m, b):
    """Enters block b in the current cycle; returns in its exit cycle."""
    if id(b) in m.running:
        raise Outside(f"{b.kind} entered again while it runs, cycle {m.now}")
    m.running.add(id(b))
    yield from KINDS[b.kind](m, b)
    m.running.discard(id(b))
    if m.ended.get(id(b)) == m.now:
        raise Outside(f"{b.kind} ends twice in cycle {m.now}")
    m.ended[id(b)] = m.now


def zero_delay(m, b):
    """An assignment or zero-delay block, in the current cycle."""
    if b.kind == "asm":
        m.write(b.arg[0], m.source(b.arg[1]))
        return
    for br in b.kids:
        if (br.arg is None or m.test(br.arg)) if b.kind == "zif" else br.arg == m.value(b.arg):
            for k in br.kids:
                zero_delay(m, k)
            return


def step(m, items):
    """Assignments as one state: entered in t, they read and write in t + 1, the exit."""
    yield
    for b in items:
        zero_delay(m, b)


def seq(m, b):
    for k in b.kids:
        yield from step(m, [k]) if k.kind in BASIC else run(m, k)


def side_by_side(m, gens, first_only, on_late_end=None):
    """Runs activations from now until all (first_only: the first) have ended."""
    threads = [Thread(g) for g in gens]
    while not (any if first_only else all)(t.done for t in threads):
        yield
        for t in threads:
            t.done or t.step()
    for t in threads:
        if not t.done:
            t.on_end = on_late_end
            m.threads.append(t)


def noted_end(m, b, gen):
    """Runs gen, a branch of b, and notes the cycle it ends in."""
    yield from gen
    m.branch_ends.add((id(b), m.now))


def par(m, b):
    """All branches (its own assignments: one more, of one state) enter now.
    A par that ends with its first branch end also ends in its entry cycle if
    a branch that can end at once ended then, of an earlier activation: the
    hardware cannot tell that end from one at once."""
    own = [k for k in b.kids if k.kind in BASIC]
    first = first_end_exits(b)
    gens = ([step(m, own)] if own else []) + [noted_end(m, b, run(m, k)) if first and ends_at_once(k)
                                              else run(m, k) for k in b.kids if k.kind not in BASIC]
    if first and (id(b), m.now) in m.branch_ends:
        gens.append(iter(()))
    yield from side_by_side(m, gens, first)


def cond_chain(m, b):
    """cif reads in its entry cycle and enters the branch at once; sif a cycle later."""
    if b.kind == "sif":
        yield
    for br in b.kids:
        if br.arg is None or m.test(br.arg):
            yield from run(m, br.kids[0])
            return


def pick(m, b):
    """Enters every pif that holds (else the pidef); exits with the first end."""
    started = [br.kids[0] for br in b.kids if br.arg is not None and m.test(br.arg)]
    started = started or [br.kids[0] for br in b.kids if br.arg is None]

    def twice():
        raise Outside("pick ends twice")

    if started:
        yield from side_by_side(m, [run(m, k) for k in started], True, twice)


def ends_at_once(b):
    """Whether a path from the block's entry to its exit passes no step (a par
    of unfixed latency joins this cycle's branch ends: one such branch does)."""
    if b.kind in BASIC or b.kind in ("sif", "swhile", "sywait", "scwait"):
        return False
    kids = [k.kids[0] if k.kind == "br" else k for k in b.kids]
    if b.kind == "seq":
        return all(ends_at_once(k) for k in kids)
    if b.kind == "par":
        return latency(b) == -1 and any(ends_at_once(k) for k in kids if k.kind not in BASIC)
    if b.kind in ("cif", "pick"):
        return all(k.arg is not None for k in b.kids) or any(ends_at_once(k) for k in kids)
    return b.kind == "cwhile" or ends_at_once(kids[0])  # do_while, counter_loop


def one_pass(m, body, again):
    """A loop pass; a body that can end at once re-enters a cycle after the last pass."""
    if again and ends_at_once(body):
        yield
    yield from run(m, body)


def cwhile(m, b):
    again = False
    while m.test(b.arg):
        yield from one_pass(m, b.kids[0], again)
        again = True


def swhile(m, b):
    while True:
        yield
        if not m.test(b.arg):
            return
        yield from run(m, b.kids[0])


def do_while(m, b):
    yield from one_pass(m, b.kids[0], False)
    while m.test(b.arg):
        yield from one_pass(m, b.kids[0], True)


def counter_loop(m, b):
    for i in range(b.arg):
        yield from one_pass(m, b.kids[0], i > 0)


def sywait(m, b):
    for _ in range(b.arg):
        yield


def scwait(m, b):
    yield
    while not m.test(b.arg):
        yield


KINDS = {"seq": seq, "par": par, "cif": cond_chain, "sif": cond_chain, "pick": pick, "cwhile": cwhile,
         "swhile": swhile, "do_while": do_while, "counter_loop": counter_loop, "sywait": sywait, "scwait": scwait}


def trace(block, loose, resets, stimulus, cycles):
    """Every register's value in every cycle."""
    m = Machine(resets, stimulus)
    rows = []
    for m.now in range(cycles):
        rows.append(dict(m.regs))
        # Newest first: a branch left running ends before the block that
        # started it can be entered again in the same cycle.
        for t in reversed(list(m.threads)):
            t.done or t.step()
        if m.now == R:
            m.threads.append(Thread(run(m, block)))
        if m.now >= R:
            for b in loose:
                zero_delay(m, b)
        m.edge()
    return rows
