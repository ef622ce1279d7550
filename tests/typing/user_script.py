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


if __name__ == "__main__":
    a, b, c = symbol("a"), symbol("b"), symbol("c")
    print(joint_pairs(vec(a * b + c, b + ondrex.imm(1)), vec(a, b, c)))
