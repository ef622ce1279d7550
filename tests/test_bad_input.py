"""Bad input through Python: every public callable refuses wrong arguments with a Python exception
of a documented kind (TypeError, IndexError, ValueError, MemoryError, RuntimeError with the core's
text, or the exception a callback raised), never crashes, and leaves its arguments as they were.

Each row builds fresh arguments, takes a copy of every expression, vector, matrix and list among
them, makes the call and compares the arguments with the copies afterwards."""

import collections.abc
import operator

import pytest

import helpers
import ondrex
from interface import ADDED_MODULE_NAMES, MODULE_NAMES, all_members
from ondrex import Expr, ExprType, Matrix, Vector

x, y, z, w = (ondrex.symbol(n) for n in ("bad_x", "bad_y", "bad_z", "bad_w"))

BAD_TYPE_ARGS = (r"^Bad expression type: expected an argument "
                 r"\(ExprAdd, ExprMul, ExprOr or ExprESF\)")
SIZE = "^size mismatch$"
CAST = "^Unable to cast Python instance of type"
INVALID_SIZES = (r"^incompatible sizes of M and V: expected M a square matrix of the size of "
                 r"V\.$")
NOT_IMM = "^Expected a vector with only immediates$"

BIG = 1 << 17


def big_sum(first=0):
    """A sum of 2**17 argument symbols: products with it are far beyond any machine's memory."""
    return helpers.big_sum(first, BIG)


def xyz():
    return x + y + z


def vec():
    return Vector(3, x * y)


def vxyz():
    v = Vector(3)
    v[0], v[1], v[2] = x, y + z, ondrex.imm(1)
    return v


def mat():
    return Matrix(2, 2, lambda i, j: x if i == j else y * z)


def aff():
    return ondrex.AffApp(Matrix.identity(2), Vector(2, x))


def vapp():
    return ondrex.VectorApp(Vector(2, x), Vector(1, x * y))


def app_mismatched():
    # Three outputs in the non-linear part, two lines in the affine part: fails when called.
    return ondrex.App(ondrex.VectorApp(Vector(2), Vector(3)), aff())


def hist_value():
    h = ondrex.SymbolsHist()
    h.compute(x * y + x)
    return next(iter(h))


def raising(exc):
    def f(*_):
        raise exc("from the callback")

    return f


class BrokenMapping(collections.abc.Mapping):
    """A mapping whose every access raises."""

    def __getitem__(self, k):
        raise KeyError(k)

    def __iter__(self):
        raise LookupError("broken iteration")

    def __len__(self):
        return 1


class Row:
    def __init__(self, name, make, exc, match=None, note=""):
        self.name, self.make, self.exc, self.match, self.note = name, make, exc, match, note

    def __repr__(self):
        return f"{self.name}[{self.note}]" if self.note else self.name


def method(cls_name, member):
    """The call `obj.member(*rest)` as a plain function of (obj, *rest)."""
    cls = getattr(ondrex, cls_name)
    return getattr(cls, member)


def row(name, args, exc, match=None, note="", f=None):
    """A table row: `name` is the callable's public name; `args` builds its arguments."""
    if f is None:
        owner, _, member = name.rpartition(".")
        if isinstance(getattr(ondrex, owner, None), type):
            f = method(owner, member) if member != "__init__" else getattr(ondrex, owner)
        elif owner in ("analyses", "algos"):
            f = getattr(getattr(ondrex, owner), member)
        else:
            f = getattr(ondrex, member)
    return Row(name, lambda: (f, args()), exc, match, note)


def op(name, fn, args, exc, match=None, note=""):
    """A row for an operator, called through the operator module (so Python's own fallback for
    NotImplemented is part of the call)."""
    return row(name, args, exc, match, note, f=fn)


def wrong_self(name, other=lambda: 5):
    """The member called on an object of another class."""
    return row(name, lambda: (other(),), TypeError, note="foreign self")


def expr_args():
    return xyz().args()


def wide_or():
    return ondrex.ExprWithArgs(ExprType.or_, [ondrex.arg_symbol(i) for i in range(256)])


def vxyz_wide_or():
    v = vxyz()
    v[1] = x | y
    v[2] = wide_or()
    return v


def inputs(n=3, first=0):
    return Vector([ondrex.arg_symbol(first + i) for i in range(n)])


def anf_xyz():
    return ondrex.anf(x * y + z + ondrex.imm(1))


