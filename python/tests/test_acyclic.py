import copy

import numpy as np
import pytest

import cycle
import truth


def test_random_operations_against_a_reachability_search():
    rng = truth.rng(21)
    for trial in range(40):
        n = rng.randrange(1, 12)
        g = cycle.AcyclicGraph(n)
        succ = [set() for _ in range(n)]
        for _ in range(120):
            op = rng.random()
            if op < 0.05:
                assert g.add_vertex() == len(succ)
                succ.append(set())
            elif op < 0.2 and any(succ):
                a = rng.choice([v for v in range(len(succ)) if succ[v]])
                b = rng.choice(sorted(succ[a]))
                assert g.remove_edge(a, b) is True
                succ[a].discard(b)
                assert g.remove_edge(a, b) is False
            else:
                a, b = rng.randrange(len(succ)), rng.randrange(len(succ))
                closes = a == b or truth.reaches(succ, b, a)
                if closes:
                    with pytest.raises(cycle.CycleError) as refused:
                        g.add_edge(a, b)
                    found = refused.value.cycle
                    assert found[0] == a and (len(found) == 1 or found[1] == b)
                    assert len(set(found)) == len(found)
                    for x, y in zip(found, found[1:]):
                        assert y in succ[x] or (x, y) == (a, b)
                    assert a in succ[found[-1]] or found == [a]
                else:
                    assert g.add_edge(a, b) is None
                    succ[a].add(b)
            assert len(g) == len(succ)
            order = g.order
            assert order.dtype == np.uint32 and sorted(order.tolist()) == list(range(len(succ)))
            at = {v: i for i, v in enumerate(order.tolist())}
            assert all(at[x] < at[y] for x in range(len(succ)) for y in succ[x])
            x, y = rng.randrange(len(succ)), rng.randrange(len(succ))
            assert g.has_edge(x, y) == (y in succ[x])


def test_a_refused_edge_leaves_the_graph_as_it_was():
    g = cycle.AcyclicGraph(4)
    for a, b in ((0, 1), (1, 2), (2, 3)):
        g.add_edge(a, b)
    before = g.order.copy()
    with pytest.raises(cycle.CycleError, match="3 -> 0") as refused:
        g.add_edge(3, 0)
    assert refused.value.cycle == [3, 0, 1, 2]
    assert not g.has_edge(3, 0) and np.array_equal(g.order, before)
    g.add_edge(0, 1)  # present: nothing happens
    with pytest.raises(cycle.CycleError):
        g.add_edge(2, 2)


def test_vertices_outside_the_graph_are_index_errors():
    g = cycle.AcyclicGraph(3)
    for bad in (-1, 3, 1 << 40, 1 << 70):
        with pytest.raises(IndexError):
            g.add_edge(0, bad)
        with pytest.raises(IndexError):
            g.has_edge(bad, 0)
        with pytest.raises(IndexError):
            g.remove_edge(bad, 1)
    with pytest.raises(TypeError):
        g.add_edge(0, 1.0)
    with pytest.raises(ValueError):
        cycle.AcyclicGraph(-1)


def test_copies_are_values():
    g = cycle.AcyclicGraph(3)
    g.add_edge(0, 1)
    h = copy.copy(g)
    h.add_edge(1, 2)
    assert g.has_edge(0, 1) and not g.has_edge(1, 2) and h.has_edge(1, 2)
    assert copy.deepcopy(h).has_edge(1, 2)
