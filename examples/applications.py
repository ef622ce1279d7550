"""Applications over GF(2): split a vectorial function into its affine and non-linear parts,
call the parts, and walk the k-subsets of the inputs."""

import ondrex

x, y, z = ondrex.symbol("x"), ondrex.symbol("y"), ondrex.symbol("z")


def vec(*exprs):
    v = ondrex.Vector(len(exprs))
    for i, e in enumerate(exprs):
        v[i] = e
    return v


inputs = vec(x, y, z)
outputs = vec(x * y + x * z + x + ondrex.imm(1), y, x * y)
app = ondrex.analyses.vectorial_decomp(inputs, outputs)
print(app)

# Calling the decomposition on its inputs gives the outputs back once simplified.
print("round trip:", ondrex.simplify(app(inputs)) == ondrex.simplify(outputs))

# The non-linear part is a function of its own, over the argument symbols _0, _1, ...
a, b = ondrex.symbol("a"), ondrex.symbol("b")
print("non-linear part at (a, b, a):", app.nl()(vec(a, b, a)))

# Which pairs of inputs does output 0 depend on jointly? Walk the 2-subsets of the inputs.
nl0 = app.nl().vector().at(0)


def report(pair):
    i, j = list(pair)
    joint = ondrex.arg_symbol(i) * ondrex.arg_symbol(j)
    print(f"  inputs {i} and {j}:", "joint" if nl0.contains(joint) else "-")
    return True


ondrex.algos.draw_without_replacement(2, inputs.size(), report)
