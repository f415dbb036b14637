"""Cycle finding: iterated functions, linked objects, whole mappings,
directed graphs, and graphs kept acyclic edge by edge.

A thin layer over the C++ header library cycle::detect: every answer is the
library's. Calls over arrays read them in their own integer dtype, without a
copy where they are contiguous in this machine's byte order, and release the
GIL while the library works; calls that take a Python callable (find_period,
has_cycle, find_cycle) hold it throughout. numpy is imported on the first
call that makes or reads an array, not by ``import cycle``.

    >>> import cycle
    >>> cycle.find_period(3, lambda x: (x * x + 1) % 255)
    Period(entry=..., mu=..., lam=...)
"""
import collections
import collections.abc

from . import _cycle

__version__ = _cycle.__version__
__all__ = [
    "AcyclicGraph", "Collision", "CycleError", "ListCycle", "Period", "Trace", "find_collision", "find_cycle", "find_cycles",
    "find_graph_cycle", "find_period", "has_cycle", "strongly_connected", "topological_order",
    "trace_all",
]


class CycleError(ValueError):
    """A cycle where none may be: raised by topological_order and by
    AcyclicGraph.add_edge. ``.cycle`` (also ``args[1]``, as graphlib's
    CycleError carries it) is the cycle, a list of distinct vertices, each
    with an edge to the next and the last with one to the first."""

    @property
    def cycle(self):
        return self.args[1]

    def __str__(self):
        return f"{self.args[0]}: {' -> '.join(map(repr, self.args[1]))}"


_cycle._set_cycle_error(CycleError)

Period = collections.namedtuple("Period", "entry mu lam")
Period.__doc__ = """Where a sequence x0, f(x0), f(f(x0)), ... repeats: entry is
x(mu), the first value that comes back, mu its position and lam (at least 1)
the cycle's length."""
ListCycle = collections.namedtuple("ListCycle", "entry mu lam")
ListCycle.__doc__ = """Where a linked structure's cycle starts: entry its first
node on the cycle, mu the nodes before it, lam the cycle's length; for a
linear one of n nodes, entry None, mu n and lam 0."""
Collision = collections.namedtuple("Collision", "a b image calls points")
Collision.__doc__ = """A collision: a != b with f(a) and f(b) equal to image in the
low bits; the calls of f the search made, and the distinguished points it
stored."""
Trace = collections.namedtuple("Trace", "end distance cycles on_cycles roots longest")
Trace.__doc__ = """What trace_all found: end[i] is the root i's path reaches
or the leader of the cycle it falls into, distance[i] the steps to it (0 on
a cycle and at a root); then the number of cycles, of elements on them, of
roots, and the largest distance."""
AcyclicGraph = _cycle.AcyclicGraph


def find_period(start, f, *, limit=None):
    """The period of the sequence start, f(start), f(f(start)), ...

    Values are any Python objects usable as dict keys, compared with == and
    hashed with hash(). Returns Period(entry, mu, lam), exact; None only when
    limit is given and mu + lam > limit (or limit < 1). Without a limit it
    runs until the sequence repeats. f is called at most 2 max(mu, lam) + lam
    times and a few hundredths more to locate the repeat, typically
    mu + lam and a few hundredths; at most 261 values are held at once.
    Holds the GIL (it calls f); what f, ==, or hash raise comes out
    unchanged."""
    found = _cycle.find_period(start, f, limit)
    return None if found is None else Period(*found)


def has_cycle(head, next=None):
    """Whether the linked structure from head is cyclic. next(node) returns
    the following node or None; by default, node.next. Nodes are compared
    by identity. None is an empty structure. About n + 111 calls of next on
    a linear one of n nodes, typically mu + lam + 112 on a cycle; no
    recursion, and no memory beyond the call's own, except that a node only
    this call holds (one next made afresh) is kept until it returns. Holds
    the GIL (it calls next); what next raises comes out unchanged."""
    return _cycle.has_cycle(head, next)


def find_cycle(head, next=None):
    """Where the linked structure's cycle starts: ListCycle(entry, mu, lam),
    exact; for a linear one of n nodes, ListCycle(None, n, 0). next as
    has_cycle's; it is called has_cycle's count and then about mu + lam more.
    Holds the GIL; what next raises comes out unchanged."""
    return ListCycle(*_cycle.find_cycle(head, next))


