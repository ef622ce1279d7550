"""
ondrel python bindings
"""
from __future__ import annotations
import collections.abc
import typing
from . import analyses
from . import algos
__all__: list[str] = ['AffApp', 'App', 'Expr', 'ExprArgs', 'ExprSym', 'ExprType', 'ExprWithArgs', 'Matrix', 'SetReadOnly', 'SymbolsHist', 'SymbolsHistValue', 'SymbolsSet', 'Vector', 'VectorApp', 'VectorNotImmediate', 'algos', 'analyses', 'anf', 'anf_from_lookup_table', 'anf_from_truth_table', 'arg_symbol', 'esf', 'esf_vector', 'expand_esf', 'expand_esf_inplace', 'identify_ors_inplace', 'imm', 'lookup_table', 'or_to_esf', 'or_to_esf_inplace', 'simplify', 'simplify_inplace', 'subs_exprs', 'subs_exprs_inplace', 'subs_vectors', 'symbol', 'truth_table', 'truth_table_bytes']
class ExprType:
    """
    Enum of the various expression types
    
    Members:
    
      esf
    
      mul
    
      add
    
      or_
    
      sym
    
      imm
    """
    __members__: typing.ClassVar[dict[str, ExprType]]
    add: typing.ClassVar[ExprType]
    esf: typing.ClassVar[ExprType]
    imm: typing.ClassVar[ExprType]
    mul: typing.ClassVar[ExprType]
    or_: typing.ClassVar[ExprType]
    sym: typing.ClassVar[ExprType]
    @typing.overload
    def __eq__(self, other: ExprType) -> bool:
        ...
    @typing.overload
    def __eq__(self, other: typing.Any) -> bool:
        ...
    def __getstate__(self) -> int:
        ...
    def __hash__(self) -> int:
        ...
    def __index__(self) -> int:
        ...
    def __init__(self, value: typing.SupportsInt | typing.SupportsIndex) -> None:
        ...
    def __int__(self) -> int:
        ...
    @typing.overload
    def __ne__(self, other: ExprType) -> bool:
        ...
    @typing.overload
    def __ne__(self, other: typing.Any) -> bool:
        ...
    def __repr__(self) -> str:
        ...
    def __setstate__(self, state: typing.SupportsInt | typing.SupportsIndex) -> None:
        ...
    def __str__(self) -> str:
        ...
    @property
    def name(self) -> str:
        ...
    @property
    def value(self) -> int:
        ...
