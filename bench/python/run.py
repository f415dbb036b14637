#!/usr/bin/env python3
"""The Python rows: the package against what Python users reach for, on the
same data in one process, in paired rounds (rounds.py).

Usage: run.py OUT.json [--context run=...,build=...,machine=...] [--quick]

Rows are python/<task>/<input>/<size>; each holds every peer's median
seconds with its 95% interval and its time over the package's (the ratio's
median and interval), and each peer's graph build, timed once apart from the
calls. The package is the one on sys.path (build/python from CMake, or an
installed one); its path and the interpreter go into the results. --quick
takes the smallest sizes and a round or two, for a smoke run."""
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cycle  # noqa: E402
import kernels  # noqa: E402
import numpy as np  # noqa: E402
import rounds  # noqa: E402
import sets  # noqa: E402

GRAPH_SIZES = [1 << 10, 1 << 14, 1 << 18, 1 << 22]
# networkx holds a few hundred bytes an edge and graphlib a dict entry: 2^22
# vertices of 8 edges would not fit in this machine's memory with the rest.
PURE_PYTHON_MOST = 1 << 18
NETWORKX_DAG_CYCLE_MOST = 1 << 10


def optional(name):
    try:
        return __import__(name)
    except ImportError:
        return None


nx = optional("networkx")
igraph = optional("igraph")
scipy_graph = optional("scipy.sparse.csgraph")
sympy = optional("sympy")
if scipy_graph is not None:
    import scipy.sparse as scipy_sparse
    from scipy.sparse.csgraph import connected_components


def budget_for(n, quick):
    if quick:
        return dict(budget=0.05, least=2, most=3)
    if n >= 1 << 22:
        return dict(budget=20, least=3, most=7)
    if n >= 1 << 18:
        return dict(budget=12, least=5, most=40)
    return dict(budget=3, least=7)


def timed_build(make):
    start = time.perf_counter()
    built = make()
    return built, time.perf_counter() - start


def graph_peers(rows, n, want):
    """Each peer's own graph, and its build time."""
    offsets, targets = rows
    built, builds = {}, {}
    sources = np.repeat(np.arange(n, dtype=np.int64), np.diff(offsets))
    if nx is not None and n <= PURE_PYTHON_MOST and "networkx" in want:
        def make():
            g = nx.DiGraph()
            g.add_nodes_from(range(n))
            g.add_edges_from(zip(sources.tolist(), targets.tolist()))
            return g
        built["networkx"], builds["networkx"] = timed_build(make)
    if n <= PURE_PYTHON_MOST and "graphlib" in want:
        built["graphlib"], builds["graphlib"] = timed_build(
            lambda: dict(enumerate(sets.successor_lists(offsets, targets))))
    if igraph is not None and "igraph" in want:
        built["igraph"], builds["igraph"] = timed_build(
            lambda: igraph.Graph(n=n, edges=np.column_stack([sources, targets]), directed=True))
    if scipy_graph is not None and "scipy" in want:
        # scipy's strong components miscount on rows whose indices are
        # unsorted or repeated (187 components for 2 on the random graph at
        # 2^10, scipy 1.10), so it is given its canonical form, made on
        # copies: the matrix shares the arrays it is given, and putting it in
        # that form rewrites them in place.
        def make():
            matrix = scipy_sparse.csr_matrix((np.ones(len(targets), dtype=np.int8),
                                              targets.copy(), offsets.copy()), shape=(n, n))
            matrix.sum_duplicates()
            matrix.sort_indices()
            return matrix
        built["scipy"], builds["scipy"] = timed_build(make)
    return built, builds


def order_calls(rows, peers):
    calls = {"cycle": lambda: cycle.topological_order(rows)}
    if "networkx" in peers:
        calls["networkx"] = lambda: list(nx.topological_sort(peers["networkx"]))
    if "graphlib" in peers:
        calls["graphlib"] = lambda: kernels.graphlib_order(peers["graphlib"])
    if "igraph" in peers:
        calls["igraph"] = lambda: peers["igraph"].topological_sorting()
    return calls


