"""Random call sequences over the whole Python interface with good and bad
arguments (wrong kinds, other models' identities, extreme integers, odd names,
callbacks that raise or re-enter, sequences whose length lies). Any Python
exception is an answer; a signal, a sanitizer report or a hang is a fault.
Batches run in child processes, so a crash shows the calls that made it.
VORLENT_FUZZ_SEQUENCES (default 400) and VORLENT_FUZZ_SEED (default 0) set
the run; one batch runs alone as `python tests/py/test_api_fuzz.py SEED COUNT`."""
import copy
import os
import subprocess
import sys
import tempfile
import threading
import warnings
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

from hypothesis import HealthCheck, Phase, given, seed, settings, strategies as st

from vorlent import _vorlent as v
from model_helpers import Liar

BATCH = 40  # sequences per child process


def params_of(fn):
    """(name, optional) of each parameter, read from the text signature."""
    inner = fn.__text_signature__.strip("()")
    return [(p.split("=")[0].strip(), "=" in p) for p in inner.split(",") if p.strip() not in ("$self", "")]


METHODS = sorted((n, params_of(getattr(v.ModelArena, n))) for n in dir(v.ModelArena) if not n.startswith("_"))
BLOCK_MAKERS = [m for m in METHODS if m[0].startswith("mk_flow_block_")]
# What hooks call: what changes the model under the running call.
HOOK_METHODS = [m for m in METHODS if m[0].startswith(("karray_", "mk_karray", "build_flow", "finalize_flow",
                                                       "initialize_flow", "gen_basic_assign", "track_", "untrack_"))]

# What each parameter takes, by its name; the few names that mean another
# thing in one method are keyed by (method, name). "*_slice" takes a Slice.
KIND = {
    **dict.fromkeys(["name", "io_name", "top_file_name"], "name"),
    **dict.fromkeys(["a", "b", "src", "if_true", "if_false", "value"], "operand"),
    **dict.fromkeys(["hcp_i", "des_i", "sig_i", "src_i", "state_i", "index_ident", "addend_i"], "hcp"),
    **dict.fromkeys(["reset_val_i", "default_val_i"], "hcp:VAL"),
    "reg_i": "hcp:REG", "wire_i": "hcp:WIRE", "master_mem_blk_i": "hcp:MEM_BLOCK",
    **dict.fromkeys(["cond_i", "enable_i"], "cond"),
    "arb_i": "ARB", "cnt_i": "DCNT", "karray_i": "KARRAY", "dst_i": "KARRAY", ("karray_assign_k2k", "src_i"): "KARRAY",
    "block_i": "block", ("finalize_flow_block", "block_i"): "open", ("check_flow_block_prefinalize", "block_i"): "open",
    "module_i": "module", "output_dir": "dir", "expect_clocked": "clocked",
    **dict.fromkeys(["bit_width", "width", "index_width", "c"], "width"),
    **dict.fromkeys(["priority", "idx", "cycle", "last_loop_cnt", "match_val", "init_val", "amount"], "int"),
    **dict.fromkeys(["is_input", "is_read", "match_all", "auto_req", "auto_restart", "auto_ack"], "flag"),
    **{k: k for k in ["op", "policy", "channel", "backing", "limbs", "binds", "shape", "coord", "fields", "sel",
                      "fns", "sources", "field"]},
    "terms": "bits", "bits": "bits", "dst_sel": "sel", "src_sel": "sel", "src_fns": "fns",
}


def kind_of(method, param):
    return "slice" if param.endswith("_slice") else KIND.get((method, param), KIND.get(param))


NAMES = ["a", "b", "x", "top", "", " ", "a b", "\u00e9", "\u65e5\u672c", "\x00", "a\x00b", "'\"\\\n", "\ud800",
         "clk", "mrst", "module", "reg", "MODULE_top_0", "n" * 256, "n" * 257, "\u00e9" * 129, "n" * 5000]