ROWS = [
    # ExprArgs: no constructor, indices checked.
    row("ExprArgs.__init__", lambda: (), TypeError, "No constructor defined!$"),
    wrong_self("ExprArgs.__iter__", vec),
    wrong_self("ExprArgs.size"),
    wrong_self("ExprArgs.len", xyz),
    wrong_self("ExprArgs.__len__", vec),
    row("ExprArgs.__getitem__", lambda: (expr_args(), 3), IndexError, note="past end"),
    row("ExprArgs.__getitem__", lambda: (expr_args(), 2**63), IndexError, note="2**63"),
    row("ExprArgs.__getitem__", lambda: (expr_args(), -1), TypeError, note="negative"),
    row("ExprArgs.__getitem__", lambda: (expr_args(), 2**64), TypeError, note="2**64"),
    row("ExprArgs.__getitem__", lambda: (expr_args(), 1.0), TypeError, note="float"),
    row("ExprArgs.__getitem__", lambda: (expr_args(), None), TypeError, note="None"),
    # Expr
    row("Expr.__init__", lambda: (), TypeError, "No constructor defined!$"),
    wrong_self("Expr.has_args"),
    op("Expr.__add__", operator.add, lambda: (xyz(), None), TypeError),
    op("Expr.__add__", operator.add, lambda: (xyz(), 1), TypeError, note="int"),
    op("Expr.__iadd__", operator.iadd, lambda: (xyz(), 1.5), TypeError),
    op("Expr.__iadd__", operator.iadd, lambda: (xyz(), vec()), TypeError, note="Vector"),
    op("Expr.__mul__", operator.mul, lambda: (x, vec()), TypeError, note="Expr * Vector"),
    op("Expr.__imul__", operator.imul, lambda: (xyz(), None), TypeError),
    op("Expr.__or__", operator.or_, lambda: (xyz(), True), TypeError),
    op("Expr.__ior__", operator.ior, lambda: (xyz(), [x]), TypeError),
    wrong_self("Expr.__repr__", vec),
    row("Expr.__eq__", lambda: (x, None), TypeError),
    row("Expr.__eq__", lambda: (x, 0), TypeError, note="int"),
    row("Expr.__ne__", lambda: (x, "x"), TypeError),
    row("Expr.__lt__", lambda: (x, 1.0), TypeError),
    row("Expr.args", lambda: (x,), RuntimeError, BAD_TYPE_ARGS + ", got 'Sym'$"),
    row("Expr.args", lambda: (ondrex.imm(1),), RuntimeError, BAD_TYPE_ARGS + ", got 'Imm'$",
        note="imm"),
    wrong_self("Expr.type"),
    row("Expr.sym_idx", lambda: (ondrex.imm(0),), RuntimeError,
        "^Bad expression type: expected 'Sym', got 'Imm'$"),
    row("Expr.imm_value", lambda: (xyz(),), RuntimeError,
        "^Bad expression type: expected 'Imm', got 'Add'$"),
    wrong_self("Expr.is_imm"),
    wrong_self("Expr.is_sym"),
    wrong_self("Expr.is_add"),
    wrong_self("Expr.is_mul"),
    wrong_self("Expr.is_esf"),
    wrong_self("Expr.name"),
    row("Expr.contains", lambda: (xyz(), None), TypeError),
    row("Expr.contains", lambda: (xyz(), vec()), TypeError, note="Vector"),
    wrong_self("Expr.anf_esf_max_degree", vec),
    row("Expr.esf_degree", lambda: (x * y,), RuntimeError,
        "^Bad expression type: expected 'SF', got 'Mul'$"),
    wrong_self("Expr.copy"),
    wrong_self("Expr.__hash__", vec),
    row("Expr.eval", lambda: (xyz(), None), TypeError),
    row("Expr.eval", lambda: (xyz(), {x: 1}), TypeError, note="int value"),
    row("Expr.eval", lambda: (xyz(), {x: None}), TypeError, note="None value"),
    row("Expr.eval", lambda: (xyz(), {1: x}), TypeError, note="int key"),
    row("Expr.eval", lambda: (xyz(), [(x, y)]), TypeError, note="list of pairs"),
    row("Expr.eval", lambda: (xyz(), BrokenMapping()), LookupError, "broken iteration",
        note="raising mapping"),
    row("Expr.eval", lambda: (big_sum() * big_sum(BIG), {x: y}), MemoryError,
        note="huge expansion"),
    # ExprWithArgs
    row("ExprWithArgs", lambda: (ExprType.add, None), TypeError),
    row("ExprWithArgs", lambda: (ExprType.add, (x, y)), TypeError, note="tuple"),
    row("ExprWithArgs", lambda: (3, [x, y]), TypeError, note="int kind"),
    row("ExprWithArgs", lambda: (ExprType.add, [x, None]), TypeError, note="None elt"),
    row("ExprWithArgs", lambda: (ExprType.mul, [x, vec()]), RuntimeError, CAST, note="Vector"),
    row("ExprWithArgs", lambda: (ExprType.esf, [x, y]), RuntimeError,
        BAD_TYPE_ARGS + ", got 'invalid'$", note="esf kind"),
    row("ExprWithArgs", lambda: (ExprType.sym, expr_args()), RuntimeError,
        BAD_TYPE_ARGS + ", got 'invalid'$", note="ExprArgs, sym kind"),
    # Vector
    row("Vector.__init__", lambda: (-1,), TypeError),
    row("Vector.__init__", lambda: (2**64,), TypeError, note="2**64"),
    row("Vector.__init__", lambda: (1.0,), TypeError, note="float"),
    row("Vector.__init__", lambda: (None,), TypeError, note="None"),
    row("Vector.__init__", lambda: ([x, None],), TypeError, note="list with None"),
    row("Vector.__init__", lambda: ([x, 1],), RuntimeError, CAST + r" <class 'int'> to C\+\+ type",
        note="list with int"),
    row("Vector.__init__", lambda: ((x, y),), TypeError, note="tuple"),
    row("Vector.__init__", lambda: (3, None), TypeError, note="None element"),
    row("Vector.__init__", lambda: (2**40,), MemoryError, note="2**40"),
    row("Vector.__init__", lambda: (2**63,), MemoryError, note="2**63"),
    row("Vector.__init__", lambda: (2**40, x), MemoryError, note="2**40 copies"),
    row("Vector.__init__", lambda: (2**20, big_sum()), MemoryError, note="2**20 huge copies"),
    row("Vector.at", lambda: (vec(), 3), IndexError),
    row("Vector.at", lambda: (vec(), 2**63), IndexError, note="2**63"),
    row("Vector.at", lambda: (vec(), -1), TypeError, note="negative"),
    row("Vector.at", lambda: (vec(), 2**64), TypeError, note="2**64"),
    wrong_self("Vector.size", mat),
    wrong_self("Vector.set_null", mat),
    row("Vector.set_int_be", lambda: (vec(), -1, 4), TypeError),
    row("Vector.set_int_be", lambda: (vec(), 2**64, 4), TypeError, note="2**64"),
    row("Vector.set_int_be", lambda: (vec(), 1, 65536), TypeError, note="65536 bits"),
    row("Vector.set_int_be", lambda: (vec(), 1.0, 4), TypeError, note="float"),
    row("Vector.set_int_le", lambda: (vec(), 1, -1), TypeError),
    row("Vector.set_int_le", lambda: (vec(), 1, 2**63), TypeError, note="2**63 bits"),
    row("Vector.set_int_le", lambda: (vec(), None, 4), TypeError, note="None"),
    row("Vector.get_int_be", lambda: (vxyz(),), RuntimeError, NOT_IMM),
    row("Vector.get_int_le", lambda: (vxyz(),), RuntimeError, NOT_IMM),
    wrong_self("Vector.__iter__", mat),
    op("Vector.__add__", operator.add, lambda: (vec(), Vector(4)), RuntimeError, SIZE),
    op("Vector.__add__", operator.add, lambda: (vec(), x), TypeError, note="Expr"),
    op("Vector.__iadd__", operator.iadd, lambda: (vec(), Vector(2)), RuntimeError, SIZE),
    op("Vector.__iadd__", operator.iadd, lambda: (vec(), mat()), TypeError, note="Matrix"),
    op("Vector.__mul__", operator.mul, lambda: (vec(), Vector(0)), RuntimeError, SIZE),
    op("Vector.__mul__", operator.mul, lambda: (vec(), 2), TypeError, note="int"),
    op("Vector.__mul__", operator.mul, lambda: (Vector(2**20, x), big_sum()), MemoryError,
       note="huge copies"),
    op("Vector.__imul__", operator.imul, lambda: (vec(), Vector(5)), RuntimeError, SIZE),
    op("Vector.__imul__", operator.imul, lambda: (Vector(2**20, x), big_sum()), MemoryError,
       note="huge copies"),
    op("Vector.__or__", operator.or_, lambda: (vec(), None), TypeError),
    op("Vector.__ior__", operator.ior, lambda: (vec(), Vector(1)), RuntimeError, SIZE),
    row("Vector.__getitem__", lambda: (vec(), 3), IndexError),
    row("Vector.__getitem__", lambda: (vec(), -1), TypeError, note="negative"),
    row("Vector.__getitem__", lambda: (vec(), "0"), TypeError, note="str"),
    row("Vector.__getitem__", lambda: (vec(), slice(None, None, 0)), ValueError, note="step 0"),
    row("Vector.__setitem__", lambda: (vec(), 3, x), IndexError),
    row("Vector.__setitem__", lambda: (vec(), 0, None), TypeError, note="None"),
    row("Vector.__setitem__", lambda: (vec(), -1, x), TypeError, note="negative"),
    row("Vector.__setitem__", lambda: (vec(), slice(0, 1), x), TypeError, note="slice"),
    wrong_self("Vector.__len__", mat),
    wrong_self("Vector.__repr__", mat),
    row("Vector.__lshift__", lambda: (vec(), -1), TypeError),
    row("Vector.__lshift__", lambda: (vec(), 2**64), TypeError, note="2**64"),
    row("Vector.__rshift__", lambda: (vec(), None), TypeError),
    row("Vector.__eq__", lambda: (vec(), None), TypeError),
    row("Vector.__ne__", lambda: (vec(), [x, x, x]), TypeError),
    # Matrix
    row("Matrix.__init__", lambda: (-1, 2), TypeError),
    row("Matrix.__init__", lambda: (2, 2**64), TypeError, note="2**64"),
    row("Matrix.__init__", lambda: (2.0, 2), TypeError, note="float"),
    row("Matrix.__init__", lambda: (2**31, 2**31), MemoryError, note="2**62 elements"),
    row("Matrix.__init__", lambda: (2**32, 2**32), MemoryError, note="2**64 elements"),
    row("Matrix.__init__", lambda: (2**20, 2**20, x), MemoryError, note="2**40 copies"),
    row("Matrix.__init__", lambda: (2**31, 2**31, raising(AssertionError)), MemoryError,
        note="huge, callable never called"),
    row("Matrix.__init__", lambda: (2, 2, raising(ZeroDivisionError)), ZeroDivisionError,
        "from the callback", note="raising callable"),
    row("Matrix.__init__", lambda: (2, 2, lambda i, j: i + j), RuntimeError, CAST,
        note="callable returns int"),
    row("Matrix.__init__", lambda: (2, 2, lambda i, j: None if j else x), TypeError,
        note="callable returns None"),
    row("Matrix.__init__", lambda: (2, 2, lambda i: x), TypeError, note="callable arity"),
    row("Matrix.__init__", lambda: (2, 2, 1.5), TypeError, note="not callable"),
    wrong_self("Matrix.nlines", vec),
    wrong_self("Matrix.ncols", vec),
    row("Matrix.same_size", lambda: (mat(), vec()), TypeError),
    wrong_self("Matrix.inverse", vec),
    row("Matrix.at", lambda: (mat(), 2, 0), IndexError),
    row("Matrix.at", lambda: (mat(), 0, 2), IndexError, note="column"),
    row("Matrix.at", lambda: (mat(), 0, -1), TypeError, note="negative"),
    row("Matrix.at", lambda: (mat(), 2**64, 0), TypeError, note="2**64"),
    op("Matrix.__add__", operator.add, lambda: (mat(), Matrix(2, 3)), RuntimeError, SIZE),
    op("Matrix.__add__", operator.add, lambda: (mat(), vec()), TypeError, note="Vector"),
    op("Matrix.__iadd__", operator.iadd, lambda: (mat(), Matrix(1, 4)), RuntimeError, SIZE),
    op("Matrix.__mul__", operator.mul, lambda: (mat(), Matrix(3, 3)), RuntimeError, SIZE),
    op("Matrix.__mul__", operator.mul, lambda: (mat(), Vector(3)), RuntimeError, SIZE,
       note="Vector"),
    op("Matrix.__mul__", operator.mul, lambda: (mat(), x), TypeError, note="Expr"),
    op("Matrix.__mul__", operator.mul, lambda: (Matrix(2**15, 1), Matrix(1, 2**15)), MemoryError,
       note="2**30 entries"),
    row("Matrix.identity", lambda: (-1,), TypeError),
    row("Matrix.identity", lambda: (mat(), 2), TypeError, note="on an instance"),
    row("Matrix.identity", lambda: (2**40,), MemoryError, note="2**40"),
    wrong_self("Matrix.__iter__", vec),
    wrong_self("Matrix.__repr__", vec),
    row("Matrix.__eq__", lambda: (mat(), None), TypeError),
    row("Matrix.__ne__", lambda: (mat(), vec()), TypeError),
    # Applications
    row("AffApp.__init__", lambda: (Matrix(2, 2), Vector(3)), RuntimeError, INVALID_SIZES),
    row("AffApp.__init__", lambda: (vec(), mat()), TypeError, note="swapped"),
    row("AffApp.__call__", lambda: (aff(), Vector(3)), RuntimeError, SIZE),
    row("AffApp.__call__", lambda: (aff(), None), TypeError, note="None"),
    wrong_self("AffApp.matrix", vapp),
    wrong_self("AffApp.cst", mat),
    wrong_self("AffApp.__repr__", vapp),
    row("VectorApp.__init__", lambda: (vec(), [x]), TypeError),
    row("VectorApp.__init__", lambda: (None, vec()), TypeError, note="None"),
    row("VectorApp.__call__", lambda: (vapp(), x), TypeError),
    wrong_self("VectorApp.vector", aff),
    wrong_self("VectorApp.__repr__", aff),
    row("App.__init__", lambda: (aff(), vapp()), TypeError),
    row("App.__call__", lambda: (app_mismatched(), Vector(2)), RuntimeError, SIZE),
    row("App.__call__", lambda: (app_mismatched(), mat()), TypeError, note="Matrix"),
    wrong_self("App.matrix", aff),
    wrong_self("App.cst", aff),
    wrong_self("App.nl", vapp),
    wrong_self("App.affine", aff),
    wrong_self("App.__repr__", vapp),
    # Symbol containers
    row("SymbolsSet.__init__", lambda: (x,), TypeError),
    row("SymbolsSet.insert", lambda: (ondrex.SymbolsSet(), xyz()), RuntimeError,
        "^Bad expression type: expected 'Sym', got 'Add'$"),
    row("SymbolsSet.insert", lambda: (ondrex.SymbolsSet(), None), TypeError, note="None"),
    row("SymbolsSet.has", lambda: (ondrex.SymbolsSet(), ondrex.imm(1)), RuntimeError,
        "^Bad expression type: expected 'Sym', got 'Imm'$"),
    row("SymbolsSet.__contains__", lambda: (ondrex.SymbolsSet(), 0), TypeError),
    wrong_self("SymbolsSet.size"),
    wrong_self("SymbolsSet.empty", ondrex.SymbolsHist),
    wrong_self("SymbolsSet.__iter__", ondrex.SymbolsHist),
    wrong_self("SymbolsSet.__len__", vec),
    row("SymbolsHist.__init__", lambda: (None,), TypeError),
    row("SymbolsHist.compute", lambda: (ondrex.SymbolsHist(), None), TypeError),
    row("SymbolsHist.compute", lambda: (ondrex.SymbolsHist(), x * y + x, -1), TypeError,
        note="negative degree"),
    row("SymbolsHist.compute", lambda: (ondrex.SymbolsHist(), x * y + x, 2**32), TypeError,
        note="2**32"),
    wrong_self("SymbolsHist.size", ondrex.SymbolsSet),
    wrong_self("SymbolsHist.empty", ondrex.SymbolsSet),
    wrong_self("SymbolsHist.__iter__", ondrex.SymbolsSet),
    wrong_self("SymbolsHist.__len__", ondrex.SymbolsSet),
    row("SymbolsHistValue.__init__", lambda: (), TypeError, "No constructor defined!$"),
    wrong_self("SymbolsHistValue.sym", ondrex.SymbolsSet),
    row("SymbolsHistValue.count", lambda: (hist_value(), 1), TypeError, note="extra argument"),
    wrong_self("SymbolsHistValue.__repr__", xyz),
    # Module functions
    row("imm", lambda: (None,), TypeError),
    row("imm", lambda: (1.0,), TypeError, note="float"),
    row("imm", lambda: (2**31,), TypeError, note="beyond int32"),
    row("imm", lambda: ("1",), TypeError, note="str"),
    row("symbol", lambda: (None,), TypeError),
    row("symbol", lambda: (1,), TypeError, note="int"),
    row("symbol", lambda: ("\ud800",), TypeError, note="lone surrogate"),
    row("symbol", lambda: ("a\0b",), ValueError, "NUL", note="embedded NUL"),
    row("arg_symbol", lambda: (-1,), TypeError),
    row("arg_symbol", lambda: (2**32,), TypeError, note="2**32"),
    row("arg_symbol", lambda: (1.0,), TypeError, note="float"),
    row("esf", lambda: (256, [x, y, z]), TypeError),
    row("esf", lambda: (-1, [x, y, z]), TypeError, note="negative"),
    row("esf", lambda: (2, (x, y, z)), TypeError, note="tuple"),
    row("esf", lambda: (2, [x, None, z]), TypeError, note="None element"),
    row("esf_vector", lambda: (2, [vec(), None]), TypeError),
    row("esf_vector", lambda: (2, [vec(), x]), RuntimeError, CAST, note="Expr element"),
    row("esf_vector", lambda: (2, None), TypeError, note="None"),
    row("esf_vector", lambda: (2, [vec(), Vector(2)]), RuntimeError, SIZE, note="lengths"),
    row("simplify_inplace", lambda: (None,), TypeError),
    row("simplify_inplace", lambda: ([x],), TypeError, note="list"),
    row("simplify_inplace", lambda: (big_sum() * big_sum(BIG),), MemoryError, note="huge"),
    row("simplify", lambda: (5,), TypeError),
    row("simplify", lambda: (big_sum() * big_sum(BIG) * (x + y),), MemoryError, note="huge"),
    row("simplify", lambda: (Vector(2, big_sum() * big_sum(BIG)),), MemoryError,
        note="huge Vector"),
    row("simplify", lambda: (Matrix(1, 1, big_sum() * big_sum(BIG)),), MemoryError,
        note="huge Matrix"),
    row("subs_vectors", lambda: (xyz(), [vxyz()], [2**64]), RuntimeError, CAST),
    row("subs_vectors", lambda: (xyz(), [vxyz()], [-1]), RuntimeError, CAST, note="negative"),
    row("subs_vectors", lambda: (xyz(), [vxyz()], [1.0]), RuntimeError, CAST, note="float"),
    row("subs_vectors", lambda: (xyz(), [vxyz()], [None]), RuntimeError, CAST, note="None"),
    row("subs_vectors", lambda: (vec(), [x], [1]), RuntimeError, CAST, note="Expr, not Vector"),
    row("subs_vectors", lambda: (mat(), (vxyz(),), [1]), TypeError, note="tuple"),
    row("subs_vectors", lambda: (None, [], []), TypeError, note="None"),
    row("subs_vectors", lambda: (xyz(), [vxyz()], [1, 2]), RuntimeError, SIZE, note="lengths"),
    row("subs_exprs_inplace", lambda: (xyz(), [x, y], [z, None]), TypeError),
    row("subs_exprs_inplace", lambda: (vec(), [x, 1], [z, y]), RuntimeError, CAST, note="key"),
    row("subs_exprs_inplace", lambda: (mat(), [x], [y, z]), RuntimeError, SIZE, note="lengths"),
    row("subs_exprs_inplace", lambda: (xyz(), {x: y}, [z]), TypeError, note="dict"),
    row("subs_exprs", lambda: (mat(), [x], [None]), TypeError),
    row("subs_exprs", lambda: (vec(), [x, y], [z]), RuntimeError, SIZE, note="lengths"),
    row("subs_exprs", lambda: ([x], [x], [y]), TypeError, note="list"),
    row("expand_esf_inplace", lambda: (None,), TypeError),
    row("expand_esf_inplace", lambda: (mat(),), TypeError, note="Matrix"),
    row("expand_esf_inplace", lambda: (ondrex.esf(40, [ondrex.arg_symbol(i) for i in range(80)]),),
        MemoryError, note="binomial(80, 40) monomials"),
    row("expand_esf", lambda: ("esf",), TypeError),
    row("expand_esf", lambda: (Vector(2, ondrex.esf(30, [ondrex.arg_symbol(i)
                                                         for i in range(70)])),),
        MemoryError, note="binomial(70, 30) monomials"),
    row("or_to_esf_inplace", lambda: (None,), TypeError),
    row("or_to_esf_inplace", lambda: (wide_or(),), ValueError, "more than 255 arguments",
        note="256 arguments"),
    row("or_to_esf", lambda: (mat(),), TypeError),
    row("or_to_esf", lambda: (Vector(2, wide_or()),), ValueError, "more than 255 arguments",
        note="Vector, 256 arguments"),
    row("or_to_esf_inplace", lambda: (vxyz_wide_or(),), ValueError, "more than 255 arguments",
        note="Vector, 256 arguments in the last element"),
    row("identify_ors_inplace", lambda: (vec(),), TypeError),
    row("identify_ors_inplace", lambda: (None,), TypeError, note="None"),
    row("analyses.vectorial_decomp", lambda: (vec(), None), TypeError),
    row("analyses.vectorial_decomp", lambda: (vec(), [x]), TypeError, note="list"),
    row("analyses.vectorial_decomp", lambda: (Vector(1, x), Vector(1, w + x * y)), RuntimeError,
        "^Unknown symbol bad_w.$", note="unknown symbol"),
    row("analyses.vectorial_decomp", lambda: (Vector(0), Vector(2)), RuntimeError, INVALID_SIZES,
        note="no inputs"),
    row("analyses.vectorial_decomp", lambda: (Vector(2**19), Vector(2**19)), MemoryError,
        note="2**38 matrix entries"),
    row("algos.draw_without_replacement", lambda: (-1, 3, bool), TypeError),
    row("algos.draw_without_replacement", lambda: (1, 2**64, bool), TypeError, note="2**64"),
    row("algos.draw_without_replacement", lambda: (2, 4, None), TypeError, note="not callable"),
    row("algos.draw_without_replacement", lambda: (2, 4, raising(KeyError)), KeyError,
        "from the callback", note="raising callable"),
    row("algos.draw_without_replacement", lambda: (2, 4, lambda v: [v]), RuntimeError,
        "^Unable to cast Python instance of type", note="returns a list"),
    row("algos.draw_without_replacement", lambda: (2, 4, lambda: True), TypeError,
        note="callable arity"),
    row("algos.draw_without_replacement", lambda: (2**61, 2**62, raising(AssertionError)),
        MemoryError, note="2**61 draw positions"),
    row("algos.draw_without_replacement", lambda: (2**36, 2**37, raising(AssertionError)),
        MemoryError, note="2**36 draw positions"),
    row("algos.draw_without_replacement", lambda: (2, 4, lambda v: v.at(2)), IndexError,
        note="SetReadOnly.at past end"),
    row("SetReadOnly.__init__", lambda: (), TypeError, "No constructor defined!$"),
    row("SetReadOnly.at", lambda: (None, 0), TypeError),
    wrong_self("SetReadOnly.size", vec),
    wrong_self("SetReadOnly.__iter__", vec),
    row("VectorNotImmediate.__init__", lambda: (), TypeError, "No constructor defined!$"),
    row("ExprSym.__init__", lambda: (), TypeError, "No constructor defined!$"),
    # Additions beyond the interface. Too many inputs, inputs that are not distinct symbols and
    # tables of the wrong shape are ValueError, integers wider than their stated width
    # OverflowError, a symbol that is no input the core's "Unknown symbol".
    row("anf", lambda: (None,), TypeError),
    row("anf", lambda: (Vector(2, wide_or()),), ValueError, "more than 255 arguments",
        note="Vector, 256 arguments"),
    row("anf", lambda: (big_sum() * big_sum(BIG),), MemoryError, note="huge"),
    row("truth_table", lambda: (xyz(), inputs(31)), ValueError, "^truth tables have at most 30 "
        "inputs, got 31$"),
    row("truth_table", lambda: (xyz(), vxyz()), ValueError,
        r"^inputs must be distinct symbols: element 1 is \(bad_y \+ bad_z\)$", note="not symbols"),
    row("truth_table", lambda: (xyz(), Vector([x, y, x])), ValueError,
        r"^inputs must be distinct symbols: element 2 repeats element 0 \(bad_x\)$",
        note="repeated"),
    row("truth_table", lambda: (xyz(), Vector([x, y])), RuntimeError, "^Unknown symbol bad_z.$",
        note="unknown symbol"),
    row("truth_table", lambda: (vxyz(), Vector([y, z])), RuntimeError, "^Unknown symbol bad_x.$",
        note="Vector, unknown symbol"),
    row("truth_table", lambda: (xyz(), [x, y, z]), TypeError, note="list of inputs"),
    row("truth_table", lambda: (ondrex.symbol("bad_t0"), Vector([ondrex.symbol(f"bad_t{i}")
                                                               for i in range(30)]) * x),
        ValueError, "^inputs must be distinct symbols", note="30 products"),
    row("truth_table_bytes", lambda: (xyz(), inputs(40)), ValueError, "at most 30 inputs"),
    row("truth_table_bytes", lambda: (mat(), inputs()), TypeError, note="Matrix"),
    row("anf_from_truth_table", lambda: (256, inputs(3)), OverflowError,
        "^the truth table needs 9 bits, more than 8$"),
    row("anf_from_truth_table", lambda: (-1, inputs(3)), OverflowError,
        "^the truth table is negative$", note="negative"),
    row("anf_from_truth_table", lambda: (b"\0\0", inputs(3)), ValueError,
        "^a truth table of 3 inputs takes 1 bytes, got 2$", note="bytes, length"),
    row("anf_from_truth_table", lambda: (b"\x10", inputs(2)), ValueError,
        "^the bits after the 4 rows of the truth table must be 0$", note="bytes, stray bits"),
    row("anf_from_truth_table", lambda: (3.0, inputs(2)), TypeError, note="float"),
    row("anf_from_truth_table", lambda: (1, inputs(31)), ValueError, "at most 30 inputs",
        note="31 inputs"),
    row("anf_from_truth_table", lambda: (1, Vector([x, x])), ValueError, "distinct symbols",
        note="repeated input"),
    row("lookup_table", lambda: (Vector(65, x), Vector([x])), ValueError,
        "^lookup tables have at most 64 output bits, got 65$"),
    row("lookup_table", lambda: (vxyz(), Vector([x, y])), RuntimeError, "^Unknown symbol bad_z.$",
        note="unknown symbol"),
    row("lookup_table", lambda: (vxyz(), None), TypeError, note="None"),
    row("anf_from_lookup_table", lambda: ([0, 1, 2], inputs(2), 2), ValueError,
        "^a lookup table over 2 inputs has 4 entries, got 3$"),
    row("anf_from_lookup_table", lambda: ([0, 1, 2, 4], inputs(2), 2), OverflowError,
        r"^lookup table entry 3 \(4\) does not fit in 2 bits$", note="wide entry"),
    row("anf_from_lookup_table", lambda: ([0, 1, -2, 3], inputs(2), 2), OverflowError,
        r"^lookup table entry 2 \(-2\) does not fit in 2 bits$", note="negative entry"),
    row("anf_from_lookup_table", lambda: ([0, 1, 2**64, 3], inputs(2), 8), OverflowError,
        r"^lookup table entry 2 \(18446744073709551616\) does not fit in 8 bits$",
        note="entry of 65 bits"),
    row("anf_from_lookup_table", lambda: ([0, 1, "2", 3], inputs(2), 2), RuntimeError, CAST,
        note="str entry"),
    row("anf_from_lookup_table", lambda: ([0, 1], inputs(1), 65), ValueError,
        "^lookup tables have at most 64 output bits, got 65$", note="65 bits"),
    row("anf_from_lookup_table", lambda: ([0, 1], inputs(1), -1), TypeError, note="negative bits"),
    row("anf_from_lookup_table", lambda: ((0, 1), inputs(1), 1), TypeError, note="tuple"),
    row("Expr.sym_name", lambda: (xyz(),), RuntimeError,
        "^Bad expression type: expected 'Sym', got 'Add'$"),
    row("Expr.degree", lambda: (x | y,), ValueError,
        r"^expected an expression in algebraic normal form \(as anf gives it\)$"),
    row("Expr.degree", lambda: (ondrex.ExprWithArgs(ExprType.add, [x, x]),), ValueError,
        "normal form", note="repeated term"),
    row("Expr.monomial_count", lambda: ((x + y) * z,), ValueError, "normal form"),
    row("Expr.monomials", lambda: (ondrex.ExprWithArgs(ExprType.mul, [x, x]) + z,), ValueError,
        "normal form", note="repeated factor"),
    row("Expr.monomial_masks", lambda: (anf_xyz(), Vector([x, y])), RuntimeError,
        "^Unknown symbol bad_z.$"),
    row("Expr.monomial_masks", lambda: (x | z, Vector([x, z])), ValueError, "normal form",
        note="not in normal form"),
    row("Expr.monomial_masks", lambda: (anf_xyz(), vxyz()), ValueError, "distinct symbols",
        note="inputs not symbols"),
    row("Expr.monomial_masks", lambda: (anf_xyz(), None), TypeError, note="None"),
    wrong_self("Expr.symbols", vec),
    row("Vector.from_int", lambda: (-1, 4), OverflowError, "^the value is negative$"),
    row("Vector.from_int", lambda: (1 << 100, 100), OverflowError,
        "^the value needs 101 bits, more than 100$", note="too wide"),
    row("Vector.from_int", lambda: (1, -1), TypeError, note="negative width"),
    row("Vector.from_int", lambda: (1.0, 4), TypeError, note="float"),
    row("Vector.from_int", lambda: (0, 2**40), MemoryError, note="2**40 bits"),
    row("Vector.to_int", lambda: (vxyz(),), RuntimeError, NOT_IMM),
    row("parse", lambda: (None,), TypeError),
    row("parse", lambda: (["bad_x"],), TypeError, note="list"),
    row("parse", lambda: ("bad_x +",), ValueError,
        "^parse error at position 7: expected an expression", note="incomplete"),
    row("parse", lambda: ("bad_x bad_y",), ValueError, "^parse error at position 6: .*symbol name",
        note="space in a name"),
    row("parse", lambda: ("(" * 20000 + "bad_x" + ")" * 20000,), ValueError, "nesting deeper",
        note="deep nesting"),
]

