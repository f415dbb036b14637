"""The inputs of the Python rows, made once per size with a fixed seed: the
graphs as compressed rows (numpy), the functions and the mappings."""
import numpy as np

EDGES_PER_VERTEX = 8


def random_dag(n, seed=1):
    """8 n edges u -> w with u before w in a hidden random order."""
    rng = np.random.default_rng(seed)
    a = rng.integers(0, n, EDGES_PER_VERTEX * n, dtype=np.int64)
    b = rng.integers(0, n, EDGES_PER_VERTEX * n, dtype=np.int64)
    keep = a != b
    a, b = a[keep], b[keep]
    low, high = np.minimum(a, b), np.maximum(a, b)
    hidden = rng.permutation(n)
    return rows(n, hidden[low], hidden[high])


def random_graph(n, seed=2):
    """8 n edges with both ends uniform: one big component and a cycle
    everywhere."""
    rng = np.random.default_rng(seed)
    a = rng.integers(0, n, EDGES_PER_VERTEX * n, dtype=np.int64)
    b = rng.integers(0, n, EDGES_PER_VERTEX * n, dtype=np.int64)
    return rows(n, a, b)


def rows(n, sources, targets):
    order = np.argsort(sources, kind="stable")
    offsets = np.zeros(n + 1, dtype=np.int64)
    np.cumsum(np.bincount(sources, minlength=n), out=offsets[1:])
    return offsets, targets[order].astype(np.int32)


def successor_lists(offsets, targets):
    t = targets.tolist()
    o = offsets.tolist()
    return [t[o[v]:o[v + 1]] for v in range(len(o) - 1)]


# A dependency graph of 12 packages, as a build tool holds it.
DEPENDENCIES = {
    "app": ["cli", "server", "log"], "cli": ["args", "log", "config"],
    "server": ["http", "db", "log", "config"], "http": ["net", "tls"], "db": ["net", "pool"],
    "tls": ["net", "crypto"], "pool": ["log"], "config": ["yaml"], "args": [], "net": [],
    "crypto": [], "log": ["yaml"],
}


def quadratic(modulus, c=1):
    """x -> x^2 + c mod modulus, a Python f whose rho is about sqrt(modulus)."""
    return lambda x: (x * x + c) % modulus


def permutation(m, seed=3):
    return np.random.default_rng(seed).permutation(m).astype(np.int64)