def find_cycles(next, *, threads=1):
    """Every cycle of the mapping i -> next[i] on [0, m), m = len(next).

    next is a 1-D array-like of integers of any dtype; an entry outside
    [0, m) ends its path. Returns (leaders, lengths): each cycle's smallest
    element, in next's dtype, by increasing leader, and its length, uint64.
    Reads each entry at most twice; threads (0 counts as 1, 7 at most)
    share the walks from 2^21 elements on, one a block of 2^20, with the
    same answer for every count. Releases the GIL. Raises TypeError for a
    non-integer array, ValueError if m - 1 is above what next's dtype can
    hold."""
    return _cycle.find_cycles(next, threads)


def trace_all(next, *, threads=1):
    """Every element's end and distance in the mapping i -> next[i].

    Returns Trace(end, distance, cycles, on_cycles, roots, longest): end and
    distance numpy arrays of next's dtype (see Trace), then the counts.
    Reads each entry at most 4 times; one index of next's dtype an element
    of scratch beside the results. Releases the GIL. Raises TypeError for a
    non-integer array, ValueError if m is above what next's dtype can
    hold."""
    return Trace(*_cycle.trace_all(next, threads))


def _rows(graph, who):
    """graph as (offsets, targets), or None for a mapping of vertices."""
    if isinstance(graph, collections.abc.Mapping):
        return None
    if hasattr(graph, "tocsr") and hasattr(graph, "shape"):
        rows, columns = graph.shape
        if rows != columns:
            raise ValueError(f"{who}: the matrix is {rows} x {columns}, not square")
        csr = graph if getattr(graph, "format", None) == "csr" else graph.tocsr()
        return csr.indptr, csr.indices
    try:
        offsets, targets = graph
    except (TypeError, ValueError):
        raise TypeError(f"{who}: the graph is a pair (offsets, targets), a scipy.sparse matrix "
                        "or a mapping {vertex: successors}") from None
    return offsets, targets


def find_graph_cycle(graph):
    """A cycle of the directed graph, as a list of vertices, or [] when it is
    acyclic: distinct vertices, each with an edge to the next and the last
    with one to the first ([v] for a self-loop). The same graph gives the
    same cycle whatever its dtypes.

    graph is a pair (offsets, targets) of 1-D integer array-likes in
    compressed rows (v's successors are targets[offsets[v]:offsets[v + 1]];
    the two dtypes may differ), a square scipy.sparse matrix or array (row
    u's column indices are u's successors), or a mapping {vertex: iterable of
    successors} over any hashable vertices, a vertex named only as a
    successor being a vertex too. Each edge is read about twice, without
    recursion; the GIL is released while rows are read. A target outside
    [0, n) or offsets that go down raise ValueError naming the vertex and
    the value; a non-integer array, TypeError."""
    rows = _rows(graph, "cycle.find_graph_cycle")
    if rows is None:
        return _cycle.find_graph_cycle_map(graph)
    return _cycle.find_graph_cycle_rows(*rows)


def topological_order(graph):
    """Every vertex once, each before every vertex it has an edge to: a
    numpy array in the targets' dtype, or a list of vertices for a mapping.
    graph as find_graph_cycle's. Raises CycleError, whose .cycle is the
    cycle find_graph_cycle gives, if there is none."""
    rows = _rows(graph, "cycle.topological_order")
    if rows is None:
        order, found = _cycle.topological_order_map(graph)
    else:
        order, found = _cycle.topological_order_rows(*rows)
    if found:
        raise CycleError("the graph has a cycle", found)
    return order


def strongly_connected(graph):
    """The strongly connected components: (count, labels), labels[v] in
    [0, count), equal exactly for vertices that reach each other, and
    labels[u] >= labels[w] for every edge u -> w (sinks first). labels is a
    numpy array in the targets' dtype, or a dict vertex -> label for a
    mapping. graph as find_graph_cycle's; no recursion."""
    rows = _rows(graph, "cycle.strongly_connected")
    if rows is None:
        return _cycle.strongly_connected_map(graph)
    return _cycle.strongly_connected_rows(*rows)


def find_collision(f, bits, *, threads=1, seed=0, max_calls=None):
    """A collision of f on [0, 2^bits), 1 <= bits <= 64: a != b with
    f(a) == f(b) in the low bits. f takes an int and returns an int (any
    size, negative included: its low bits count). Returns Collision(a, b,
    image, calls, points), or None after max_calls calls of f (default
    16 sqrt(pi 2^bits / 2) + 2^20; a permutation has no collision).

    About sqrt(pi 2^bits / 2) calls: up to 20 bits a table of every image,
    past them distinguished-point walks from starts drawn from seed. One
    thread and one seed give the same collision every time. Holds the GIL
    while it calls f: on several threads, each call takes the GIL, so the
    walks overlap only where f releases it. What f raises comes out
    unchanged, every thread stopped."""
    found = _cycle.find_collision(f, bits, threads, seed, max_calls)
    return None if found is None else Collision(*found)
