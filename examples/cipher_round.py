"""Affine and non-linear parts of a toy 16-bit cipher round.

The round is four 4-bit S-boxes side by side, then a linear mix (the word XOR two rotations of
itself) and a round constant. Its ANF, built symbolically from the S-box table, is split by
`vectorial_decomp` into y = NL(x) + M*x + c; the script prints the parts, checks that the affine
matrix is the mix times the linear part of the S-box layer, and checks the split against the
round computed on integers.

invert_mix.py reuses the round defined here.
"""

import random

import ondrex
from ondrex import Matrix, Vector, imm, simplify, symbol

BITS = 16
SBOX = [0x7, 0xE, 0x2, 0x9, 0xC, 0x4, 0xB, 0x1, 0x0, 0xD, 0x6, 0xA, 0x3, 0xF, 0x8, 0x5]
ROTATIONS = (3, 7)  # 1 + t^3 + t^7 is odd at t = 1, so the mix is invertible
ROUND_CONSTANT = 0x3A5C


def rotl(w, r):
    return ((w << r) | (w >> (BITS - r))) & ((1 << BITS) - 1)


def round_int(w):
    """The round on an integer word: S-box layer, mix, constant."""
    s = 0
    for k in range(0, BITS, 4):
        s |= SBOX[(w >> k) & 0xF] << k
    mixed = s
    for r in ROTATIONS:
        mixed ^= rotl(s, r)
    return mixed ^ ROUND_CONSTANT


def mix_matrix():
    """Output bit i of the mix takes input bits i, i - 3 and i - 7 (mod 16): a rotation left by
    r moves bit j to bit j + r."""
    taps = {0, *ROTATIONS}
    return Matrix(BITS, BITS, lambda i, j: imm(1 if (i - j) % BITS in taps else 0))


def word(name):
    v = Vector(BITS)
    for i in range(BITS):
        v[i] = symbol(f"{name}{i}")  # element i is bit i
    return v


def vector_of(value):
    v = Vector(BITS)
    v.set_int_be(value, BITS)
    return v


def sbox_anf(nibble):
    """The 4 output bits of the S-box over the 4 input expressions, as the XOR of the minterms
    of the inputs it maps to 1, then brought to algebraic normal form."""
    out = []
    for bit in range(4):
        acc = imm(0)
        for v in range(16):
            if SBOX[v] >> bit & 1:
                minterm = imm(1)
                for i in range(4):
                    minterm = minterm * (nibble[i] if v >> i & 1 else nibble[i] + imm(1))
                acc = acc + minterm
        out.append(simplify(acc))
    return out


def sbox_layer(x):
    s = Vector(BITS)
    for k in range(0, BITS, 4):
        for bit, e in enumerate(sbox_anf([x[k + i] for i in range(4)])):
            s[k + bit] = e
    return s


def round_anf(x):
    return simplify(mix_matrix() * sbox_layer(x) + vector_of(ROUND_CONSTANT))


def degree(e):
    monomials = e.args() if e.is_add() else [e]
    return max((len(m.args()) if m.is_mul() else 0 if m.is_imm() else 1 for m in monomials),
               default=0)


def row_text(app, i):
    cols = [j for j in range(BITS) if app.matrix().at(i, j).imm_value()]
    return " + ".join(f"x{j}" for j in cols) or "0"


def main():
    x = word("x")
    y = round_anf(x)
    app = ondrex.analyses.vectorial_decomp(x, y)

    print(f"{BITS}-bit round: 4-bit S-boxes, mix x + (x <<< 3) + (x <<< 7), constant "
          f"{ROUND_CONSTANT:#06x}")
    print("output  degree  non-linear monomials  constant  linear terms")
    for i in range(BITS):
        nl = app.nl().vector()[i]
        n_nl = len(nl.args()) if nl.is_add() else (0 if nl.is_imm() else 1)
        print(f"  y{i:<4d} {degree(y[i]):6d}  {n_nl:20d}  {app.cst()[i].imm_value():8d}  "
              f"{row_text(app, i)}")

    # The affine matrix is the mix applied to the linear part of the S-box layer alone.
    sbox_linear = ondrex.analyses.vectorial_decomp(x, sbox_layer(x)).matrix()
    expected = simplify(mix_matrix() * sbox_linear)
    print("affine matrix == mix * linear part of the S-boxes:", app.matrix() == expected)

    # NL(w) + M*w + c on concrete words is the round computed on integers.
    rng = random.Random(2026)
    words = [0, (1 << BITS) - 1] + [rng.randrange(1 << BITS) for _ in range(300)]
    for w in words:
        got = simplify(app(vector_of(w))).get_int_be()
        assert got == round_int(w), (hex(w), hex(got), hex(round_int(w)))
    print(f"split checked against the integer round on {len(words)} words")

    # Called on the symbolic input, the split gives back the round's ANF.
    print("NL(x) + M*x + c == round(x):", simplify(app(x)) == y)


if __name__ == "__main__":
    main()
