"""The module's names and each class's members, in registration order: the one table that the
registration, bad-input, substitution, pickling and vector tests read. Adding or renaming a binding
changes it here (and the bad-input rows of test_bad_input.py name every callable listed here)."""

MODULE_NAMES = [
    "ExprType", "ExprArgs", "Expr", "ExprSym", "ExprWithArgs", "Vector", "Matrix", "AffApp",
    "VectorApp", "App", "SymbolsSet", "SymbolsHist", "SymbolsHistValue", "imm", "symbol",
    "arg_symbol", "esf", "esf_vector", "simplify_inplace", "simplify", "subs_vectors",
    "subs_exprs_inplace", "subs_exprs", "expand_esf_inplace", "expand_esf", "or_to_esf_inplace",
    "or_to_esf", "identify_ors_inplace", "VectorNotImmediate", "SetReadOnly", "analyses", "algos",
]
# The submodules' own names.
SUBMODULE_NAMES = {"analyses": ["vectorial_decomp"], "algos": ["draw_without_replacement"]}
# ExprType's members and their values, in registration order.
EXPR_TYPES = [("esf", 1), ("mul", 2), ("add", 3), ("or_", 0), ("sym", 4), ("imm", 5)]
# Names the library adds beyond its interface, registered after all of the above, in this order.
ADDED_MODULE_NAMES: list[str] = [
    "anf", "truth_table", "truth_table_bytes", "anf_from_truth_table", "lookup_table",
    "anf_from_lookup_table", "parse",
]

# Registration order of each class's own members; an overloaded name counts once, where its
# first overload is registered.
MEMBERS = {
    "ExprArgs": ["__iter__", "size", "len", "__len__", "__getitem__"],
    "Expr": ["has_args", "__add__", "__iadd__", "__mul__", "__imul__", "__or__", "__ior__",
             "__repr__", "__eq__", "__ne__", "__lt__", "args", "type", "sym_idx", "imm_value",
             "is_imm", "is_sym", "is_add", "is_mul", "is_esf", "name", "contains",
             "anf_esf_max_degree", "esf_degree", "copy", "eval"],
    "ExprSym": [],
    "Vector": ["__init__", "at", "size", "set_null", "set_int_be", "set_int_le", "get_int_be",
               "get_int_le", "__iter__", "__add__", "__iadd__", "__mul__", "__imul__", "__or__",
               "__ior__", "__getitem__", "__setitem__", "__len__", "__repr__", "__lshift__",
               "__rshift__", "__eq__", "__ne__"],
    "Matrix": ["__init__", "nlines", "ncols", "same_size", "inverse", "at", "__add__", "__iadd__",
               "__mul__", "identity", "__iter__", "__repr__", "__eq__", "__ne__"],
    "AffApp": ["__init__", "__call__", "matrix", "cst", "__repr__"],
    "VectorApp": ["__init__", "__call__", "vector", "__repr__"],
    "App": ["__init__", "__call__", "matrix", "cst", "nl", "affine", "__repr__"],
    "SymbolsSet": ["__init__", "insert", "has", "size", "empty", "__contains__", "__iter__",
                   "__len__"],
    "SymbolsHist": ["__init__", "compute", "size", "empty", "__iter__", "__len__"],
    "SymbolsHistValue": ["sym", "count", "__repr__"],
    "VectorNotImmediate": [],
    "SetReadOnly": ["at", "size", "__iter__"],
}
# Members the library adds to a class, registered after the class's interface members.
PICKLING = ["__getstate__", "__setstate__", "__reduce_ex__", "__reduce__", "__copy__",
            "__deepcopy__"]
REFUSING = ["__reduce_ex__", "__reduce__"]
ADDED_MEMBERS: dict[str, list[str]] = {
    **{c: PICKLING for c in ("ExprSym", "Matrix", "AffApp", "VectorApp", "App", "SymbolsSet",
                             "SymbolsHist", "SymbolsHistValue")},
    **{c: REFUSING for c in ("ExprArgs", "VectorNotImmediate", "SetReadOnly")},
    "Expr": PICKLING + ["sym_name", "degree", "monomial_count", "monomials", "monomial_masks",
                        "symbols"],
    "Vector": PICKLING + ["from_int", "to_int"],
}



def all_members(cls_name):
    return MEMBERS.get(cls_name, []) + ADDED_MEMBERS.get(cls_name, [])


# The classes that read their state back (the PICKLING members); the REFUSING ones are views.
PICKLABLE = [c for c, added in ADDED_MEMBERS.items() if added[:len(PICKLING)] == PICKLING]