EDGE_INTS = [-1, -2, 2**31 - 1, -2**31, 2**31, 2**32 - 1, 2**32, 2**63 - 1, -2**63, 2**64 - 1, 2**64, 2**200, -2**200]
# Widths that are refused or cheap: a legal width of 2**31 - 1 makes
# constants of 256 MiB and only slows the search.
EDGE_WIDTHS = [0, -1, 64, 65, 128, 129, 4096, 2**20, 2**31, 2**32, -2**31]
HW = v.HwComponentType
# Enumeration arguments: (usual values, odd values).
ENUMS = {"op": (list(v.LogicOp), st.integers(-1, 30)), "policy": (list(v.ArbSamePriPolicy), st.integers(-1, 4)),
         "channel": (list(v.ArbLockedChannel), st.integers(-1, 3)),
         "backing": ([HW.REG, HW.WIRE], st.sampled_from([HW.EXPR, HW.VAL]) | st.integers(-1, 14))}
IDENT_KINDS = {v.HcpIdent: "hcp", v.FlowBlockIdent: "block", v.ModuleIdent: "module", v.BackendVerilog: "backend"}


class Hook:
    """Code a call runs (select fn, __index__, sequence item): makes a call
    drawn beforehand into the same model, or raises, then answers `result`."""

    def __init__(self, call, result, raises=False):
        self.call, self.result, self.raises = call, result, raises

    def __call__(self, *args):
        if self.call:
            self.call()
        if self.raises:
            raise LookupError("from a hook")
        return self.result

    __index__ = __call__

    def __repr__(self):
        return f"Hook({self.call!r}, result={self.result!r}, raises={self.raises})"


class Call:
    """One call, drawn now and made later (at once, in a hook, on a thread)."""
    def __init__(self, seq, fn, label, args=(), kwargs=None, home=True):
        self.seq, self.fn, self.label, self.args, self.kwargs = seq, fn, label, list(args), kwargs or {}
        self.home = home  # made on the sequence's own model

    def __call__(self):
        text = f"{self.label}(*{self.args!r}, **{self.kwargs!r})\n"
        os.write(self.seq.log_fd, text.encode("utf-8", "backslashreplace"))
        result = self.fn(*self.args, **self.kwargs)
        self.seq.keep(result, self)
        return result

    def __repr__(self):
        return f"<{self.label}>"


