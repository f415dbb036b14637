"""The Python package against its peers: python.md, from bench/run's
results_python.json (bench/python/run.py), with the machine it ran on
(run.txt). Each row's peers ran in paired rounds on the same data in one
process; a ratio is a peer's time over the package's, the median of the
rounds' ratios with its 95% interval: above 1, the package is faster."""
import json
import os

from .load import machine, power

TASKS = [
    ("order", "dag", "`topological_order` on a random DAG of 8 edges a vertex"),
    ("components", "random", "`strongly_connected` on a random graph of 8 edges a vertex"),
    ("cycle", "dag", "`find_graph_cycle` on the random DAG (no cycle to find)"),
    ("cycle", "random", "`find_graph_cycle` on the random graph"),
    ("mapping", "permutation", "`find_cycles` on a random permutation (int64)"),
    ("period", "quadratic", "`find_period` of x -> x^2 + 1 mod 2^k - 3 from 2, a Python f"),
    ("order", "dict12", "`topological_order` on a 12-vertex dict of dependencies"),
    ("import", "fresh", "`import cycle` in a fresh interpreter, against others' imports"),
]


def size_label(task, size):
    if task == "period":
        return f"k = {size}"
    if task == "import" or size == 12:
        return "-"
    return power(size)


def ms(seconds):
    return f"{seconds * 1e3:.3f}" if seconds < 1 else f"{seconds * 1e3:.0f}"


def table(rows, task, shape, title):
    chosen = [r for r in rows if r["name"].split("/")[1:3] == [task, shape]]
    if not chosen:
        return []
    peers = []
    for r in chosen:
        peers += [p for p in r["peers"] if p != "cycle" and p not in peers]
    lines = ["", f"### {title}", "",
             "| size | rounds | cycle ms | " + " | ".join(f"{p} ms | {p} / cycle" for p in peers) +
             " |", "|---|---|---|" + "---|---|" * len(peers)]
    for r in chosen:
        mine = r["peers"]["cycle"]
        cells = [size_label(task, int(r["name"].split("/")[3])), str(r["rounds"]),
                 f"{ms(mine['seconds'])} ({ms(mine['seconds_lo'])}-{ms(mine['seconds_hi'])})"]
        for p in peers:
            v = r["peers"].get(p)
            cells += ["-", "-"] if v is None else [
                ms(v["seconds"]), f"{v['ratio']:.2f} ({v['ratio_lo']:.2f}-{v['ratio_hi']:.2f})"]
        lines.append("| " + " | ".join(cells) + " |")
    for r in chosen:
        for peer, what in r.get("differs", {}).items():
            lines += ["", f"**At {size_label(task, int(r['name'].split('/')[3]))}, {peer}'s answer "
                      f"differs from the package's: {what}.**"]
    builds = [(r, p, s) for r in chosen for p, s in r.get("builds", {}).items() if p in r["peers"]]
    if builds:
        lines += ["", "Each peer's own graph, built once before the rounds (s): " + "; ".join(
            f"{size_label(task, int(r['name'].split('/')[3]))} {p} {s:.2f}" for r, p, s in builds)
            + "."]
    return lines


def find(rows, name):
    return next((r for r in rows if r["name"] == name), None)


def targets(rows):
    lines = ["", "| target | figure | met |", "|---|---|---|"]

    def add(what, name, peer, goal):
        r = find(rows, name)
        v = None if r is None else r["peers"].get(peer)
        if v is None:
            lines.append(f"| {what} | not measured | - |")
            return
        lines.append(f"| {what} | {v['ratio']:.2f}x ({v['ratio_lo']:.2f}-{v['ratio_hi']:.2f}) | "
                     f"{'yes' if v['ratio_lo'] >= goal else 'within its interval' if v['ratio_hi'] >= goal else 'no'} |")

    add("`topological_order` at 2^18: at least 3x faster than igraph", "python/order/dag/262144",
        "igraph", 3)
    add("`strongly_connected` at 2^18: at least 2x faster than scipy",
        "python/components/random/262144", "scipy", 2)
    add("`strongly_connected` at 2^18: at least 3x faster than igraph",
        "python/components/random/262144", "igraph", 3)
    for bits in (20, 28, 36):
        add(f"`find_period` (k = {bits}): at least 2x faster than sympy's `cycle_length`",
            f"python/period/quadratic/{bits}", "sympy", 2)
        add(f"`find_period` (k = {bits}): faster than a dict", f"python/period/quadratic/{bits}",
            "dict", 1)
    add("a 12-vertex dict: no slower than graphlib's `static_order`", "python/order/dict12/12",
        "graphlib", 1)
    r = find(rows, "python/import/fresh/1")
    if r is not None:
        mine, bare = r["peers"]["cycle"], r["peers"]["bare"]
        cost = (mine["seconds"] - bare["seconds"]) * 1e3
        lines.append(f"| `import cycle`: at most 20 ms | {cost:.1f} ms over the bare interpreter's "
                     f"start ({ms(mine['seconds'])} against {ms(bare['seconds'])} ms) | "
                     f"{'yes' if cost <= 20 else 'no'} |")
    return lines


def write(folder, out_dir):
    """Writes python.md into out_dir from the results in folder; returns the
    markdown, or None where there are none."""
    path = os.path.join(folder, "results_python.json")
    if not os.path.exists(path):
        return None
    with open(path) as f:
        results = json.load(f)
    rows, context = results["rows"], results["context"]
    lines = ["# The Python package against its peers", ""] + machine(folder)
    lines += ["", f"Interpreter `{context.get('python')}` (Python {context.get('python_version')}); "
              f"package `cycle` {context.get('package_version')} from `{context.get('package')}`; "
              f"peers: {context.get('peers')}, Python's own graphlib.", "",
              "Milliseconds a call (median, 95% interval), then each peer's time over the "
              "package's (median of paired rounds, 95% interval; above 1 the package is faster).",
              "", "## Tables"]
    for task, shape, title in TASKS:
        lines += table(rows, task, shape, title)
    lines += ["", "## Targets"] + targets(rows)
    text = "\n".join(lines) + "\n"
    with open(os.path.join(out_dir, "python.md"), "w") as f:
        f.write(text)
    return text
