"""What each row calls: the package, and the peers a Python user reaches for,
each given its own graph built once, apart from the timed call."""
import graphlib

import cycle


def python_cycles(nxt):
    """The hand-written loop over a mapping: every cycle's leader and length."""
    m = len(nxt)
    seen = bytearray(m)
    loops = []
    for s in range(m):
        if seen[s]:
            continue
        path = []
        v = s
        while 0 <= v < m and not seen[v]:
            seen[v] = 1
            path.append(v)
            v = nxt[v]
        if 0 <= v < m and seen[v] == 1:
            ring = path[path.index(v):]
            loops.append((min(ring), len(ring)))
        for u in path:
            seen[u] = 2
    return sorted(loops)


def dict_period(start, f):
    seen = {}
    x, i = start, 0
    while x not in seen:
        seen[x] = i
        x = f(x)
        i += 1
    return seen[x], i - seen[x]


def graphlib_order(predecessors):
    return list(graphlib.TopologicalSorter(predecessors).static_order())


def order_package(rows):
    return cycle.topological_order(rows)


def components_package(rows):
    return cycle.strongly_connected(rows)
