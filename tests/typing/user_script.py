"""A user's script, type-checked with mypy --strict against the installed stub: split a small
vectorial function and list the pairs of inputs its non-linear part mixes."""

import ondrex
from ondrex import Expr, SetReadOnly, Vector, symbol


def vec(*exprs: Expr) -> Vector:
    v = Vector(len(exprs))
    for i, e in enumerate(exprs):
        v[i] = e
    return v


def joint_pairs(outputs: Vector, inputs: Vector) -> list[tuple[int, int]]:
    app: ondrex.App = ondrex.analyses.vectorial_decomp(inputs, outputs)
    nl = ondrex.simplify(app.nl().vector())
    pairs: list[tuple[int, int]] = []

    def visit(draw: SetReadOnly) -> bool:
        i, j = list(draw)
        product = ondrex.arg_symbol(i) * ondrex.arg_symbol(j)
        if any(e.contains(product) for e in nl):
            pairs.append((i, j))
        return True

    ondrex.algos.draw_without_replacement(2, inputs.size(), visit)
    return pairs


def sbox_degrees(sbox: list[int], bits: int) -> list[tuple[int, int]]:
    inputs = Vector([symbol(f"s{j}") for j in range(bits)])
    anfs = ondrex.anf_from_lookup_table(sbox, inputs, bits)
    assert ondrex.lookup_table(anfs, inputs) == sbox
    table: int = ondrex.truth_table(anfs[0], inputs)
    assert ondrex.anf_from_truth_table(table, inputs) == anfs[0]
    masks: list[int] = anfs[0].monomial_masks(inputs)
    assert len(masks) == len(anfs[0].monomials())
    return [(e.degree(), e.monomial_count()) for e in anfs]


def wide_xor(a: int, b: int, bits: int) -> int:
    return ondrex.simplify(Vector.from_int(a, bits) + Vector.from_int(b, bits)).to_int()


if __name__ == "__main__":
    a, b, c = symbol("a"), symbol("b"), symbol("c")
    print(joint_pairs(vec(a * b + c, b + ondrex.imm(1)), vec(a, b, c)))
    print(sbox_degrees([0, 3, 1, 2], 2), wide_xor(1 << 99, 1, 100) == (1 << 99) | 1)
    print(ondrex.__version__, ondrex.anf((a | b) + a * b) == ondrex.anf(a + b))