class Sequence:
    def __init__(self, data, log_fd):
        self.data, self.log_fd = data, log_fd
        self.models = [v.ModelArena(), v.ModelArena()]
        self.made = []      # identities and backends the calls returned
        self.foreign = []   # identities of the other model
        self.karrays = {}   # Karray global id -> (shape, clocked), to draw selections that fit
        self.one_bit = []   # signals known to be one bit wide, for conditions
        self.open = []      # flow blocks initialized and not yet finalized
        self.depth = 0      # hooks inside hooks stop at 2

    def draw(self, strategy):
        return self.data.draw(strategy)

    def chance(self, percent):
        return self.draw(st.integers(0, 99)) < percent

    def odd(self, usual, odd, percent=12):
        return self.draw(odd if self.chance(percent) else usual)

    def pick(self, items):
        """Mostly one of the latest few, so blocks get opened and closed."""
        i = self.draw(st.integers(0, len(items) - 1))
        return items[-1 - i % 3] if self.chance(60) else items[i]

    @staticmethod
    def kind(obj):
        return obj.ccp_type if isinstance(obj, v.CcpIdent) else IDENT_KINDS.get(type(obj))

    def ident(self, kind):
        """Mostly a fitting one: "hcp:REG" a register, "open" the innermost open block."""
        if kind == "open" and self.open and self.chance(80):
            return self.open[-1]
        kind, _, hw = kind.replace("open", "block").partition(":")
        mine = [o for o in self.made if self.kind(o) == kind]
        fits = [o for o in mine if o.hw_type == hw] if hw else mine
        if fits and self.chance(95):
            return self.pick(fits)
        return self.pick(mine) if mine and self.chance(80) else self.bad()

    def bad(self):
        """Any wrong thing: of another kind, of no kind, or calling back."""
        options = [None, 0, -1, "x", 1.5, b"b", [], (), object(), v.Slice(0, 1), v.LogicOp.Assign,
                   lambda: Hook(self.hooked_call(), 1)]
        options += [lambda pool=pool: self.pick(pool) for pool in (self.made, self.foreign) if pool]
        got = self.draw(st.sampled_from(options))
        return got() if callable(got) and not isinstance(got, type) else got

    def seq(self, items):
        """Mostly a list; else a tuple, or a sequence whose length lies."""
        how = self.draw(st.integers(0, 19))
        if how < 19:
            return items if how < 18 else tuple(items)
        claims = [len(items) - 1, len(items) + 1, len(items) + 3, -1, 2**31, 2**40, 2**63]
        return Liar(items, self.draw(st.sampled_from(claims)), Hook(self.hooked_call(), None) if self.chance(30) else None)

    def many(self, one, most):
        return self.seq([one() for _ in range(self.draw(st.integers(0, most)))])

    def hooked_call(self):
        """Often a call that changes what the running call works on."""
        if self.depth >= 2:
            return None
        if self.chance(50):
            return self.random_call()
        self.depth += 1
        try:
            return self.method_call(*self.draw(st.sampled_from(HOOK_METHODS)))
        finally:
            self.depth -= 1

    def arg(self, kind, drawn=()):
        """An argument of `kind`; `drawn` holds the call's arguments so far."""
        if self.chance(4):
            return self.bad()
        if kind in ENUMS:
            return self.odd(st.sampled_from(ENUMS[kind][0]), ENUMS[kind][1])
        if kind in ("sel", "fns", "coord", "clocked"):
            return getattr(self, "arg_" + kind)(*self.karray_of(drawn, first=kind == "clocked"))
        return getattr(self, "arg_" + kind, lambda: self.ident(kind))()

    def karray_of(self, drawn, first):
        """Mostly shape and backing of the Karray the call names last (first: the destination)."""
        karrays = [a for a in drawn if isinstance(a, v.CcpIdent) and a.global_id in self.karrays]
        if karrays and self.chance(85):
            return self.karrays[karrays[0 if first else -1].global_id]
        return [self.draw(st.integers(1, 4)) for _ in range(self.draw(st.integers(0, 3)))], self.arg_flag()

    def arg_name(self):
        return self.odd(st.sampled_from(["a", "b", "x", "top", "s"]), st.sampled_from(NAMES) | st.text(max_size=12), 30)

    def arg_field(self):
        return self.odd(st.sampled_from(["a", "b"]), st.sampled_from(NAMES))

    def arg_int(self):
        if self.chance(3):
            return Hook(self.hooked_call(), self.draw(st.integers(0, 5)), raises=self.chance(30))
        return self.odd(st.integers(0, 12), st.sampled_from(EDGE_INTS))

    def arg_width(self):
        return self.odd(st.integers(1, 70), st.sampled_from(EDGE_WIDTHS))

    def arg_flag(self):
        return self.draw(st.booleans())

    def arg_operand(self):
        return self.ident("hcp") if self.chance(70) else self.arg_int()

    def arg_cond(self):
        return self.pick(self.one_bit) if self.one_bit and self.chance(75) else self.ident("hcp")

    def arg_slice(self, optional=True):
        how = self.draw(st.integers(0, 9))
        if how < 5:
            return None if how < 3 and optional else v.Slice()
        if how < 9:
            start = self.draw(st.integers(0, 7))
            return v.Slice(start, start + self.draw(st.integers(1, 4)))
        bound = st.integers(-2, 9) | st.sampled_from([2**31 - 1, -2**31])
        return v.Slice(self.draw(bound), self.draw(bound))

    def arg_dir(self):
        dirs = ["out/deeper/still", "not_a_dir/x", "a_file", os.getcwd() + "/out", ""]
        return self.odd(st.just("out"), st.sampled_from(dirs), 40)

    def arg_model(self):
        return self.models[self.draw(st.integers(0, 1))]

    def arg_limbs(self):
        return self.many(lambda: self.odd(st.integers(0, 2**64 - 1), st.sampled_from([-1, 2**64])), 3)

    def arg_bits(self):
        return self.many(lambda: (self.ident("hcp"), self.arg_slice(optional=False)), 5)

    def arg_binds(self):
        return self.many(lambda: (self.ident("ARB"), self.draw(st.none() | st.integers(0, 12)),
                                  self.arg_flag(), self.arg_cond() if self.chance(50) else None), 3)

    def arg_shape(self):
        return self.many(lambda: self.odd(st.integers(1, 4), st.sampled_from([0, -1, 2**32, 2**40, 2**64])), 3)

    def arg_fields(self):
        return self.many(lambda: (self.arg_field(), self.odd(st.integers(1, 8), st.sampled_from(EDGE_WIDTHS))), 3)

    def arg_sources(self):
        return self.many(lambda: (self.odd(st.sampled_from(["a", "b", None]), st.text(max_size=3)),
                                  self.arg_operand()), 3)

    def arg_clocked(self, shape, clocked):
        return clocked if self.chance(85) else not clocked

    def arg_coord(self, shape, clocked):
        return self.seq([self.odd(st.integers(0, n - 1), st.sampled_from([n, -1, 2**64 - 1])) for n in shape])

    def arg_sel(self, shape, clocked):
        def one(n):
            kind = self.draw(st.sampled_from(["static"] * 10 + ["dyn"] * 4 + ["reduce"] * 3 + ["cus"] * 2 + ["odd"]))
            return {"static": lambda: (kind, [self.odd(st.integers(0, n - 1), st.sampled_from([n, 2**63]))], []),
                    "dyn": lambda: (kind, [], [self.ident("hcp")]),
                    "cus": lambda: (kind, [], [self.arg_cond() for _ in range(self.odd(st.just(n), st.integers(0, 3)))]),
                    "reduce": lambda: (kind, [], []),
                    "odd": lambda: (self.arg_name(), [1, 2], [self.ident("hcp")])}[kind]()
        return self.seq([one(n) for n in shape])

    def arg_fns(self, shape, clocked):
        def one():
            how = self.draw(st.integers(0, 7))
            if how <= 1:
                return None
            if how <= 4:  # a select fn that answers (condition, extras)
                extras = self.many(lambda: (self.arg_name(), self.ident("hcp")), 2) if self.chance(30) else []
                return Hook(self.hooked_call() if how == 4 else None, (self.arg_cond(), extras))
            if how == 5:
                return Hook(None, None, raises=True)
            return Hook(self.hooked_call(), self.bad() if how == 6 else (self.ident("hcp"), 7))
        return self.seq([one() for _ in shape])

    def keep(self, result, call):
        """Files what a call returned, and what it tells of the model."""
        label, args = call.label, call.args
        for obj in result if isinstance(result, (list, tuple)) else [result]:
            if self.kind(obj):
                (self.made if call.home else self.foreign).append(obj)
        if not call.home:
            return
        if label == "mk_karray" and len(args) == 4 and isinstance(args[1], (list, tuple)):
            self.karrays[result.global_id] = (list(args[1]), args[3] == HW.REG)
        if label.startswith("arb_get") or (label in ("mk_wire", "mk_reg") and args[1:2] == [1]):
            self.one_bit.append(result)
        if label == "initialize_flow_block":
            self.open.append(args[0])
        if label == "finalize_flow_block" and self.open:
            self.open.pop()

    def method_call(self, name, params):
        home = self.chance(93)
        args, kwargs, by_keyword = [], {}, False
        for param, optional in params:
            if optional and self.chance(30):
                by_keyword = True  # omitted: the rest go by keyword
                continue
            kind = kind_of(name, param)
            value = self.arg_slice(optional) if kind == "slice" else self.arg(kind, args + list(kwargs.values()))
            by_keyword = by_keyword or self.chance(5)
            if by_keyword:
                kwargs[param] = value
            else:
                args.append(value)
        if self.chance(2):
            args.append(0)  # one too many
        return Call(self, getattr(self.models[0 if home else 1], name), name, args, kwargs, home)

    def random_call(self):
        """A method of the model, or a use of the backend or value classes."""
        self.depth += 1
        try:
            what = self.draw(st.integers(0, len(METHODS) + 12))
            if what < len(METHODS):
                return self.method_call(*METHODS[what])
            return [lambda: Call(self, v.BackendVerilog, "BackendVerilog", [self.arg_model()]),
                    self.emit_call,
                    lambda: Call(self, v.Slice, "Slice", [self.arg_int() for _ in range(self.draw(st.integers(0, 2)))]),
                    lambda: Call(self, inspect, "inspect", [self.pick(self.made) if self.made else self.bad()]),
                    lambda: Call(self, self.renew_other, "renew_other"),
                    lambda: Call(self, on_thread, "on_thread", [self.random_call()]),
                    self.nest_call, self.block_call][min(what - len(METHODS), 7)]()
        finally:
            self.depth -= 1

    def renew_other(self):  # drops the other model; its identities stay around
        self.models[1] = v.ModelArena()

    def emit_call(self):
        backend, model = self.ident("backend"), self.arg_model()
        emit = backend.emit if isinstance(backend, v.BackendVerilog) else lambda *a: v.BackendVerilog(model).emit(*a)
        # A file name may hold a path; the child stays inside its directory.
        return Call(self, emit, "emit", [self.arg("dir"), self.arg_name().replace("..", "__")])

    def block_call(self):
        make = self.method_call(*self.draw(st.sampled_from(BLOCK_MAKERS)))
        inner = [self.random_call() for _ in range(self.draw(st.integers(0, 4)))] if self.depth < 3 else []
        close, m = self.chance(90), self.models[0]

        def described():
            block = make()
            Call(self, m.initialize_flow_block, "initialize_flow_block", [block])()
            for call in inner:
                swallow(call)
            if close:
                Call(self, m.finalize_flow_block, "finalize_flow_block", [block])()
        return Call(self, described, "block")

    def nest_call(self):
        levels = self.odd(st.integers(1, 100), st.integers(1, 20000), 5)
        return Call(self, nest, "nest", [self.models[0], self.arg_flag(), levels])

    def run(self):
        warnings.simplefilter(self.draw(st.sampled_from(["ignore", "error"])))
        m = self.models[0]
        if self.chance(85):  # a top module with some of everything, often describing behaviour
            do = lambda name, *args: Call(self, getattr(m, name), name, args)()  # noqa: E731
            top = do("mk_module", "top")
            do("set_top_module", top)
            do("track_module_at_com_init", top)
            do("arb_add_leaf", do("mk_arb", "arb", v.ArbSamePriPolicy.AckOne), 1)
            do("mk_wire", "go", 1), do("mk_wire", "w", 4), do("mk_reg", "r", 8)
            do("mk_karray", "kr", [2, 2], [("a", 4), ("b", 1)], HW.REG)
            do("mk_karray", "kw", [3], [("a", 4)], HW.WIRE)
            do("mk_dyn_counter", "cnt", 4), do("mk_mem_blk", "mem", 8, 2)
            if self.chance(60):
                do("untrack_module_at_com_init", top)
                do("track_module_at_flow_init", top)
        for _ in range(self.draw(st.integers(1, 40))):
            swallow(self.random_call())
        swallow(Call(self, m.build_flow, "build_flow"))
        swallow(Call(self, lambda: v.BackendVerilog(m).emit("out", "top"), "emit"))


