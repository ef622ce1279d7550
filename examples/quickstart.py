"""A first tour of ondrex: symbols, arithmetic over GF(2), text forms and errors."""

import ondrex

a, b, c = ondrex.symbol("a"), ondrex.symbol("b"), ondrex.symbol("c")
print("symbols:", a, b, c, "with indices", a.sym_idx(), b.sym_idx(), c.sym_idx())

# Exclusive-or (+), conjunction (*) and disjunction (|) canonicalise one level as they build.
print("a + a =", a + a)
print("a * a =", a * a)
print("(a + b) + a =", (a + b) + a)
print("a + 1 =", a + ondrex.imm(1), " and (a + 1) + 1 =", (a + ondrex.imm(1)) + ondrex.imm(1))

# Products are not distributed by the operators.
e = (a + b) * a
print("(a + b) * a =", e, "kind", e.type().name, "with", len(e.args()), "arguments")

# In-place operators keep the Python object.
x = a.copy()
before = id(x)
x += c
print("x += c gives", x, "same object:", id(x) == before)

# Argument symbols stand for the inputs of applications.
print("argument symbols:", ondrex.arg_symbol(0), ondrex.arg_symbol(12))

# Every expression is ordered and hashable, so it can key a dict.
table = {a: "first", b: "second"}
print("lookup by expression:", table[ondrex.symbol("a")])

# Errors of the core arrive as RuntimeError with their exact text.
try:
    a.args()
except RuntimeError as err:
    print("error:", err)
