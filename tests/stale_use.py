"""Stale use of what the module hands out.

A seeded generator of random programs that mix every accessor and every in-place operation of
ondrex and keep using what they obtained before each change: iterators, element and argument
references, views of draws, the parts returned by the applications' accessors. Errors the module
reports (RuntimeError, TypeError, IndexError, ValueError, ...) are fine; a crash, a sanitizer
report or an inconsistent value is a finding. Run it in its own process, under the sanitizer
build for a verdict on memory (tests/test_stale_use.py does; scripts/stress_stale.sh runs it
long):

    python tests/stale_use.py --seeds 0-99 --calls 100000

Each program prints nothing when it ends well and one summary line per run of the script.
"""

import argparse
import gc
import pickle
import random
import sys
import time

import ondrex
from ondrex import (App, AffApp, Expr, ExprArgs, ExprType, Matrix, SymbolsHist, SymbolsSet,
                    Vector, VectorApp, imm)


def churn():
    """Reuses freed memory, so that a dangling reference or iterator would read other data."""
    junk = [ondrex.symbol("junk") + ondrex.symbol(f"j{i}") for i in range(2000)]
    del junk
    gc.collect()


# What the module raises for a call it refuses; anything else escaping a step is a finding.
REFUSALS = (RuntimeError, TypeError, IndexError, ValueError, OverflowError, MemoryError,
            StopIteration)

# Made by the first program (importing this module creates no symbol: the order of first use
# decides how symbols print).
SYMBOLS = []
ITERATOR_TYPES = ()
# Text longer than this marks an expression worth simplifying before it grows further.
BIG_TEXT = 1500
POOL = 48


class Inconsistent(AssertionError):
    pass


def check(cond, what):
    if not cond:
        raise Inconsistent(what)


