"""Algebraic normal form of an 8-bit adder: degree and size of every output bit, checked
against integer addition, then split into its affine and non-linear parts."""

import random

import ondrex
from ondrex import Vector, imm, simplify, subs_vectors, symbol

N = 8


def word(name):
    return Vector([symbol(f"{name}{i}") for i in range(N)])  # element i is bit i


def add(x, y):
    """Ripple-carry addition on symbolic bits, element 0 the least significant."""
    s, carry = Vector(N), imm(0)
    for i in range(N):
        s[i] = x[i] + y[i] + carry
        carry = x[i] * y[i] + carry * (x[i] + y[i])
    return s


x, y = word("x"), word("y")
s = simplify(add(x, y))

print(f"ANF of the {N}-bit sum s = x + y mod 2^{N}")
for i, bit in enumerate(s):
    print(f"  s{i}: {bit.monomial_count():4d} monomials, degree {bit.degree()}")
assert [bit.degree() for bit in s] == list(range(1, N + 1))

rng = random.Random(1)
for _ in range(200):
    a, b = rng.randrange(1 << N), rng.randrange(1 << N)
    value = subs_vectors(s, [x, y], [a, b])
    got = simplify(value).get_int_be()
    assert got == (a + b) % (1 << N), (a, b, got)
print("checked against integer addition on 200 random pairs")

inputs = Vector(2 * N)
for i in range(N):
    inputs[i], inputs[N + i] = x[i], y[i]
app = ondrex.analyses.vectorial_decomp(inputs, s)
linear = [[int(app.matrix().at(i, j).imm_value()) for j in range(2 * N)] for i in range(N)]
print("affine part: s_i contains x_i + y_i linearly:",
      all(linear[i][i] == linear[i][N + i] == 1 and sum(linear[i]) == 2 for i in range(N)))
print("non-linear part of s1:", app.nl().vector()[1])
