"""Tasks that the process-pool and Dask tests send to other processes (importable by name there).

Each task makes its symbols in the reverse of the order the test process uses, so the results
only compare equal when loading re-sorts them under the test process's order."""

import ondrex

NAMES = [f"dw{i}" for i in range(6)]


def anf_of_output(i):
    """Output i of a small vectorial function of six bits, in ANF."""
    syms = {n: ondrex.symbol(n) for n in reversed(NAMES)}
    x = [syms[n] for n in NAMES]
    e = ondrex.imm(i & 1)
    for j in range(6):
        e = e + x[(i + j) % 6] * x[(i + 2 * j + 1) % 6] * (x[j] + ondrex.imm(1))
    return ondrex.simplify(e * (x[i % 6] + x[(i + 3) % 6]))


def serial(n):
    return [anf_of_output(i) for i in range(n)]