# Pickling members: a value class reads its state back, a view refuses.
PICKLED = {"Expr": xyz, "ExprSym": lambda: x, "Vector": vec, "Matrix": mat, "AffApp": aff,
           "VectorApp": vapp, "App": app_mismatched, "SymbolsSet": ondrex.SymbolsSet,
           "SymbolsHist": ondrex.SymbolsHist, "SymbolsHistValue": hist_value}


def fresh_setstate(cls_name):
    """__setstate__ on a new uninitialised instance, as pickle calls it."""
    cls = getattr(ondrex, cls_name)
    return lambda state: cls.__new__(cls).__setstate__(state)


for _name, _make in PICKLED.items():
    _other = vec if _name != "Vector" else xyz
    ROWS += [
        wrong_self(f"{_name}.__getstate__", _other),
        row(f"{_name}.__setstate__", lambda: (b"ond\x02\x01",), ValueError,
            "^invalid ondrex data at byte 4: format version 2 is not supported",
            f=fresh_setstate(_name)),
        row(f"{_name}.__setstate__", lambda m=_make: (m(), m().__getstate__()), TypeError,
            "already holds a value", note="initialised"),
        row(f"{_name}.__setstate__", lambda m=_make, o=_other: (o(), m().__getstate__()),
            TypeError, note="foreign self"),
        row(f"{_name}.__reduce_ex__", lambda m=_make: (m(), "2"), TypeError),
        wrong_self(f"{_name}.__reduce__", _other),
        wrong_self(f"{_name}.__copy__", _other),
        row(f"{_name}.__deepcopy__", lambda m=_make: (m(),), TypeError, note="no memo"),
    ]
