"""The ANF of every output bit of a two-round 16-bit SPN, one task per bit, on a Dask cluster.

The cipher is the toy round of cipher_round.py applied twice with a round key added between the
rounds: four 4-bit S-boxes side by side, the mix x + (x <<< 3) + (x <<< 7) and a round constant.
Each task builds the rounds over the plaintext bits x0 ... x15 and the key bits k0 ... k15 in
its own process and returns the ANF of one output bit (up to 4842 monomials); the expressions
travel back pickled, by symbol name, and the script checks them against the serial loop.

    python examples/distributed_anf.py                        # a LocalCluster: 2 worker processes
    python examples/distributed_anf.py tcp://scheduler:8786   # an existing cluster

Needs Dask's distributed (pip install .[distributed]); ondrex itself never imports it. The
workers import ondrex and cipher_round.py (a LocalCluster's workers share this folder's path).
"""

import pickle
import sys
import time

from cipher_round import BITS, ROTATIONS, ROUND_CONSTANT, sbox_anf
from ondrex import Vector, VectorApp, imm, simplify, symbol


def sbox_app():
    """The S-box as a VectorApp: each output bit's ANF over the argument symbols _0 ... _3."""
    nibble = Vector(4)
    for i in range(4):
        nibble[i] = symbol(f"sbox_in{i}")
    out = Vector(4)
    for bit, e in enumerate(sbox_anf([nibble[i] for i in range(4)])):
        out[bit] = e
    return VectorApp(nibble, out)


def sbox_layer(x, sbox):
    s = Vector(BITS)
    for k in range(0, BITS, 4):
        nibble = Vector(4)
        for i in range(4):
            nibble[i] = x[k + i]
        for bit, e in enumerate(simplify(sbox(nibble))):
            s[k + bit] = e
    return s


def mix_bit(s, i):
    """Bit i of s + (s <<< 3) + (s <<< 7) + the round constant."""
    acc = imm(ROUND_CONSTANT >> i & 1)
    for r in (0, *ROTATIONS):
        acc = acc + s[(i - r) % BITS]
    return acc


def word(name):
    v = Vector(BITS)
    for j in range(BITS):
        v[j] = symbol(f"{name}{j}")
    return v


def output_bit_anf(i):
    """The ANF of output bit i over the plaintext x and the round key k: the task one worker
    runs."""
    x, k = word("x"), word("k")
    sbox = sbox_app()
    first = sbox_layer(x, sbox)
    y = Vector(BITS)
    for j in range(BITS):
        y[j] = simplify(mix_bit(first, j) + k[j])
    # Only the S-boxes that feed output bit i are evaluated in the second round.
    second = Vector(BITS)
    for r in (0, *ROTATIONS):
        first_bit = (i - r) % BITS // 4 * 4
        nibble = Vector(4)
        for t in range(4):
            nibble[t] = y[first_bit + t]
        for t, e in enumerate(sbox(nibble)):
            second[first_bit + t] = e
    return simplify(mix_bit(second, i))


def run_serial():
    return [output_bit_anf(i) for i in range(BITS)]


def run_distributed(client):
    return client.gather(client.map(output_bit_anf, range(BITS), pure=False))


def main(address=None):
    from dask.distributed import Client, LocalCluster

    t0 = time.perf_counter()
    serial = run_serial()
    t_serial = time.perf_counter() - t0

    if address is None:
        cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    else:
        cluster, client = None, Client(address)
    try:
        client.run(lambda: __import__("ondrex"))  # workers import the module before the timing
        t0 = time.perf_counter()
        results = run_distributed(client)
        t_dask = time.perf_counter() - t0
        workers = len(client.scheduler_info()["workers"])
    finally:
        client.close()
        if cluster is not None:
            cluster.close()

    assert results == serial, "the cluster's ANFs differ from the serial ones"
    sizes = [len(pickle.dumps(e)) for e in results]
    t0 = time.perf_counter()
    for e in results:
        pickle.loads(pickle.dumps(e))
    t_pickle = (time.perf_counter() - t0) / len(results)
    terms = [len(e.args()) if e.is_add() else 1 for e in results]
    print(f"ANF of the {BITS} output bits of two keyed SPN rounds: {min(terms)} to {max(terms)} "
          f"monomials per bit")
    print(f"serial: {t_serial:.2f} s; {workers} workers: {t_dask:.2f} s "
          f"(speed-up {t_serial / t_dask:.2f}x)")
    print(f"per task: {sum(sizes) / len(sizes):.0f} bytes pickled on average, "
          f"{t_pickle * 1e3:.2f} ms to pickle and load; results equal the serial loop: True")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else None)
