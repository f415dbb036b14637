import copy

import numpy as np
import pytest

import cycle
import truth

DTYPES = [np.int8, np.uint8, np.int16, np.uint16, np.int32, np.uint32, np.int64, np.uint64]


def assert_cycle_of(succ, found):
    assert len(set(found)) == len(found) > 0
    for a, b in zip(found, found[1:] + found[:1]):
        assert b in succ[a]


def assert_order_of(succ, order):
    order = list(order)
    assert sorted(order) == list(range(len(succ)))
    at = {v: i for i, v in enumerate(order)}
    assert all(at[a] < at[b] for a in range(len(succ)) for b in succ[a])


def assert_components_of(succ, count, labels):
    labels = list(labels)
    n = len(succ)
    assert set(labels) == set(range(count)) or n == 0
    for a in range(n):
        for b in succ[a]:
            assert labels[a] >= labels[b]
    for a in range(n):
        for b in range(a + 1, n):
            same = truth.reaches(succ, a, b) and truth.reaches(succ, b, a)
            assert same == (labels[a] == labels[b])


def graphs(rng):
    for n in (1, 2, 5, 30, 90):
        for per in (0.5, 1, 3):
            for acyclic in (True, False):
                yield truth.random_graph(rng, n, int(n * per), acyclic)


@pytest.mark.parametrize("offset_type,vertex_type",
                         [(o, v) for o in DTYPES for v in DTYPES if o in (np.int8, np.uint64)
                          or v in (np.int8, np.uint16)] + [(np.int32, np.int32)])
def test_rows_of_every_dtype_pair_against_a_plain_search(offset_type, vertex_type):
    rng = truth.rng(11)
    for succ in graphs(rng):
        offsets, targets = truth.rows_of(succ)
        if offsets[-1] > np.iinfo(offset_type).max:
            continue
        rows = (np.array(offsets, dtype=offset_type), np.array(targets, dtype=vertex_type))
        cyclic = any(truth.reaches(succ, v, v) for v in range(len(succ)))
        found = cycle.find_graph_cycle(rows)
        assert bool(found) == cyclic
        if cyclic:
            assert_cycle_of(succ, found)
            with pytest.raises(cycle.CycleError) as refused:
                cycle.topological_order(rows)
            assert refused.value.cycle == found and refused.value.args[1] == found
            assert isinstance(refused.value, ValueError)
        else:
            order = cycle.topological_order(rows)
            assert order.dtype == rows[1].dtype
            assert_order_of(succ, order)
        count, labels = cycle.strongly_connected(rows)
        assert labels.dtype == rows[1].dtype
        assert_components_of(succ, count, labels)


def test_the_same_graph_gives_the_same_cycle_in_every_form():
    rng = truth.rng(12)
    sparse = pytest.importorskip("scipy.sparse")
    for succ in graphs(rng):
        offsets, targets = truth.rows_of(succ)
        n = len(succ)
        expected = cycle.find_graph_cycle((offsets, targets))
        for o in (np.int64, np.uint32):
            for v in (np.int16, np.uint64):
                assert cycle.find_graph_cycle((np.array(offsets, o), np.array(targets, v))) == expected
        matrix = sparse.csr_matrix((np.ones(len(targets)), np.array(targets), np.array(offsets)),
                                   shape=(n, n))
        assert cycle.find_graph_cycle(matrix) == expected
        assert cycle.strongly_connected(matrix.tocoo())[0] == cycle.strongly_connected(
            (offsets, targets))[0]
        as_dict = {v: succ[v] for v in range(n)}
        assert cycle.find_graph_cycle(as_dict) == expected


def test_mappings_of_any_vertices():
    deps = {"app": ["lib", "log"], "lib": ["core"], "log": ["core", "fmt"], "test": ["app"]}
    order = cycle.topological_order(deps)
    assert sorted(order) == sorted({"app", "lib", "log", "core", "fmt", "test"})
    at = {v: i for i, v in enumerate(order)}
    assert all(at[a] < at[b] for a, bs in deps.items() for b in bs)
    assert cycle.find_graph_cycle(deps) == []
    looped = copy.deepcopy(deps)
    looped["core"] = ["app"]
    found = cycle.find_graph_cycle(looped)
    for a, b in zip(found, found[1:] + found[:1]):
        assert b in looped[a]
    with pytest.raises(cycle.CycleError) as refused:
        cycle.topological_order(looped)
    assert refused.value.cycle == found
    count, labels = cycle.strongly_connected(looped)
    assert count == 3 and len({labels[v] for v in ("app", "lib", "log", "core")}) == 1
    assert labels["fmt"] < labels["core"] < labels["test"]
    assert cycle.topological_order({}) == [] and cycle.find_graph_cycle({(1, 2): [(1, 2)]}) == [(1, 2)]


def test_networkx_views_are_mappings():
    nx = pytest.importorskip("networkx")
    g = nx.gnp_random_graph(60, 0.05, seed=3, directed=True)
    cyclic = not nx.is_directed_acyclic_graph(g)
    found = cycle.find_graph_cycle(g.succ)
    assert bool(found) == cyclic
    count, _ = cycle.strongly_connected(g.adj)
    assert count == nx.number_strongly_connected_components(g)


def test_bad_graphs_are_refused_naming_what_is_wrong():
    with pytest.raises(ValueError, match="vertex 1.*5"):
        cycle.find_graph_cycle(([0, 1, 2], [1, 5]))
    with pytest.raises(ValueError, match="-1"):
        cycle.topological_order(([0, 1], np.array([-1], dtype=np.int32)))
    with pytest.raises(ValueError, match="go down"):
        cycle.strongly_connected(([0, 2, 1], [0, 1]))
    with pytest.raises(ValueError, match="past the 1 targets"):
        cycle.find_graph_cycle(([0, 1, 3], [1]))
    with pytest.raises(ValueError, match="empty"):
        cycle.find_graph_cycle(([], []))
    with pytest.raises(TypeError):
        cycle.find_graph_cycle(([0, 1], [0.5]))
    with pytest.raises(TypeError):
        cycle.find_graph_cycle(42)
    sparse = pytest.importorskip("scipy.sparse")
    with pytest.raises(ValueError, match="square"):
        cycle.find_graph_cycle(sparse.csr_matrix((2, 3)))


def test_a_chain_of_2_to_the_20_needs_no_recursion():
    n = 1 << 20
    offsets = np.arange(n + 1, dtype=np.int64)
    offsets[-1] = n - 1
    targets = np.arange(1, n, dtype=np.uint32)
    assert np.array_equal(cycle.topological_order((offsets, targets)), np.arange(n))
    ring = np.append(targets, 0).astype(np.uint32)
    assert len(cycle.find_graph_cycle((np.arange(n + 1), ring))) == n
    assert cycle.strongly_connected((np.arange(n + 1), ring))[0] == 1