class ExprArgs:
    """
    Represents the argument of an expression
    """
    def __getitem__(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> Expr:
        ...
    def __iter__(self) -> collections.abc.Iterator[Expr]:
        ...
    def __len__(self) -> int:
        ...
    def len(self) -> int:
        ...
    def size(self) -> int:
        ...
class Expr:
    """
    Represents a symbolic boolean expression
    """
    def __add__(self, arg0: Expr) -> Expr:
        ...
    def __eq__(self, arg0: Expr) -> bool:  # type: ignore[override]
        ...
    def __hash__(self) -> int:
        ...
    def __iadd__(self, arg0: Expr) -> Expr:
        ...
    def __imul__(self, arg0: Expr) -> Expr:
        ...
    def __ior__(self, arg0: Expr) -> Expr:
        ...
    def __lt__(self, arg0: Expr) -> bool:
        ...
    def __mul__(self, arg0: Expr) -> Expr:
        ...
    def __ne__(self, arg0: Expr) -> bool:  # type: ignore[override]
        ...
    def __or__(self, arg0: Expr) -> Expr:
        ...
    def __repr__(self) -> str:
        ...
    def anf_esf_max_degree(self) -> int:
        """
        Returns the maximum possible degree that a potential ESF could				have in the expression. This is used by find_esfs
        """
    def args(self) -> ExprArgs:
        """
        Returns a reference to an ExprArgs object if this expression				contains arguments. Throws a BadType exception otherwise
        """
    def contains(self, arg0: Expr) -> bool:
        """
        Returns true iif arg0 is in self. This does not try to search for				it recursively
        """
    def copy(self) -> Expr:
        """
        Create a deep copy of the expression
        """
    def degree(self) -> int:
        """
        The algebraic degree of an expression in normal form (see anf): the most symbols
        in one monomial; 0 for the constant 1, -1 for 0. ValueError for another form.
        """
    def esf_degree(self) -> int:
        ...
    def eval(self, arg0: collections.abc.Mapping[Expr, Expr]) -> Expr:
        ...
    def has_args(self) -> bool:
        ...
    def imm_value(self) -> bool:
        ...
    def is_add(self) -> bool:
        ...
    def is_esf(self) -> bool:
        ...
    def is_imm(self) -> bool:
        ...
    def is_mul(self) -> bool:
        ...
    def is_sym(self) -> bool:
        ...
    def monomial_count(self) -> int:
        """
        The number of monomials of an expression in normal form (the constant 1 counts).
        """
    def monomial_masks(self, inputs: Vector) -> list[int]:
        """
        The monomials of an expression in normal form as masks over the inputs (distinct
        symbols): bit j is set when input j is a factor.
        """
    def monomials(self) -> list[tuple[ExprSym, ...]]:
        """
        The monomials of an expression in normal form, in its order, each a tuple of its
        symbols in ascending index order (the constant 1 is the empty tuple).
        """
    def name(self) -> str:
        ...
    def sym_idx(self) -> int:
        """
        Returns the index associated to a symbol is this expression is				a symbol. Throws a BadType exception otherwise
        """
    def sym_name(self) -> str:
        """
        The name of a symbol ("_3" for argument symbol 3). Throws a BadType exception for
        any other expression.
        """
    def symbols(self) -> SymbolsSet:
        """
        Every symbol that occurs in the expression.
        """
    def type(self) -> ExprType:
        ...
class ExprSym(Expr):
    pass
class Vector:
    """
    Represents a vector of Expr objects
    """
    __hash__: typing.ClassVar[None] = None  # type: ignore[assignment]
    @staticmethod
    def from_int(value: int, nbits: typing.SupportsInt | typing.SupportsIndex) -> Vector:
        """
        The vector of nbits immediates whose element i is bit i of value, of any
        width (the order of set_int_be). OverflowError when value is negative or
        needs more than nbits bits.
        """
    def __add__(self, arg0: Vector) -> Vector:
        ...
    def __eq__(self, arg0: Vector) -> bool:  # type: ignore[override]
        ...
    @typing.overload
    def __getitem__(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> Expr:
        ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> Vector:
        ...
    def __iadd__(self, arg0: Vector) -> Vector:
        ...
    @typing.overload
    def __imul__(self, arg0: Vector) -> Vector:
        ...
    @typing.overload
    def __imul__(self, arg0: Expr) -> Vector:
        ...
    @typing.overload
    def __init__(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> None:
        ...
    @typing.overload
    def __init__(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: Expr) -> None:
        ...
    @typing.overload
    def __init__(self, arg0: Vector) -> None:
        ...
    @typing.overload
    def __init__(self, elements: list[Expr]) -> None:
        """
        A vector of copies of the elements.
        """
    def __ior__(self, arg0: Vector) -> Vector:
        ...
    def __iter__(self) -> collections.abc.Iterator[Expr]:
        ...
    def __len__(self) -> int:
        ...
    def __lshift__(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> Vector:
        ...
    @typing.overload
    def __mul__(self, arg0: Vector) -> Vector:
        ...
    @typing.overload
    def __mul__(self, arg0: Expr) -> Vector:
        ...
    def __ne__(self, arg0: Vector) -> bool:  # type: ignore[override]
        ...
    def __or__(self, arg0: Vector) -> Vector:
        ...
    def __repr__(self) -> str:
        ...
    def __rshift__(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> Vector:
        ...
    def __setitem__(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: Expr) -> None:
        ...
    def at(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> Expr:
        ...
    def get_int_be(self) -> int:
        ...
    def get_int_le(self) -> int:
        ...
    def set_int_be(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex) -> None:
        ...
    def set_int_le(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex) -> None:
        ...
    def set_null(self) -> None:
        ...
    def size(self) -> int:
        ...
    def to_int(self) -> int:
        """
        The integer whose bit i is element i, of any width (the order of get_int_be).
        Throws VectorNotImmediate when an element is not an immediate.
        """
class Matrix:
    """
    Represents a matrix of Expr objects
    """
    __hash__: typing.ClassVar[None] = None  # type: ignore[assignment]
    def __add__(self, arg0: Matrix) -> Matrix:
        ...
    def __eq__(self, arg0: Matrix) -> bool:  # type: ignore[override]
        ...
    def __iadd__(self, arg0: Matrix) -> Matrix:
        ...
    @typing.overload
    def __init__(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex) -> None:
        ...
    @typing.overload
    def __init__(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex, arg2: Expr) -> None:
        ...
    @typing.overload
    def __init__(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex, arg2: collections.abc.Callable[[int, int], Expr]) -> None:
        ...
    def __iter__(self) -> collections.abc.Iterator[Expr]:
        ...
    @typing.overload
    def __mul__(self, arg0: Matrix) -> Matrix:
        ...
    @typing.overload
    def __mul__(self, arg0: Vector) -> Vector:
        ...
    def __ne__(self, arg0: Matrix) -> bool:  # type: ignore[override]
        ...
    def __repr__(self) -> str:
        ...
    def at(self, arg0: typing.SupportsInt | typing.SupportsIndex, arg1: typing.SupportsInt | typing.SupportsIndex) -> Expr:
        ...
    @staticmethod
    def identity(arg0: typing.SupportsInt | typing.SupportsIndex) -> Matrix:
        ...
    def inverse(self) -> Matrix:
        ...
    def ncols(self) -> int:
        ...
    def nlines(self) -> int:
        ...
    def same_size(self, arg0: Matrix) -> bool:
        ...
class AffApp:
    """
    Represents an affine application
    """
    def __call__(self, arg0: Vector) -> Vector:
        ...
    def __init__(self, arg0: Matrix, arg1: Vector) -> None:
        ...
    def __repr__(self) -> str:
        ...
    def cst(self) -> Vector:
        ...
    def matrix(self) -> Matrix:
        ...
class VectorApp:
    """
    Represents a generic application by a Vector object
    """
    def __call__(self, arg0: Vector) -> Vector:
        ...
    def __init__(self, arg0: Vector, arg1: Vector) -> None:
        ...
    def __repr__(self) -> str:
        ...
    def vector(self) -> Vector:
        ...
class App:
    """
    Represents an application by separating the		non-linear and affine parts
    """
    def __call__(self, arg0: Vector) -> Vector:
        ...
    def __init__(self, arg0: VectorApp, arg1: AffApp) -> None:
        ...
    def __repr__(self) -> str:
        ...
    def affine(self) -> AffApp:
        ...
    def cst(self) -> Vector:
        ...
    def matrix(self) -> Matrix:
        ...
    def nl(self) -> VectorApp:
        ...
class SymbolsSet:
    def __contains__(self, arg0: Expr) -> bool:
        ...
    def __init__(self) -> None:
        ...
    def __iter__(self) -> collections.abc.Iterator[ExprSym]:
        ...
    def __len__(self) -> int:
        ...
    def empty(self) -> bool:
        ...
    def has(self, arg0: Expr) -> bool:
        ...
    def insert(self, arg0: Expr) -> bool:
        ...
    def size(self) -> int:
        ...
class SymbolsHist:
    def __init__(self) -> None:
        ...
    def __iter__(self) -> collections.abc.Iterator[SymbolsHistValue]:
        ...
    def __len__(self) -> int:
        ...
    @typing.overload
    def compute(self, arg0: Expr) -> bool:
        ...
    @typing.overload
    def compute(self, arg0: Expr, arg1: typing.SupportsInt | typing.SupportsIndex) -> bool:
        ...
    def empty(self) -> bool:
        ...
    def size(self) -> int:
        ...
class SymbolsHistValue:
    def __repr__(self) -> str:
        ...
    def count(self) -> int:
        ...
    def sym(self) -> ExprSym:
        ...
class VectorNotImmediate:
    pass
class SetReadOnly:
    def __iter__(self) -> collections.abc.Iterator[int]:
        ...
    def at(self, arg0: typing.SupportsInt | typing.SupportsIndex) -> int:
        ...
    def size(self) -> int:
        ...
@typing.overload
def ExprWithArgs(arg0: ExprType, arg1: list[Expr]) -> Expr:
    ...
@typing.overload
def ExprWithArgs(arg0: ExprType, arg1: ExprArgs) -> Expr:
    ...
@typing.overload
def anf(e: Expr) -> Expr:
    """
    The algebraic normal form of e: Or nodes rewritten into ESF sums, ESF nodes expanded,
    then simplified. Two expressions are the same Boolean function exactly when their
    normal forms are equal.
    """
@typing.overload
def anf(v: Vector) -> Vector:
    """
    The algebraic normal form of every element.
    """
def anf_from_lookup_table(table: list[int], inputs: Vector, nbits: typing.SupportsInt | typing.SupportsIndex) -> Vector:
    """
    The algebraic normal forms of the output bits of a lookup table (such as an S-box) of
    2**n entries below 2**nbits: element i is the normal form of bit i of the entries.
    """
@typing.overload
def anf_from_truth_table(table: int, inputs: Vector) -> Expr:
    """
    The algebraic normal form of the function whose truth table over the inputs is
    `table`, an int below 2**(2**n) or bytes, in the layout of truth_table.
    """
@typing.overload
def anf_from_truth_table(table: bytes, inputs: Vector) -> Expr:
    ...
def arg_symbol(arg0: typing.SupportsInt | typing.SupportsIndex) -> ExprSym:
    ...
def esf(arg0: typing.SupportsInt | typing.SupportsIndex, arg1: list[Expr]) -> Expr:
    ...
def esf_vector(arg0: typing.SupportsInt | typing.SupportsIndex, arg1: list[Vector]) -> Vector:
    ...
@typing.overload
def expand_esf(arg0: Expr) -> Expr:
    ...
@typing.overload
def expand_esf(arg0: Vector) -> Vector:
    ...
@typing.overload
def expand_esf_inplace(arg0: Expr) -> None:
    ...
@typing.overload
def expand_esf_inplace(arg0: Vector) -> None:
    ...
def identify_ors_inplace(arg0: Expr) -> bool:
    ...
def imm(arg0: typing.SupportsInt | typing.SupportsIndex) -> Expr:
    ...
def lookup_table(outputs: Vector, inputs: Vector) -> list[int]:
    """
    The lookup table of the vectorial function over the inputs: entry r holds output i
    at row r in its bit i (at most 64 outputs).
    """
@typing.overload
def or_to_esf(arg0: Expr) -> Expr:
    ...
@typing.overload
def or_to_esf(arg0: Vector) -> Vector:
    ...
@typing.overload
def or_to_esf_inplace(arg0: Expr) -> None:
    ...
@typing.overload
def or_to_esf_inplace(arg0: Vector) -> None:
    ...
@typing.overload
def simplify(arg0: Expr) -> Expr:
    ...
@typing.overload
def simplify(arg0: Vector) -> Vector:
    ...
@typing.overload
def simplify(arg0: Matrix) -> Matrix:
    ...
@typing.overload
def simplify_inplace(arg0: Expr) -> Expr:
    ...
@typing.overload
def simplify_inplace(arg0: Vector) -> Vector:
    ...
@typing.overload
def simplify_inplace(arg0: Matrix) -> Matrix:
    ...
@typing.overload
def subs_exprs(arg0: Expr, arg1: list[Expr], arg2: list[Expr]) -> Expr:
    ...
@typing.overload
def subs_exprs(arg0: Vector, arg1: list[Expr], arg2: list[Expr]) -> Vector:
    ...
@typing.overload
def subs_exprs(arg0: Matrix, arg1: list[Expr], arg2: list[Expr]) -> Matrix:
    ...
@typing.overload
def subs_exprs_inplace(arg0: Expr, arg1: list[Expr], arg2: list[Expr]) -> None:
    ...
@typing.overload
def subs_exprs_inplace(arg0: Vector, arg1: list[Expr], arg2: list[Expr]) -> None:
    ...
@typing.overload
def subs_exprs_inplace(arg0: Matrix, arg1: list[Expr], arg2: list[Expr]) -> None:
    ...
@typing.overload
def subs_vectors(arg0: Expr, arg1: list[Vector], arg2: list[int]) -> Expr:
    ...
@typing.overload
def subs_vectors(arg0: Vector, arg1: list[Vector], arg2: list[int]) -> Vector:
    ...
@typing.overload
def subs_vectors(arg0: Matrix, arg1: list[Vector], arg2: list[int]) -> Matrix:
    ...
def symbol(arg0: str) -> ExprSym:
    ...
@typing.overload
def truth_table(e: Expr, inputs: Vector) -> int:
    """
    The truth table of e over the inputs (distinct symbols, at most 30) as an int of 2**n
    bits: bit r is the value of e where input j is bit j of r.
    """
@typing.overload
def truth_table(v: Vector, inputs: Vector) -> list[int]:
    """
    The truth table of every element, in the same form.
    """
@typing.overload
def truth_table_bytes(e: Expr, inputs: Vector) -> bytes:
    """
    The truth table of e as bytes: row r is bit r % 8 of byte r // 8 (one byte below 3
    inputs, its unused bits 0).
    """
@typing.overload
def truth_table_bytes(v: Vector, inputs: Vector) -> list[bytes]:
    """
    The truth table of every element, in the same form.
    """
__version__: str