class Program:
    """One random program; `run(calls)` performs that many calls on module objects."""

    def __init__(self, seed):
        global ITERATOR_TYPES
        if not SYMBOLS:
            SYMBOLS.extend([ondrex.symbol(f"s{i}") for i in range(6)] +
                           [ondrex.arg_symbol(i) for i in range(2)])
            ITERATOR_TYPES = iterator_types()
        self.rng = random.Random(seed)
        self.pool = [s.copy() for s in SYMBOLS[:3]] + [Vector(3, SYMBOLS[0]), Matrix(2, 2)]
        self.calls = 0
        self.depth = 0
        self.actions = [a for a, w in self.weighted() for _ in range(w)]

    # -- picking ---------------------------------------------------------------------------

    def of(self, *types):
        xs = [x for x in self.pool if isinstance(x, types)]
        return self.rng.choice(xs) if xs else None

    def expr(self):
        e = self.of(Expr)
        return e if e is not None and self.rng.random() < 0.85 else self.rng.choice(SYMBOLS)

    def vector(self, n=None):
        vs = [x for x in self.pool if isinstance(x, Vector) and (n is None or len(x) == n)]
        return self.rng.choice(vs) if vs else Vector(n if n is not None else 3,
                                                     self.rng.choice(SYMBOLS))

    def matrix(self):
        return self.of(Matrix) or Matrix(2, 2, self.rng.choice(SYMBOLS))

    def small(self, hi=8):
        return self.rng.randrange(hi)

    def keep(self, x):
        if x is None or isinstance(x, (bool, int, str)):
            return
        if len(self.pool) >= POOL:
            self.pool[self.rng.randrange(len(self.pool))] = x
        else:
            self.pool.append(x)

    def exprs(self, n):
        return [self.expr() for _ in range(n)]

    # -- accessors: references, views, iterators --------------------------------------------

    def take_args(self):
        nodes = [x for x in self.pool if isinstance(x, Expr) and x.has_args()]
        e = self.rng.choice(nodes) if nodes and self.rng.random() < 0.8 else self.expr()
        self.keep(e.args())

    def take_arg(self):
        a = self.of(ExprArgs)
        if a is not None:
            self.keep(a[self.small(len(a) + 1)])

    def take_element(self):
        v = self.vector()
        i = self.small(len(v) + 1)
        self.keep(v.at(i) if self.rng.random() < 0.5 else v[i])

    def take_slice(self):
        v = self.vector()
        self.keep(v[self.small(4):self.small(8):self.rng.choice([1, 1, 2, -1])])

    def take_matrix_element(self):
        m = self.matrix()
        self.keep(m.at(self.small(3), self.small(3)))

    def take_part(self):
        app = self.of(App, AffApp, VectorApp)
        if app is None:
            return
        names = {App: ["matrix", "cst", "nl", "affine"], AffApp: ["matrix", "cst"],
                 VectorApp: ["vector"]}[type(app)]
        self.keep(getattr(app, self.rng.choice(names))())

    def take_iterator(self):
        x = self.of(ExprArgs, Vector, Matrix, SymbolsSet, SymbolsHist)
        if x is not None:
            self.keep(iter(x))

    def step_iterator(self):
        it = self.of(*ITERATOR_TYPES)
        if it is None:
            return
        if self.rng.random() < 0.2:
            for x in list(it):
                self.keep(x)
        else:
            self.keep(next(it))

    def draw(self):
        k, n = self.small(4), self.small(6)
        budget = [self.small(4)]

        def visit(view):
            self.keep(view)
            if self.rng.random() < 0.5:
                self.keep(iter(view))
            if self.depth < 2:
                self.depth += 1
                try:
                    self.run_steps(self.small(4))
                finally:
                    self.depth -= 1
            budget[0] -= 1
            return budget[0] > 0

        ondrex.algos.draw_without_replacement(k, n, visit)

    def use_view(self):
        v = self.of(ondrex.SetReadOnly)
        if v is not None:
            self.rng.choice([lambda: v.at(self.small(4)), v.size, lambda: list(v)])()

    # -- in-place operations ------------------------------------------------------------------

    def expr_in_place(self):
        e, b = self.expr(), self.expr()
        if any(e is s for s in SYMBOLS):
            e = e.copy()
            self.keep(e)
        op = self.rng.choice(["__iadd__", "__imul__", "__ior__"])
        getattr(e, op)(b)
        self.bound(e)

    def grow_sum(self):
        # Long runs of single terms into one sum (batched for plain objects, not for references),
        # with reads and changes of other objects in between; sometimes checked against the same
        # terms added through a vector element, which adds them one at a time.
        e = self.of(Expr)
        if e is None or any(e is s for s in SYMBOLS):
            return
        twin = None
        if self.rng.random() < 0.2:
            twin = Vector(1)
            twin[0] = e
            ref = twin.at(0)
        for _ in range(self.rng.randrange(1, 300)):
            t = self.rng.choice(SYMBOLS)
            for _ in range(self.small(3)):
                t = t * self.rng.choice(SYMBOLS)
            e += t
            if twin is not None:
                ref += t
            if self.rng.random() < 0.02:
                self.rng.choice([self.read, self.take_args, self.take_iterator, self.arith])()
        if twin is not None:
            check(repr(e) == repr(twin[0]), "a sum built by += differs from one built term by term")
        self.keep(e)
        self.bound(e)

    def uninitialised(self):
        cls = self.rng.choice([Expr, ondrex.ExprSym, Vector, Matrix, SymbolsSet, SymbolsHist,
                               ondrex.SymbolsHistValue, ondrex.ExprArgs])
        x = cls.__new__(cls)
        reads = [lambda x: x + x, lambda x: x.size(), lambda x: list(x), lambda x: pickle.dumps(x),
                 lambda x: self.expr() + x]
        if "__repr__" in vars(cls):
            reads.append(repr)
        try:
            self.rng.choice(reads)(x)
        except (TypeError, AttributeError):
            return
        raise Inconsistent("an object without value was read")

    def pass_in_place(self):
        x = self.of(Expr, Vector, Matrix)
        if x is None or any(x is s for s in SYMBOLS):
            return
        kind = self.rng.randrange(5)
        if kind == 0:
            ondrex.simplify_inplace(x)
        elif kind == 1:
            ondrex.subs_exprs_inplace(x, self.exprs(1), self.exprs(1))
        elif kind == 2:
            ondrex.expand_esf_inplace(x)
        elif kind == 3:
            ondrex.or_to_esf_inplace(x)
        else:
            ondrex.identify_ors_inplace(x)
        if isinstance(x, Expr):
            self.bound(x)

    def vector_in_place(self):
        v = self.vector()
        kind = self.rng.randrange(8)
        if kind == 0:
            v += self.vector(len(v))
        elif kind == 1:
            v *= self.vector(len(v)) if self.rng.random() < 0.5 else self.expr()
        elif kind == 2:
            v |= self.vector(len(v))
        elif kind == 3:
            v.set_null()
        elif kind == 4:
            v.set_int_be(self.rng.getrandbits(16), self.rng.choice([len(v), self.small(10), 65]))
        elif kind == 5:
            v.set_int_le(self.rng.getrandbits(16), self.rng.choice([len(v), self.small(10)]))
        else:
            v[self.small(len(v) + 1)] = self.expr()

    def matrix_in_place(self):
        m, o = self.matrix(), self.matrix()
        m += o

    def set_insert(self):
        s = self.of(SymbolsSet)
        if s is None:
            self.keep(SymbolsSet())
        else:
            s.insert(self.expr() if self.rng.random() < 0.3 else self.rng.choice(SYMBOLS))

    def hist_compute(self):
        h = self.of(SymbolsHist)
        if h is None:
            self.keep(SymbolsHist())
            return
        e = self.expr()
        if self.rng.random() < 0.5:
            e = ondrex.simplify(e)
        if self.rng.random() < 0.5:
            h.compute(e)
        else:
            h.compute(e, self.small(4))

    # -- building --------------------------------------------------------------------------

    def build(self):
        kind = self.rng.randrange(10)
        a, b = self.expr(), self.expr()
        if kind == 0:
            self.keep(self.rng.choice([a + b, a * b, a | b]))
        elif kind == 1:
            self.keep(ondrex.esf(self.small(4), self.exprs(self.small(4))))
        elif kind == 2:
            t = self.rng.choice([ExprType.add, ExprType.mul, ExprType.or_])
            args = self.of(ExprArgs)
            self.keep(ondrex.ExprWithArgs(t, args if args is not None and self.rng.random() < 0.3
                                          else self.exprs(self.small(4))))
        elif kind == 3:
            n = self.small(5)
            self.keep(Vector(n, a) if self.rng.random() < 0.5 else Vector(self.vector()))
        elif kind == 4:
            n, m = 1 + self.small(3), 1 + self.small(3)

            def cell(i, j):
                # The callback itself changes and reads the pool while the matrix is built.
                if self.depth < 2 and self.rng.random() < 0.3:
                    self.depth += 1
                    try:
                        self.run_steps(1)
                    finally:
                        self.depth -= 1
                return self.expr()

            self.keep(Matrix(n, m, cell) if self.rng.random() < 0.5 else Matrix(n, m, a))
        elif kind == 5:
            self.keep(AffApp(self.matrix(), self.vector()))
        elif kind == 6:
            self.keep(VectorApp(self.vector(), self.vector()))
        elif kind == 7:
            aff, vapp = self.of(AffApp), self.of(VectorApp)
            if aff is not None and vapp is not None:
                self.keep(App(vapp, aff))
        elif kind == 8:
            n = 1 + self.small(4)
            ins = Vector(n)
            for i in range(n):
                ins[i] = SYMBOLS[i]
            outs = self.vector()
            self.keep(ondrex.analyses.vectorial_decomp(ins, ondrex.simplify(outs)))
        else:
            self.keep(ondrex.esf_vector(self.small(3), [self.vector(3), self.vector(3)]))

    # -- reading ---------------------------------------------------------------------------

    def read(self):
        x = self.rng.choice(self.pool) if self.pool else self.expr()
        kind = self.rng.randrange(6)
        if kind == 0:
            repr(x)
        elif kind == 1 and isinstance(x, Expr):
            c = x.copy()
            check(c == x and hash(c) == hash(x) and repr(c) == repr(x) and not c < x,
                  "a copy differs from its original")
        elif kind == 2 and isinstance(x, (Vector, Matrix, ExprArgs, SymbolsSet, SymbolsHist)):
            check(len(list(x)) == len(x), "iteration and length disagree")
        elif kind == 3 and isinstance(x, Expr):
            # Hashes and compares the expressions of the pool among themselves.
            exprs = {e for e in self.pool if isinstance(e, Expr)} | set(SYMBOLS)
            check(x in exprs, "an expression is missing from a set holding it")
            sorted(exprs)
        elif kind == 4 and isinstance(x, Expr):
            self.rng.choice([x.has_args, x.type, x.name, x.sym_idx, x.imm_value, x.esf_degree,
                             x.anf_esf_max_degree, lambda: x.contains(self.expr()),
                             lambda: x.eval({s: imm(self.small(2)) for s in SYMBOLS})])()
        elif kind == 4 and isinstance(x, Vector):
            self.rng.choice([x.get_int_be, x.get_int_le, lambda: x << self.small(4),
                             lambda: x >> self.small(4), lambda: Vector(x),
                             lambda: x == self.vector(), lambda: x.at(self.small(4)).copy()])()
        elif isinstance(x, (Expr, Vector, Matrix)):
            self.rng.choice([ondrex.simplify, ondrex.expand_esf, ondrex.or_to_esf,
                             lambda y: ondrex.subs_exprs(y, self.exprs(1), self.exprs(1)),
                             lambda y: ondrex.subs_vectors(y, [self.vector()],
                                                           [self.rng.getrandbits(8)])])(x)
        elif kind == 4 and isinstance(x, Matrix):
            self.rng.choice([x.inverse, x.nlines, x.ncols, lambda: x.same_size(self.matrix()),
                             lambda: x * self.matrix(), lambda: x * self.vector(),
                             lambda: Matrix.identity(x.nlines())])()
        elif isinstance(x, (App, AffApp, VectorApp)):
            x(self.vector())
        elif isinstance(x, SymbolsSet):
            self.rng.choice([x.size, x.empty, lambda: self.expr() in x,
                             lambda: x.has(self.expr())])()
        elif isinstance(x, SymbolsHist):
            self.rng.choice([x.size, x.empty])()
        elif isinstance(x, ExprArgs):
            self.rng.choice([x.size, x.len, lambda: ondrex.ExprWithArgs(ExprType.add, x)])()
        elif isinstance(x, ondrex.SymbolsHistValue):
            x.sym(), x.count()

    def arith(self):
        a, b = self.rng.choice([(self.expr(), self.expr()), (self.vector(), self.vector()),
                                (self.matrix(), self.matrix()), (self.matrix(), self.vector()),
                                (self.vector(), self.expr())])
        self.keep(self.rng.choice([lambda: a + b, lambda: a * b, lambda: a | b])())

    def pickle_iterator(self):
        it = self.of(*ITERATOR_TYPES)
        if it is not None:
            try:
                pickle.dumps(it, self.small(6))
            except TypeError:
                return
            raise Inconsistent("an iterator was pickled")

    def forget(self):
        if self.pool:
            del self.pool[self.rng.randrange(len(self.pool))]
        if self.rng.random() < 0.02:
            churn()

    # -- driving ---------------------------------------------------------------------------

    def bound(self, e):
        # Keeps expressions small: the point is the order of calls, not the size of the trees.
        if len(repr(e)) > BIG_TEXT:
            ondrex.simplify_inplace(e)
            if len(repr(e)) > BIG_TEXT:
                ondrex.subs_exprs_inplace(e, [e.copy()], [self.rng.choice(SYMBOLS)])

    def weighted(self):
        return [(self.take_args, 6), (self.take_arg, 6), (self.take_element, 5),
                (self.take_slice, 1), (self.take_matrix_element, 2), (self.take_part, 3),
                (self.take_iterator, 8), (self.step_iterator, 10), (self.draw, 1),
                (self.use_view, 2), (self.expr_in_place, 10), (self.pass_in_place, 5),
                (self.vector_in_place, 8), (self.matrix_in_place, 2), (self.set_insert, 2),
                (self.hist_compute, 2), (self.build, 6), (self.read, 12), (self.arith, 3),
                (self.pickle_iterator, 1), (self.forget, 6), (self.grow_sum, 2),
                (self.uninitialised, 1)]

    def run_steps(self, n):
        for _ in range(n):
            self.calls += 1
            try:
                self.rng.choice(self.actions)()
            except REFUSALS:
                pass

    def run(self, calls):
        while self.calls < calls:
            self.run_steps(min(1000, calls - self.calls))
        self.pool.clear()
        gc.collect()
        return self.calls


