"""Answers computed the plain way, in Python, for the tests to compare with."""
import random


def period(start, f):
    seen = {}
    x, i = start, 0
    while x not in seen:
        seen[x] = i
        x, i = f(x), i + 1
    return x, seen[x], i - seen[x]


def mapping_cycles(nxt):
    """{leader: length} of i -> nxt[i] on [0, m)."""
    m = len(nxt)
    state = [0] * m  # 0 unseen, 1 on the current path, 2 done
    loops = {}
    for s in range(m):
        path, v = [], s
        while 0 <= v < m and state[v] == 0:
            state[v] = 1
            path.append(v)
            v = int(nxt[v])
        if 0 <= v < m and state[v] == 1:
            ring = path[path.index(v):]
            loops[min(ring)] = len(ring)
        for u in path:
            state[u] = 2
    return loops


def trace(nxt):
    """(end, distance) of every element."""
    m = len(nxt)
    loops = mapping_cycles(nxt)
    leader = {}
    for lead in loops:
        v = lead
        while True:
            leader[v] = lead
            v = int(nxt[v])
            if v == lead:
                break
    end, distance = [0] * m, [0] * m
    for s in range(m):
        v, d = s, 0
        while 0 <= v < m and v not in leader:
            nv = int(nxt[v])
            if not 0 <= nv < m:
                break
            v, d = nv, d + 1
        if v in leader:
            end[s], distance[s] = leader[v], d
        else:
            end[s], distance[s] = v, d
    return end, distance


def reaches(succ, a, b):
    """Whether a reaches b (by a path of at least one edge when a == b)."""
    stack, seen = list(succ[a]), set()
    while stack:
        v = stack.pop()
        if v == b:
            return True
        if v not in seen:
            seen.add(v)
            stack.extend(succ[v])
    return False


def rows_of(succ):
    offsets, targets = [0], []
    for v in range(len(succ)):
        targets.extend(succ[v])
        offsets.append(len(targets))
    return offsets, targets


def random_graph(rng, n, edges, acyclic):
    order = list(range(n))
    rng.shuffle(order)
    rank = {v: i for i, v in enumerate(order)}
    succ = [[] for _ in range(n)]
    for _ in range(edges):
        a, b = rng.randrange(n), rng.randrange(n)
        if acyclic:
            if a == b:
                continue
            if rank[a] > rank[b]:
                a, b = b, a
        succ[a].append(b)
    return succ


def rng(seed):
    return random.Random(seed)
