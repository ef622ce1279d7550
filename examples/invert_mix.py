"""Inverting the linear layer of the toy round of cipher_round.py with Matrix.inverse.

The inverse is checked twice: M * M^-1 and M^-1 * M are the identity, and M^-1 undoes the mix on
random concrete words. A mix built from one rotation (x + (x <<< 1)) is singular, and its
inverse is the empty matrix.
"""

import random

from cipher_round import BITS, mix_matrix, vector_of
from ondrex import Matrix, imm, simplify

m = mix_matrix()
inv = m.inverse()
print(f"mix: {m.nlines()}x{m.ncols()}, inverse: {inv.nlines()}x{inv.ncols()}")

ones = [sum(int(inv.at(i, j).imm_value()) for j in range(BITS)) for i in range(BITS)]
print("ones per line of the inverse:", ones)

identity = Matrix.identity(BITS)
print("M * M^-1 == I:", simplify(m * inv) == identity)
print("M^-1 * M == I:", simplify(inv * m) == identity)

rng = random.Random(7)
words = [rng.randrange(1 << BITS) for _ in range(200)]
for w in words:
    mixed = simplify(m * vector_of(w))
    assert simplify(inv * mixed).get_int_be() == w, hex(w)
print(f"M^-1 undoes the mix on {len(words)} random words")

singular = Matrix(BITS, BITS, lambda i, j: imm(1 if (i - j) % BITS in (0, 1) else 0))
print("inverse of x + (x <<< 1):", singular.inverse())