ROWS += [
    row("ExprArgs.__reduce_ex__", lambda: (expr_args(), 2), TypeError,
        "^cannot pickle 'ondrex.ExprArgs'"),
    row("ExprArgs.__reduce__", lambda: (expr_args(),), TypeError,
        "^cannot pickle 'ondrex.ExprArgs'"),
    wrong_self("VectorNotImmediate.__reduce_ex__"),
    wrong_self("VectorNotImmediate.__reduce__", vec),
    row("SetReadOnly.__reduce_ex__", lambda: (1, 3, lambda v: v.__reduce_ex__(5)), TypeError,
        "^cannot pickle 'ondrex.SetReadOnly'",
        f=lambda *a: ondrex.algos.draw_without_replacement(*a)),
    row("SetReadOnly.__reduce__", lambda: (1, 3, lambda v: v.__reduce__()), TypeError,
        "^cannot pickle 'ondrex.SetReadOnly'",
        f=lambda *a: ondrex.algos.draw_without_replacement(*a)),
]


def public_names():
    """Every callable of the module, the submodules and the classes, as the table names them."""
    names = set()
    for n in MODULE_NAMES + ADDED_MODULE_NAMES:
        v = getattr(ondrex, n)
        if n == "ExprType" or not callable(v) and not isinstance(v, type):
            continue
        if isinstance(v, type):
            names.add(f"{n}.__init__")
            names.update(f"{n}.{m}" for m in all_members(n))
        elif n not in ("analyses", "algos"):
            names.add(n)
    names.add("Expr.__hash__")  # left out of MEMBERS: its place in the class is not its order
    for sub in ("analyses", "algos"):
        names.update(f"{sub}.{n}" for n in vars(getattr(ondrex, sub)) if not n.startswith("__"))
    return names


