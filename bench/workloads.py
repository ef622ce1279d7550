"""Random inputs shared by the benchmark scripts, drawn the same way in each, so that the same
seed gives the same workload everywhere."""

from ondrex import ExprType, ExprWithArgs, imm, simplify_inplace


def random_monomials(rng, m, maxdeg=5):
    """m distinct monomials over 64 variables, of degree 1..maxdeg, as sorted index tuples."""
    monos = set()
    while len(monos) < m:
        d = rng.randint(1, maxdeg)
        monos.add(tuple(sorted(rng.sample(range(64), d))))
    return list(monos)


def anf_of(monos, vs):
    """The ANF with these monomials (index tuples into vs), built in one batch."""
    terms = [vs[m[0]] if len(m) == 1 else ExprWithArgs(ExprType.mul, [vs[i] for i in m])
             for m in monos]
    return simplify_inplace(ExprWithArgs(ExprType.add, terms))


def matrix_entry(rng, syms):
    """A matrix element function: immediates, products of two symbols and symbols."""
    def entry(i, j):
        k = rng.randrange(4)
        if k == 0:
            return imm(rng.randrange(2))
        if k == 1:
            return syms[rng.randrange(len(syms))] * syms[rng.randrange(len(syms))]
        return syms[rng.randrange(len(syms))]
    return entry


def random_invertible(n, rng):
    """Lines as ints: a random unit lower triangular times a random unit upper triangular,
    lines shuffled, so the product is invertible and dense."""
    upper = [(1 << i) | (rng.getrandbits(n) & ~((1 << (i + 1)) - 1)) for i in range(n)]
    rows = []
    for i in range(n):
        mask = (1 << i) | (rng.getrandbits(n) & ((1 << i) - 1))
        acc = 0
        k = 0
        while mask:
            if mask & 1:
                acc ^= upper[k]
            mask >>= 1
            k += 1
        rows.append(acc)
    rng.shuffle(rows)
    return rows
