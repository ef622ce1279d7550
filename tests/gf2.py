"""Reference linear algebra over GF(2) in plain Python, for judging Matrix results."""


def gf2_inverse(rows):
    """Gauss-Jordan over GF(2) on lines held as Python ints; None when singular."""
    n = len(rows)
    a = [sum(rows[i][j] << j for j in range(n)) | (1 << (n + i)) for i in range(n)]
    for c in range(n):
        p = next((r for r in range(c, n) if a[r] >> c & 1), None)
        if p is None:
            return None
        a[c], a[p] = a[p], a[c]
        for r in range(n):
            if r != c and a[r] >> c & 1:
                a[r] ^= a[c]
    return [[bool(a[i] >> (n + j) & 1) for j in range(n)] for i in range(n)]