def test_every_public_callable_has_a_row():
    covered = {r.name for r in ROWS}
    assert public_names() - covered == set()
    assert covered - public_names() == set()


def snapshot(a):
    """A copy of an argument, to be compared with it after the call, or None for plain values."""
    if isinstance(a, Expr):
        return ("expr", a.copy(), repr(a))
    if isinstance(a, Vector):
        return ("vector", Vector(a), repr(a))
    if isinstance(a, Matrix):
        return ("matrix", (a.nlines(), a.ncols()), repr(a))
    if isinstance(a, (list, tuple)):
        return ("list", len(a), [snapshot(e) for e in a])
    if isinstance(a, dict):
        return ("dict", [(snapshot(k), snapshot(v)) for k, v in a.items()])
    return None


def unchanged(a, snap):
    if snap is None:
        return True
    kind = snap[0]
    if kind == "expr":
        return a == snap[1] and repr(a) == snap[2]
    if kind == "vector":
        return a == snap[1] and repr(a) == snap[2]
    if kind == "matrix":
        return (a.nlines(), a.ncols()) == snap[1] and repr(a) == snap[2]
    if kind == "list":
        return len(a) == snap[1] and all(unchanged(e, s) for e, s in zip(a, snap[2]))
    return all(unchanged(k, sk) and unchanged(v, sv)
               for (k, v), (sk, sv) in zip(a.items(), snap[1]))