def components_calls(rows, peers):
    calls = {"cycle": lambda: cycle.strongly_connected(rows)}
    if "networkx" in peers:
        calls["networkx"] = lambda: list(nx.strongly_connected_components(peers["networkx"]))
    if "scipy" in peers:
        calls["scipy"] = lambda: connected_components(peers["scipy"], directed=True,
                                                      connection="strong")
    if "igraph" in peers:
        calls["igraph"] = lambda: peers["igraph"].connected_components(mode="strong")
    return calls


def graph_cycle_calls(rows, peers, acyclic):
    calls = {"cycle": lambda: cycle.find_graph_cycle(rows)}
    # networkx's find_cycle takes time quadratic in the size on a DAG (1.3 s
    # at 2^10, 4.3 s at 2^11 here): past 2^10 a row would take hours.
    if "networkx" in peers and (not acyclic or len(rows[0]) <= NETWORKX_DAG_CYCLE_MOST + 1):
        def find():
            try:
                return nx.find_cycle(peers["networkx"])
            except nx.NetworkXNoCycle:
                return []
        calls["networkx"] = find
    return calls


def agree(task, calls, n):
    """Each peer's answer checked against the package's where they can be
    compared: {peer: what differs}, kept in the row and named in the report
    rather than ending the run."""
    answers = {name: call() for name, call in calls.items()}
    differs = {}
    if task == "order":
        for name, answer in answers.items():
            if len(answer) != n:
                differs[name] = f"an order of {len(answer)} vertices, not {n}"
    elif task == "components":
        count = answers["cycle"][0]
        counted = {"networkx": lambda a: len(a), "scipy": lambda a: a[0],
                   "igraph": lambda a: len(a)}
        for name, answer in answers.items():
            if name != "cycle" and counted[name](answer) != count:
                differs[name] = f"{counted[name](answer)} components, the package {count}"
    elif task == "cycle":
        for name, answer in answers.items():
            if bool(answer) != bool(answers["cycle"]):
                differs[name] = "a cycle" if answer else "no cycle"
    for name, what in differs.items():
        print(f"{task} at {n}: {name} gives {what}", file=sys.stderr, flush=True)
    return differs


def row(name, calls, plan, builds=None, differs=None, **facts):
    taken = rounds.paired(calls, **plan)
    out = {"name": name, "rounds": taken["rounds"], "builds": builds or {},
           "differs": differs or {}, **facts, "peers": {}}
    for peer in calls:
        seconds, ratio = taken[peer]["seconds"], taken[peer]["ratio"]
        out["peers"][peer] = {"seconds": seconds[0], "seconds_lo": seconds[1],
                              "seconds_hi": seconds[2], "ratio": ratio[0], "ratio_lo": ratio[1],
                              "ratio_hi": ratio[2]}
    progress(out)
    return out


def progress(out):
    cells = ", ".join(f"{p} {v['seconds'] * 1e3:.3f} ms ({v['ratio']:.2f}x)"
                      for p, v in out["peers"].items())
    print(f"{out['name']}: {cells}; {out['rounds']} rounds", file=sys.stderr, flush=True)


def graph_rows(quick):
    out = []
    sizes = GRAPH_SIZES[:1] if quick else GRAPH_SIZES
    for n in sizes:
        plan = budget_for(n, quick)
        dag = sets.random_dag(n)
        mixed = sets.random_graph(n)
        for shape, rows, acyclic, want, tasks in (
                ("dag", dag, True, {"networkx", "graphlib", "igraph"}, (order_calls,)),
                ("random", mixed, False, {"networkx", "igraph", "scipy"}, (components_calls,))):
            peers, builds = graph_peers(rows, n, want)
            for task, calls in [(t.__name__.split("_")[0], t(rows, peers)) for t in tasks] + [
                    ("cycle", graph_cycle_calls(rows, peers, acyclic))]:
                differs = agree(task, calls, n)
                out.append(row(f"python/{task}/{shape}/{n}", calls, plan, builds, differs,
                               vertices=n, edges=int(rows[0][-1])))
            del peers
    return out