def iterator_types():
    v, s, h = Vector(1), SymbolsSet(), SymbolsHist()
    views = []
    ondrex.algos.draw_without_replacement(0, 0, lambda view: views.append(iter(view)))
    return tuple({type(iter((SYMBOLS[0] + SYMBOLS[1]).args())), type(iter(v)),
                  type(iter(Matrix(1, 1))), type(iter(s)), type(iter(h)), type(views[0])})


def seed_range(text):
    lo, _, hi = text.partition("-")
    return range(int(lo), int(hi or lo) + 1)


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--seeds", type=seed_range, default=range(0, 1),
                   help="seeds to run, one program each: N or FIRST-LAST")
    p.add_argument("--calls", type=int, default=10000, help="calls per program")
    p.add_argument("--minutes", type=float, default=0,
                   help="stop starting new programs after this long (0: run every seed)")
    args = p.parse_args(argv)
    start, total, done = time.monotonic(), 0, 0
    for seed in args.seeds:
        if args.minutes and time.monotonic() - start > 60 * args.minutes:
            break
        try:
            total += Program(seed).run(args.calls)
        except Inconsistent as err:
            print(f"seed {seed}: inconsistent value: {err}", file=sys.stderr)
            raise
        done += 1
    print(f"stale use: {done} programs, {total} calls, {time.monotonic() - start:.1f} s")


if __name__ == "__main__":
    main()