def cheap_to_print(a):
    if isinstance(a, Vector):
        return len(a) <= 64
    if isinstance(a, Matrix):
        return a.nlines() * a.ncols() <= 64
    return not (isinstance(a, Expr) and a.has_args() and len(a.args()) > 64)


def copy_of(a):
    if isinstance(a, Vector):
        return Vector(a)
    if isinstance(a, Matrix):
        return Matrix(a.nlines(), a.ncols(), a.at)
    return a.copy() if isinstance(a, Expr) else None


@pytest.mark.parametrize("r", ROWS, ids=repr)
def test_bad_input_is_refused_and_leaves_arguments_unchanged(r):
    f, args = r.make()
    # Huge arguments are compared by == only: their text would be megabytes.
    snaps = [snapshot(a) if cheap_to_print(a) else ("eq", copy_of(a)) for a in args]
    with pytest.raises(r.exc, match=r.match):
        f(*args)
    for a, s in zip(args, snaps):
        if s is not None and s[0] == "eq":
            assert s[1] is None or a == s[1], r
        else:
            assert unchanged(a, s), r


def test_interpreter_goes_on_after_refusals():
    # A refusal frees what it had built: the next computation is exact.
    with pytest.raises(MemoryError):
        ondrex.simplify(big_sum() * big_sum(BIG))
    assert repr(ondrex.simplify((x + y) * (x + z))) == repr(x * y + x * z + y * z + x)