def inspect(obj):
    repr(obj), obj == obj, obj != 1, hash(obj)
    for attr in ("start", "stop", "size", "global_id", "hw_type", "clocked", "sensitive_type", "block_type",
                 "ccp_type", "depth_level"):
        getattr(obj, attr, None)
    copy.copy(obj)


def on_thread(call):
    t = threading.Thread(target=swallow, args=(call,))
    t.start()
    t.join()


def swallow(call):
    try:
        call()
    except BaseException:  # noqa: BLE001 - every Python exception is an answer
        pass


def nest(m, blocks, levels):
    for i in range(levels):
        if blocks:
            m.initialize_flow_block(m.mk_flow_block_seq(f"s{i}"))
        else:
            m.track_module_at_com_init(m.mk_module(f"m{i}"))


def run_batch(first_seed, count):
    """The child: runs the sequences, the running one's calls in calls.log."""
    log_fd = os.open("calls.log", os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    ran = 0

    @seed(first_seed)
    @settings(max_examples=count, database=None, deadline=None, phases=[Phase.generate],
              suppress_health_check=list(HealthCheck))
    @given(st.data())
    def one(data):
        nonlocal ran
        os.ftruncate(log_fd, 0)
        os.lseek(log_fd, 0, os.SEEK_SET)
        Sequence(data, log_fd).run()
        ran += 1

    one()
    Path("count").write_text(str(ran))


def run_child(first_seed, count):
    """A batch in a child process: (sequences that ran, failure report or None)."""
    # The child imports the package this process imported (say, the checked build).
    package_root = str(Path(v.__file__).resolve().parent.parent)
    env = {**os.environ, "PYTHONPATH": os.pathsep.join([package_root, os.environ.get("PYTHONPATH", "")])}
    with tempfile.TemporaryDirectory(prefix="vorlent-fuzz-") as work:
        Path(work, "a_file").write_text("")
        Path(work, "out/deeper/still").mkdir(parents=True)
        with open(Path(work, "stderr"), "wb") as err:
            try:
                code = subprocess.run([sys.executable, __file__, str(first_seed), str(count)], cwd=work, env=env,
                                      stdout=subprocess.DEVNULL, stderr=err, timeout=300).returncode
            except subprocess.TimeoutExpired:
                code = "a timeout"
        if code == 0:
            return int(Path(work, "count").read_text()), None
        tail = lambda name: Path(work, name).read_text(errors="replace")[-6000:]  # noqa: E731
        return 0, (f"batch {first_seed} ({count} sequences) ended with {code}; rerun it alone with\n"
                   f"    python {__file__} {first_seed} {count}\n"
                   f"--- calls of the last sequence:\n{tail('calls.log')}\n--- stderr:\n{tail('stderr')}")


def test_every_parameter_has_an_argument_kind():
    assert [(name, p) for name, params in METHODS for p, _ in params if kind_of(name, p) is None] == []


def test_random_call_sequences_never_crash():
    total = int(os.environ.get("VORLENT_FUZZ_SEQUENCES", "400"))
    first = int(os.environ.get("VORLENT_FUZZ_SEED", "0"))
    seeds = range(first, first + (total + BATCH - 1) // BATCH)
    with ThreadPoolExecutor(max_workers=min(4, os.cpu_count() or 1)) as pool:
        results = list(pool.map(lambda s: run_child(s, BATCH), seeds))
    failures = [text for _, text in results if text]
    assert not failures, "\n\n".join(failures)
    print(f"{sum(n for n, _ in results)} sequences ran")


if __name__ == "__main__":
    run_batch(int(sys.argv[1]), int(sys.argv[2]))