def small_rows(quick):
    plan = budget_for(0, quick)
    deps = sets.DEPENDENCIES
    calls = {"cycle": lambda: cycle.topological_order(deps),
             "graphlib": lambda: kernels.graphlib_order(deps)}
    if nx is not None:
        g = nx.DiGraph([(u, w) for u, ws in deps.items() for w in ws])
        calls["networkx"] = lambda: list(nx.topological_sort(g))
    return [row("python/order/dict12/12", calls, plan, vertices=len(deps))]


def period_rows(quick):
    out = []
    for bits in ([20] if quick else [20, 28, 36]):
        modulus = (1 << bits) - 3
        f = sets.quadratic(modulus)
        found = cycle.find_period(2, f)
        assert kernels.dict_period(2, f) == (found.mu, found.lam)
        calls = {"cycle": lambda: cycle.find_period(2, f),
                 "dict": lambda: kernels.dict_period(2, f)}
        if sympy is not None:
            from sympy.ntheory import cycle_length
            lam, mu = next(cycle_length(f, 2))
            # sympy's mu counts one fewer than the values before the cycle
            # (its own docstring's example, 4 -> 17 -> 35 -> 2 ..., gives 2).
            assert (mu + 1, lam) == (found.mu, found.lam)
            calls["sympy"] = lambda: next(cycle_length(f, 2))
        out.append(row(f"python/period/quadratic/{bits}", calls, budget_for(1 << 14, quick),
                       mu=found.mu, lam=found.lam))
    return out


def mapping_rows(quick):
    out = []
    for m in ([1 << 10] if quick else [1 << 10, 1 << 14, 1 << 18, 1 << 20]):
        perm = sets.permutation(m)
        as_list = perm.tolist()
        expected = kernels.python_cycles(as_list)
        leaders, lengths = cycle.find_cycles(perm)
        assert expected == list(zip(leaders.tolist(), lengths.tolist()))
        calls = {"cycle": lambda: cycle.find_cycles(perm),
                 "python": lambda: kernels.python_cycles(as_list)}
        builds = {}
        # sympy's cyclic_form takes about 50 us an element here: past 2^18 a
        # row would take many minutes.
        if sympy is not None and m <= PURE_PYTHON_MOST:
            from sympy.combinatorics import Permutation
            p, builds["sympy"] = timed_build(lambda: Permutation(as_list))

            def cyclic_form():
                p._cyclic_form = None
                return p.cyclic_form
            assert len(cyclic_form()) == sum(1 for _, length in expected if length > 1)
            calls["sympy"] = cyclic_form
        out.append(row(f"python/mapping/permutation/{m}", calls, budget_for(m, quick), builds,
                       elements=m))
    return out


def import_rows(quick):
    """import cycle in a fresh interpreter, over the interpreter's start."""
    package = os.path.dirname(os.path.dirname(cycle.__file__))
    env = dict(os.environ, PYTHONPATH=package)
    def start(code):
        return lambda: subprocess.run([sys.executable, "-c", code], env=env, check=True)
    calls = {"cycle": start("import cycle"), "bare": start("pass")}
    if nx is not None:
        calls["networkx"] = start("import networkx")
    calls["numpy"] = start("import numpy")
    plan = dict(budget=1, least=3, most=4) if quick else dict(budget=20, least=25, most=60)
    return [row("python/import/fresh/1", calls, plan)]


def main():
    args = sys.argv[1:]
    if not args or args[0].startswith("-"):
        sys.exit(__doc__.strip())
    out_path = args[0]
    quick = "--quick" in args
    context = {}
    if "--context" in args:
        given = args[args.index("--context") + 1]
        context = dict(item.split("=", 1) for item in given.split(","))
    context.update(python=sys.executable, python_version=sys.version.split()[0],
                   package=cycle.__file__, package_version=cycle.__version__,
                   peers=", ".join(f"{m.__name__} {getattr(m, '__version__', '')}".strip()
                                   for m in (nx, igraph, sympy, np) if m is not None))
    results = []
    for family in (import_rows, small_rows, period_rows, mapping_rows, graph_rows):
        results += family(quick)
        # Written after each family, so that a run cut short keeps its rows.
        with open(out_path + ".part", "w") as f:
            json.dump({"context": context, "rows": results}, f, indent=1)
        os.replace(out_path + ".part", out_path)


if __name__ == "__main__":
    main()
